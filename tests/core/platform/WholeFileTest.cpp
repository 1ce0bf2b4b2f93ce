#include "platform/WholeFile.h"

#include "platform/IniFile.h"
#include "session/UserState.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <csignal>
#include <functional>

namespace {

// A file system with no room for more than a few bytes of a file, as a full disk is: the
// process's file-size limit, which makes a write past it fail the way a full disk does.
class RoomFor {
public:
    explicit RoomFor(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_signal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~RoomFor() {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_signal);
    }

private:
    rlimit m_saved{};
    void (*m_signal)(int) = nullptr;
};

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

}  // namespace

// Every writer of the user's files: what does not fit leaves the old file as it was, whole.
TEST(WholeFileTest, AFileThatDoesNotFitLeavesTheOldOneWhole) {
    const QString longValue(6000, QLatin1Char('x'));
    const struct {
        const char* writer;
        std::function<bool(const QString&)> write;
    } cases[] = {
        {"WholeFile::replace",
         [&](const QString& path) { return WholeFile::replace(path, longValue.toUtf8()); }},
        {"IniFile::writeString",
         [&](const QString& path) {
             return IniFile::writeString(path, u"VELO", u"Key", longValue);
         }},
        {"UserState::save",
         [&](const QString& path) {
             UserState state(path);
             state.lastChannelId = longValue;
             return state.save();
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.writer);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("state.ini"));
        const QByteArray old = "[VELO]\nKey=old\n";
        {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(old);
        }
        bool written = true;
        {
            const RoomFor room(1024);
            written = c.write(path);
        }
        EXPECT_FALSE(written);
        EXPECT_EQ(contentOf(path), old);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files),
                  QStringList{QStringLiteral("state.ini")});
    }
}
