#include "CliCommands.h"

#include "ProgramVersion.h"

#include <algorithm>
#include <utility>

namespace {

// Options before the command, and what the help says after the commands.
const char* const kHeader =
    "usage: velo-cli [--key HEX] [--dir DIR] COMMAND ...\n"
    "       velo-cli --help | --version\n";
const char* const kFooter =
    "--key HEX uses a key of 1 to 16 bytes instead of the program's (1 to 8 bytes: single mode).\n"
    "DIR defaults to the folder of the client executable.\n"
    "Keys: ServerUrl UerSetMeal TvProgram UserInfo ProbeHost1 ProbeHost2 FallbackUrl1\n"
    "      FallbackUrl2 AdServer\n";

// The help's descriptions start in this column; a longer synopsis stands on a line of its own.
constexpr qsizetype kAboutColumn = 36;

// Pulls "--dir DIR" out of ARGS wherever it stands.
bool takeDir(QStringList& args, QString& dir, QString& error) {
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--")) {
            return true;
        }
        if (args[i] == QLatin1String("--dir")) {
            if (i + 1 >= args.size()) {
                error = QStringLiteral("missing argument: DIR after --dir");
                return false;
            }
            dir = args[i + 1];
            args.remove(i, 2);
            --i;
        }
    }
    return true;
}

}  // namespace

struct CliCommands::Command {
    const char* name;
    const char* verb = nullptr;  // the second word, for a command with verbs ("config get")
    const char* usage = "";      // the arguments as the help shows them
    const char* about = "";      // the help's description, a line each '\n'
    // The arguments as "missing argument: NAME" names them; the last `optional` may be left out.
    QStringList arguments = {};
    qsizetype optional = 0;
    const char* tooMany = nullptr;  // the complaint about extra arguments; else they are listed
    const char* flag = nullptr;     // a switch, taken out wherever it stands
    const char* option = nullptr;   // an option with a value, its first occurrence taken out
    // Looks at the first argument as soon as it is there, before the rest is counted.
    std::optional<QString> (*checkFirst)(const QString&) = nullptr;
    bool anyArguments = false;  // takes whatever follows without looking at it
    int (CliCommands::*handler)(const Call&) = nullptr;
};

