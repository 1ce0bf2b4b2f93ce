#include "session/UserState.h"

#include "platform/IniFile.h"
#include "platform/WholeFile.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QUrl>

namespace {

const QString kWindow = QStringLiteral("Window");
const QString kSession = QStringLiteral("Session");
const QString kFavourites = QStringLiteral("Favourites");
const QString kRecents = QStringLiteral("Recent");
constexpr int kValueChars = 64 * 1024;

// Service IDs and channel ids are written percent-encoded, so that no "=", ";", "," or line
// break in them can break the line they stand on; keys are lower case, since INI keys are
// matched without regard to case and an e-mail address is too.
QString keyFor(const QString& serviceId) {
    return QString::fromLatin1(QUrl::toPercentEncoding(serviceId.trimmed().toLower()));
}

QString joined(const QStringList& items) {
    QStringList encoded;
    for (const QString& item : items) {
        encoded << QString::fromLatin1(QUrl::toPercentEncoding(item));
    }
    return encoded.join(QLatin1Char(','));
}

QStringList split(const QString& value) {
    QStringList items;
    for (const QString& part : value.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString item = QUrl::fromPercentEncoding(part.trimmed().toLatin1());
        if (!item.isEmpty() && !items.contains(item)) {
            items << item;
        }
    }
    return items;
}

bool flag(const QString& value, bool fallback) {
    if (value == QLatin1String("1"))
        return true;
    if (value == QLatin1String("0"))
        return false;
    return fallback;
}

}  // namespace

QString UserState::defaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) +
           QStringLiteral("/state.ini");
}

UserState::UserState(QString path) : m_path(std::move(path)) {}

QString UserState::CollapsedKey(const QString& setName, const QString& groupName) {
    return groupName.isNull() ? setName : setName + QLatin1Char('/') + groupName;
}

std::optional<QByteArray> UserState::readFile() const {
    QFile file(m_path);
    if (!QFileInfo(m_path).isFile() || QFileInfo(m_path).size() > IniFile::kMaxFileBytes ||
        !file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QByteArray content = file.read(IniFile::kMaxFileBytes + 1);
    // No state file of ours holds a zero byte or text that is not UTF-8: such a file is
    // nonsense, read as none and replaced by the next save.
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString decoded = utf8.decode(content);
    Q_UNUSED(decoded);
    if (content.size() > IniFile::kMaxFileBytes || content.contains('\0') || utf8.hasError()) {
        return std::nullopt;
    }
    return content;
}

bool UserState::load() {
    *this = UserState(m_path);
    const std::optional<QByteArray> content = readFile();
    if (!content) {
        return false;
    }
    m_content = *content;
    const auto value = [this](const QString& section, const char* key) {
        return IniFile::valueIn(m_content, section, QString::fromLatin1(key), QString(),
                                kValueChars);
    };
    const QStringList rect = value(kWindow, "Geometry").split(QLatin1Char(','));
    if (rect.size() == 4) {
        bool ok[4] = {};
        const QRect read(rect[0].toInt(&ok[0]), rect[1].toInt(&ok[1]), rect[2].toInt(&ok[2]),
                         rect[3].toInt(&ok[3]));
        // A size no screen has is nonsense, not a window to restore.
        if (ok[0] && ok[1] && ok[2] && ok[3] && read.width() > 0 && read.height() > 0 &&
            read.width() <= 16384 && read.height() <= 16384) {
            geometry = read;
        }
    }
    maximised = flag(value(kWindow, "Maximised"), false);
    sidePanelShown = flag(value(kWindow, "SidePanel"), true);
    collapsedGroups = split(value(kSession, "Collapsed"));
    lastChannelId = QUrl::fromPercentEncoding(value(kSession, "LastChannel").toLatin1());
    playLastOnStart = flag(value(kSession, "PlayLastOnStart"), false);
    return true;
}

QStringList UserState::listOf(const QHash<QString, QStringList>& changed, const QString& section,
                              const QString& serviceId) const {
    const QString key = keyFor(serviceId);
    const auto found = changed.constFind(key);
    if (found != changed.constEnd()) {
        return *found;
    }
    return split(IniFile::valueIn(m_content, section, key, QString(), kValueChars));
}

QStringList UserState::favourites(const QString& serviceId) const {
    return listOf(m_favourites, kFavourites, serviceId);
}

QStringList UserState::recents(const QString& serviceId) const {
    return listOf(m_recents, kRecents, serviceId).mid(0, kRecentCount);
}

bool UserState::toggleFavourite(const QString& serviceId, const QString& id) {
    QStringList list = favourites(serviceId);
    const bool adding = !list.contains(id);
    if (adding) {
        list << id;
    } else {
        list.removeAll(id);
    }
    m_favourites.insert(keyFor(serviceId), list);
    return adding;
}

void UserState::addRecent(const QString& serviceId, const QString& id) {
    QStringList list = recents(serviceId);
    list.removeAll(id);
    list.prepend(id);
    m_recents.insert(keyFor(serviceId), list.mid(0, kRecentCount));
}

bool UserState::save() {
    // The player keeps its own settings in the same file and writes them whenever they change:
    // the save starts from the file as it is now, so that what it wrote since the load stays
    // (from the text last read or written when the file cannot be read now).
    QByteArray content = readFile().value_or(m_content);
    bool ok = true;
    const auto set = [&content, &ok](const QString& section, const QString& key,
                                     const QString& value) {
        const std::optional<QByteArray> changed = IniFile::withValue(content, section, key, value);
        if (changed) {
            content = *changed;
        } else {
            ok = false;
        }
    };
    if (!geometry.isEmpty()) {
        set(kWindow, QStringLiteral("Geometry"),
            QStringLiteral("%1,%2,%3,%4")
                .arg(geometry.x())
                .arg(geometry.y())
                .arg(geometry.width())
                .arg(geometry.height()));
    }
    set(kWindow, QStringLiteral("Maximised"),
        maximised ? QStringLiteral("1") : QStringLiteral("0"));
    set(kWindow, QStringLiteral("SidePanel"),
        sidePanelShown ? QStringLiteral("1") : QStringLiteral("0"));
    set(kSession, QStringLiteral("Collapsed"), joined(collapsedGroups));
    set(kSession, QStringLiteral("LastChannel"),
        QString::fromLatin1(QUrl::toPercentEncoding(lastChannelId)));
    set(kSession, QStringLiteral("PlayLastOnStart"),
        playLastOnStart ? QStringLiteral("1") : QStringLiteral("0"));
    for (auto it = m_favourites.constBegin(); it != m_favourites.constEnd(); ++it) {
        set(kFavourites, it.key(), joined(it.value()));
    }
    for (auto it = m_recents.constBegin(); it != m_recents.constEnd(); ++it) {
        set(kRecents, it.key(), joined(it.value()));
    }
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath())) {
        return false;
    }
    if (!WholeFile::replace(m_path, content)) {
        return false;
    }
    m_content = content;
    return ok;
}
