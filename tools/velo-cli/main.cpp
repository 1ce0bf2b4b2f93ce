#include "CliCommands.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    CliCommands commands(out, err);
    return commands.run(QCoreApplication::arguments().mid(1));
}
