#include "platform/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

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

}  // namespace ProgramFolder
