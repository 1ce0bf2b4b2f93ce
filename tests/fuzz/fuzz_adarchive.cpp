// Advertisement archives from arbitrary bytes: the entry names as the archive stores them, and
// whole archives as minizip reads them. No cleaned name may lead outside the folder, however it
// was written.
#include "ads/AdArchive.h"

#include <QDir>
#include <QFile>

#include <unistd.h>

#include <cstddef>
#include <cstdint>

namespace {

void checkInside(const QString& name) {
    static const QString base = QStringLiteral("/velo/Advertise/Fix");
    if (name.isEmpty()) {
        return;
    }
    const QString placed = QDir::cleanPath(base + QLatin1Char('/') + name);
    if (!placed.startsWith(base + QLatin1Char('/')) || name.contains(QLatin1Char('\\')) ||
        name.startsWith(QLatin1Char('/'))) {
        __builtin_trap();
    }
    for (const QString& part : name.split(QLatin1Char('/'))) {
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String("..")) {
            __builtin_trap();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    checkInside(AdArchive::CleanName(QString::fromUtf8(bytes)));

    // The same bytes as an archive: every entry it describes gets a name that stays inside.
    static const QByteArray path = QFile::encodeName(
        QDir::temp().filePath(QStringLiteral("fuzz-adarchive-%1.zip").arg(::getpid())));
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return 0;
    }
    file.write(bytes);
    file.close();
    AdArchive::StatePtr state = AdArchive::OpenArchive(QString::fromLocal8Bit(path));
    if (!state) {
        return 0;
    }
    AdArchive::Entry count;
    AdArchive::GetEntry(*state, -1, count);
    if (count.index < 0 || count.index > AdArchive::kMaxEntries) {
        __builtin_trap();
    }
    for (int i = 0; i < count.index && i < 64; ++i) {
        AdArchive::Entry entry;
        AdArchive::GetEntry(*state, i, entry);
        checkInside(entry.name);
    }
    return 0;
}