// clang-format off
const std::vector<CliCommands::Command>& CliCommands::commands() {
    static const std::vector<Command> table = {
        {.name = "encrypt", .usage = "TEXT", .about = "hex cipher text of TEXT",
         .arguments = {"TEXT"}, .tooMany = "encrypt takes one TEXT",
         .handler = &CliCommands::encrypt},
        {.name = "decrypt", .usage = "HEX", .about = "plain text of a hex cipher text",
         .arguments = {"HEX"}, .tooMany = "decrypt takes one HEX",
         .handler = &CliCommands::decrypt},
        {.name = "config", .verb = "get", .usage = "KEY [--dir DIR]",
         .about = "decrypted value of KEY in DIR/confignew.ini",
         .arguments = {"KEY"}, .tooMany = "config get takes one KEY",
         .checkFirst = &CliCommands::checkKey, .handler = &CliCommands::configGet},
        {.name = "config", .verb = "set", .usage = "KEY VALUE [--dir DIR]",
         .about = "encrypt VALUE and store it under KEY",
         .arguments = {"KEY", "VALUE"}, .tooMany = "config set takes one KEY and one VALUE",
         .checkFirst = &CliCommands::checkKey, .handler = &CliCommands::configSet},
        {.name = "cipher", .usage = "encrypt|decrypt HEXBYTES",
         .about = "run the block cipher over whole blocks",
         .arguments = {"encrypt or decrypt", "HEXBYTES"},
         .tooMany = "cipher takes a direction and one HEXBYTES", .handler = &CliCommands::cipher},
        {.name = "login", .usage = "ID PASSWORD [--remember]",
         .about = "sign in; prints the display name and use time;\n"
                  "--remember stores the login for the client's\n"
                  "automatic sign-in (30 days)",
         .arguments = {"ID", "PASSWORD"}, .flag = "--remember", .handler = &CliCommands::login},
        {.name = "logout", .usage = "ID PASSWORD", .about = "sign out",
         .arguments = {"ID", "PASSWORD"}, .handler = &CliCommands::logout},
        {.name = "ticket", .about = "probe the server and ask for a session identity",
         .handler = &CliCommands::ticket},
        {.name = "channels", .about = "ticket, channel-list download, and the list",
         .handler = &CliCommands::channels},
        {.name = "pulse", .about = "the player's keep-alive pulse",
         .handler = &CliCommands::pulse},
        {.name = "balance", .usage = "ID PASSWORD", .about = "the remaining viewing time, over UDP",
         .arguments = {"ID", "PASSWORD"}, .handler = &CliCommands::balance},
        {.name = "update-check", .usage = "[SECONDS]",
         .about = "one update query over UDP (default wait 5 s)",
         .arguments = {"SECONDS"}, .optional = 1, .tooMany = "update-check takes at most SECONDS",
         .handler = &CliCommands::updateCheck},
        {.name = "probe", .usage = "HOST", .about = "resolve HOST and send it one echo request",
         .arguments = {"HOST"}, .handler = &CliCommands::probe},
        {.name = "unzip", .usage = "ARCHIVE FOLDER",
         .about = "unpack an advertisement archive by the client's rules",
         .arguments = {"ARCHIVE", "FOLDER"}, .handler = &CliCommands::unzip},
        {.name = "ads", .usage = "[--uuid UUID]",
         .about = "fetch and unpack both advertisement archives",
         .option = "--uuid", .handler = &CliCommands::ads},
        {.name = "captcha", .usage = "[FILE]",
         .about = "fetch one captcha picture into FILE (default the\n"
                  "program folder's skin/auth.bmp); prints its size",
         .arguments = {"FILE"}, .optional = 1, .handler = &CliCommands::captcha},
        {.name = "register", .usage = "EMAIL PASSWORD CONFIRMATION CODE",
         .about = "open an account, CODE from the latest captcha;\n"
                  "prints what the registration form would show",
         .arguments = {"EMAIL", "PASSWORD", "CONFIRMATION", "CODE"},
         .handler = &CliCommands::registerAccount},
        {.name = "findpwd", .usage = "EMAIL CODE", .about = "have the password mailed to EMAIL",
         .arguments = {"EMAIL", "CODE"}, .handler = &CliCommands::findPassword},
        {.name = "search", .usage = "QUERY [--list FILE]",
         .about = "the channels the client's search finds for QUERY,\n"
                  "as id and name (default list: DIR/tvchannel.xml)",
         .arguments = {"QUERY"}, .option = "--list", .handler = &CliCommands::search},
        {.name = "help", .about = "this text", .anyArguments = true,
         .handler = &CliCommands::help},
    };
    return table;
}
// clang-format on

QString CliCommands::usage() {
    QString text = QLatin1String(kHeader);
    const QString indent(kAboutColumn, QLatin1Char(' '));
    for (const Command& command : commands()) {
        QString synopsis = QStringLiteral("  ") + QLatin1String(command.name);
        for (const char* word : {command.verb, command.usage}) {
            if (word != nullptr && *word != '\0') {
                synopsis += QLatin1Char(' ') + QLatin1String(word);
            }
        }
        // Two spaces at least between the synopsis and its description.
        text += synopsis.size() + 2 <= kAboutColumn ? synopsis.leftJustified(kAboutColumn)
                                                    : synopsis + QLatin1Char('\n') + indent;
        text += QString::fromLatin1(command.about)
                    .replace(QLatin1Char('\n'), QLatin1Char('\n') + indent);
        text += QLatin1Char('\n');
    }
    return text + QLatin1String(kFooter);
}

