#include "platform/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace ProgramFolder {

QString path() {
    QString folder;
    if (QCoreApplication::instance() != nullptr) {
        folder = QCoreApplication::applicationDirPath();
    } else {
        // Before the application object exists the kernel still knows where we were started from.
        folder = QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
    }
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/'))) {
        folder.chop(1);
    }
    return folder;
}

QString file(const QString& folder, const QString& name) {
    QString relative = name;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (relative.startsWith(QLatin1Char('/'))) {
        relative.remove(0, 1);
    }
    if (folder.isEmpty()) {
        return relative;
    }
    if (folder.endsWith(QLatin1Char('/'))) {
        return folder + relative;
    }
    return folder + QLatin1Char('/') + relative;
}

QString dataFolder(const QString& installed) {
    if (isWritable(installed)) {
        return installed;
    }
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QString own = QDir(base).filePath(QStringLiteral("velo/program"));
    return !base.isEmpty() && QDir().mkpath(own) ? own : installed;
}

bool isWritable(const QString& folder) {
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        return false;
    }
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".velo-write-XXXXXX")));
    return probe.open();
}

QString readable(const QString& data, const QString& installed, const QString& name) {
    const QString own = file(data, name);
    return data == installed || QFileInfo::exists(own) ? own : file(installed, name);
}

}  // namespace ProgramFolder
