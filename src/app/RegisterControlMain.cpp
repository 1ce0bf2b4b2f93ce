// The registration companion: records a playback control module in the control registry.
// usage: velo-regctl /s MODULE
#include "platform/ControlRegistry.h"
#include "playback/PlaybackControl.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    args.removeAll(QStringLiteral("/s"));  // silent is the only way this program works
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: velo-regctl /s MODULE\n");
        return 2;
    }
    const QString module = QFileInfo(args[0]).absoluteFilePath();
    QLibrary library(module);
    if (!library.load()) {
        std::fprintf(stderr, "velo-regctl: %s\n", qPrintable(library.errorString()));
        return 1;
    }
    const auto progId =
        reinterpret_cast<VeloControlNameFunction>(library.resolve(kControlProgIdSymbol));
    const auto classId =
        reinterpret_cast<VeloControlNameFunction>(library.resolve(kControlClassIdSymbol));
    if (progId == nullptr || classId == nullptr) {
        std::fprintf(stderr, "velo-regctl: %s is not a playback control\n", qPrintable(module));
        return 1;
    }
    return ControlRegistry::registerControl(QString::fromLatin1(progId()),
                                            QString::fromLatin1(classId()), module)
               ? 0
               : 1;
}