int CliCommands::help(const Call&) {
    m_out << usage();
    return kOk;
}

CliCommands::CliCommands(QTextStream& out, QTextStream& err) : m_out(out), m_err(err) {}

int CliCommands::run(QStringList args) {
    // Options before the command.
    while (!args.isEmpty() && args.front().startsWith(QLatin1String("--"))) {
        const QString option = args.takeFirst();
        if (option == QLatin1String("--help")) {
            return help({});
        }
        if (option == QLatin1String("--version")) {
            m_out << "velo-cli " << kProgramVersion << '\n';
            return kOk;
        }
        if (option != QLatin1String("--key") && option != QLatin1String("--dir")) {
            return badInput(QStringLiteral("unknown option: %1").arg(option));
        }
        if (args.isEmpty()) {
            return badInput(QStringLiteral("missing argument after %1").arg(option));
        }
        const QString value = args.takeFirst();
        if (option == QLatin1String("--dir")) {
            m_dir = value;
            continue;
        }
        const std::optional<QByteArray> key = parseHex(value);
        if (!key || key->isEmpty() || key->size() > 16) {
            return badInput(
                QStringLiteral("--key needs 1 to 16 bytes as hex digits, got \"%1\"").arg(value));
        }
        m_key = *key;
    }
    QString error;
    if (!takeDir(args, m_dir, error)) {
        return badInput(error);
    }
    args.removeAll(QStringLiteral("--"));
    if (args.isEmpty()) {
        m_err << usage();
        return kBadInput;
    }
    const QString name = args.takeFirst();
    return dispatch(name, args);
}

int CliCommands::dispatch(const QString& name, QStringList args) {
    std::vector<const Command*> named;
    for (const Command& command : commands()) {
        if (name == QLatin1String(command.name)) {
            named.push_back(&command);
        }
    }
    if (named.empty()) {
        return badInput(QStringLiteral("unknown command: %1 (try velo-cli help)").arg(name));
    }
    const Command* command = named.front();
    if (command->verb != nullptr) {
        QStringList verbs;
        for (const Command* each : named) {
            verbs << QLatin1String(each->verb);
        }
        const QString choice = verbs.join(QStringLiteral(" or "));
        if (args.isEmpty()) {
            return badInput(QStringLiteral("missing argument: %1").arg(choice));
        }
        const QString verb = args.takeFirst();
        const auto found = std::find_if(named.cbegin(), named.cend(), [&](const Command* each) {
            return verb == QLatin1String(each->verb);
        });
        if (found == named.cend()) {
            return badInput(QStringLiteral("%1 takes %2, not \"%3\"").arg(name, choice, verb));
        }
        command = *found;
    }

    Call call;
    if (command->flag != nullptr) {
        call.flag = args.removeAll(QLatin1String(command->flag)) > 0;
    }
    if (command->option != nullptr) {
        const qsizetype at = args.indexOf(QLatin1String(command->option));
        if (at >= 0) {
            if (at + 1 >= args.size()) {
                return badInput(QStringLiteral("missing argument after %1")
                                    .arg(QLatin1String(command->option)));
            }
            call.option = args[at + 1];
            args.remove(at, 2);
        }
    }
    if (!command->anyArguments) {
        if (command->checkFirst != nullptr && !args.isEmpty()) {
            if (const std::optional<QString> refusal = command->checkFirst(args[0])) {
                return badInput(*refusal);
            }
        }
        const QStringList& names = command->arguments;
        if (args.size() < names.size() - command->optional) {
            return badInput(QStringLiteral("missing argument: %1").arg(names[args.size()]));
        }
        if (args.size() > names.size()) {
            return badInput(command->tooMany != nullptr
                                ? QString::fromLatin1(command->tooMany)
                                : QStringLiteral("too many arguments: %1")
                                      .arg(args.mid(names.size()).join(QLatin1Char(' '))));
        }
    }
    call.args = std::move(args);
    return (this->*command->handler)(call);
}
