#include "ProgramVersion.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* program;
    QStringList args;
    int exitCode;
    QString out;  // a regular expression the whole of standard output matches
    QString err;  // the same for standard error
};

// Neither program may need a display for these: the environment offers none, so a client that
// made its application object first would abort here.
TEST(CommandLine, HelpVersionAndRefusalsWithoutADisplay) {
    const QString client = QStringLiteral(VELO_CLIENT_PATH);
    const QString cli = QStringLiteral(VELO_CLI_PATH);
    const QString version = QRegularExpression::escape(QLatin1String(kProgramVersion));
    const QString help = QStringLiteral(
        "usage: velo \\[OPTION\\]\\.\\.\\.\\n(.*\\n)*  -h, --help .+\\n  -V, --version "
        ".+\\n(.*\\n)*");
    const Case cases[] = {
        {"velo", {"--version"}, 0, "velo " + version + "\\n", ""},
        {"velo", {"-V"}, 0, "velo " + version + "\\n", ""},
        {"velo", {"--help"}, 0, help, ""},
        {"velo", {"-style", "fusion", "-h"}, 0, help, ""},
        {"velo", {"-platform=offscreen", "--reverse", "--help"}, 0, help, ""},
        {"velo", {"--bogus"}, 2, "", "velo: unknown option: --bogus\\n.*--help.*\\n"},
        {"velo", {"-reverse=yes"}, 2, "", "velo: unknown option: -reverse=yes\\n.*\\n"},
        {"velo", {"-platform"}, 2, "", "velo: missing value after -platform\\n.*\\n"},
        {"velo", {"channel"}, 2, "", "velo: unexpected argument: channel\\n.*\\n"},
        {"velo-cli", {"--version"}, 0, "velo-cli " + version + "\\n", ""},
        {"velo-cli", {"--help"}, 0, "usage: velo-cli .*\\n.*--version\\n(.*\\n)*", ""},
        {"velo-cli", {"--versions"}, 2, "", "velo-cli: unknown option: --versions\\n"},
    };
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        environment.remove(QLatin1String(name));
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.program) + " " + c.args.join(QLatin1Char(' ')).toStdString());
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QLatin1String(c.program) == QLatin1String("velo") ? client : cli, c.args);
        ASSERT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), c.exitCode);
        const QString out = QString::fromUtf8(process.readAllStandardOutput());
        const QString err = QString::fromUtf8(process.readAllStandardError());
        EXPECT_TRUE(
            QRegularExpression(QRegularExpression::anchoredPattern(c.out)).match(out).hasMatch())
            << out.toStdString();
        EXPECT_TRUE(
            QRegularExpression(QRegularExpression::anchoredPattern(c.err)).match(err).hasMatch())
            << err.toStdString();
    }
}

}  // namespace
