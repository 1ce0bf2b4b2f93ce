#include "platform/ControlRegistry.h"

#include "platform/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace {

constexpr int kBuffer = 1024;

}  // namespace

QString ControlRegistry::filePath() {
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty()) {
        base = QDir::homePath() + QStringLiteral("/.local/share");
    }
    return base + QStringLiteral("/velo/controls.ini");
}

bool ControlRegistry::hasClassId(const QString& progId) {
    return !IniFile::readString(filePath(), progId, QStringLiteral("CLSID"), QString(), kBuffer)
                .isEmpty();
}

QString ControlRegistry::moduleFor(const QString& clsid) {
    QFile file(filePath());
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QStringList sections;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            sections.append(line.mid(1, line.size() - 2).trimmed());
        }
    }
    for (const QString& section : sections) {
        const QString value =
            IniFile::readString(filePath(), section, QStringLiteral("CLSID"), QString(), kBuffer);
        if (value.compare(clsid, Qt::CaseInsensitive) == 0) {
            return IniFile::readString(filePath(), section, QStringLiteral("Module"), QString(),
                                       kBuffer);
        }
    }
    return {};
}

bool ControlRegistry::registerControl(const QString& progId, const QString& clsid,
                                      const QString& module) {
    const QString path = filePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    // The class identifier goes last: once it is there, the entry is complete.
    return IniFile::writeString(path, progId, QStringLiteral("Module"), module) &&
           IniFile::writeString(path, progId, QStringLiteral("CLSID"), clsid);
}
