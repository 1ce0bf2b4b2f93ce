#include "CliCommands.h"

#include "ads/AdArchive.h"
#include "ads/AdDownload.h"
#include "catalogue/ChannelList.h"
#include "catalogue/ChannelSearch.h"
#include "common/Cipher.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/IniFile.h"
#include "platform/ProgramFolder.h"
#include "service/AccountExchange.h"
#include "service/BalanceQuery.h"
#include "service/CaptchaDownload.h"
#include "service/ChannelListDownload.h"
#include "service/KeepAlive.h"
#include "service/LoginExchange.h"
#include "service/RequestCore.h"
#include "service/ServiceState.h"
#include "service/TicketRequest.h"
#include "session/ConfigFile.h"
#include "session/SavedLogin.h"
#include "update/DatagramReply.h"
#include "update/UpdateCheck.h"

#include <arpa/inet.h>

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cstdint>

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kBadInput = 2;

const char* const kUsage =
    "usage: velo-cli [--key HEX] [--dir DIR] COMMAND ...\n"
    "  encrypt TEXT                      hex cipher text of TEXT\n"
    "  decrypt HEX                       plain text of a hex cipher text\n"
    "  config get KEY [--dir DIR]        decrypted value of KEY in DIR/confignew.ini\n"
    "  config set KEY VALUE [--dir DIR]  encrypt VALUE and store it under KEY\n"
    "  cipher encrypt|decrypt HEXBYTES   run the block cipher over whole blocks\n"
    "  login ID PASSWORD [--remember]    sign in; prints the display name and use time;\n"
    "                                    --remember stores the login for the client's\n"
    "                                    automatic sign-in (30 days)\n"
    "  logout ID PASSWORD                sign out\n"
    "  ticket                            probe the server and ask for a session identity\n"
    "  channels                          ticket, channel-list download, and the list\n"
    "  pulse                             the player's keep-alive pulse\n"
    "  balance ID PASSWORD               the remaining viewing time, over UDP\n"
    "  update-check [SECONDS]            one update query over UDP (default wait 5 s)\n"
    "  probe HOST                        resolve HOST and send it one echo request\n"
    "  unzip ARCHIVE FOLDER              unpack an advertisement archive by the client's rules\n"
    "  ads [--uuid UUID]                 fetch and unpack both advertisement archives\n"
    "  captcha [FILE]                    fetch one captcha picture into FILE (default the\n"
    "                                    program folder's skin/auth.bmp); prints its size\n"
    "  register EMAIL PASSWORD CONFIRMATION CODE\n"
    "                                    open an account, CODE from the latest captcha;\n"
    "                                    prints what the registration form would show\n"
    "  findpwd EMAIL CODE                have the password mailed to EMAIL\n"
    "  search QUERY [--list FILE]        the channels the client's search finds for QUERY,\n"
    "                                    as id and name (default list: DIR/tvchannel.xml)\n"
    "  help                              this text\n"
    "--key HEX uses a key of 1 to 16 bytes instead of the program's (1 to 8 bytes: single mode).\n"
    "DIR defaults to the folder of the client executable.\n"
    "Keys: ServerUrl UerSetMeal TvProgram UserInfo ProbeHost1 ProbeHost2 FallbackUrl1\n"
    "      FallbackUrl2 AdServer\n";

struct KnownKey {
    const char* name;
    int buffer;
};

// Each key is read through the largest buffer any reader of it uses.
constexpr KnownKey kKeys[] = {
    {"ServerUrl", ConfigFile::kServerUrlForRegistration},
    {"UerSetMeal", ConfigFile::kUerSetMealBuffer},
    {"TvProgram", ConfigFile::kTvProgramBuffer},
    {"UserInfo", ConfigFile::kUserInfoBuffer},
    {"ProbeHost1", ConfigFile::kDeploymentBuffer},
    {"ProbeHost2", ConfigFile::kDeploymentBuffer},
    {"FallbackUrl1", ConfigFile::kDeploymentBuffer},
    {"FallbackUrl2", ConfigFile::kDeploymentBuffer},
    {"AdServer", ConfigFile::kDeploymentBuffer},
};

const KnownKey* findKey(const QString& name) {
    for (const KnownKey& key : kKeys) {
        if (name.compare(QLatin1String(key.name), Qt::CaseInsensitive) == 0) {
            return &key;
        }
    }
    return nullptr;
}

QString builtInValue(const QString& key) {
    if (key == QLatin1String("ProbeHost1"))
        return ConfigFile::defaultProbeHost(1);
    if (key == QLatin1String("ProbeHost2"))
        return ConfigFile::defaultProbeHost(2);
    if (key == QLatin1String("FallbackUrl1"))
        return ConfigFile::defaultFallbackUrl(1);
    if (key == QLatin1String("FallbackUrl2"))
        return ConfigFile::defaultFallbackUrl(2);
    if (key == QLatin1String("AdServer"))
        return ConfigFile::defaultAdServer();
    return {};
}

// Strict hex: an even number of digits and nothing else.
std::optional<QByteArray> parseHex(const QString& text) {
    if (text.size() % 2 != 0) {
        return std::nullopt;
    }
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool digit =
            (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F');
        if (!digit) {
            return std::nullopt;
        }
    }
    return QByteArray::fromHex(text.toLatin1());
}

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

CliCommands::CliCommands(QTextStream& out, QTextStream& err) : m_out(out), m_err(err) {}

int CliCommands::badInput(const QString& message) {
    m_err << "velo-cli: " << message << Qt::endl;
    return kBadInput;
}

int CliCommands::failed(const QString& message) {
    m_err << "velo-cli: " << message << Qt::endl;
    return kFailed;
}

int CliCommands::run(QStringList args) {
    // Options before the command.
    while (!args.isEmpty() && args.front().startsWith(QLatin1String("--"))) {
        const QString option = args.takeFirst();
        if (option == QLatin1String("--help")) {
            return help();
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
        m_err << kUsage;
        return kBadInput;
    }
    const QString command = args.takeFirst();
    if (command == QLatin1String("encrypt"))
        return encrypt(args);
    if (command == QLatin1String("decrypt"))
        return decrypt(args);
    if (command == QLatin1String("config"))
        return config(args);
    if (command == QLatin1String("cipher"))
        return cipher(args);
    if (command == QLatin1String("help"))
        return help();
    if (command == QLatin1String("login"))
        return login(args);
    if (command == QLatin1String("logout"))
        return logout(args);
    if (command == QLatin1String("ticket"))
        return ticket(args);
    if (command == QLatin1String("channels"))
        return channels(args);
    if (command == QLatin1String("pulse"))
        return pulse(args);
    if (command == QLatin1String("balance"))
        return balance(args);
    if (command == QLatin1String("update-check"))
        return updateCheck(args);
    if (command == QLatin1String("probe"))
        return probe(args);
    if (command == QLatin1String("unzip"))
        return unzip(args);
    if (command == QLatin1String("ads"))
        return ads(args);
    if (command == QLatin1String("captcha"))
        return captcha(args);
    if (command == QLatin1String("register"))
        return registerAccount(args);
    if (command == QLatin1String("findpwd"))
        return findPassword(args);
    if (command == QLatin1String("search"))
        return search(args);
    return badInput(QStringLiteral("unknown command: %1 (try velo-cli help)").arg(command));
}

int CliCommands::help() {
    m_out << kUsage;
    return kOk;
}

std::optional<QString> CliCommands::encryptText(const QString& plain) const {
    return m_key ? EncryptTextWithKey(plain, *m_key) : EncryptText(plain);
}

QString CliCommands::decryptText(const QString& hex) const {
    return m_key ? DecryptTextWithKey(hex, *m_key) : DecryptText(hex);
}

QString CliCommands::configFolder() const {
    return m_dir.isEmpty() ? ProgramFolder::path() : QDir(m_dir).absolutePath();
}

int CliCommands::encrypt(const QStringList& args) {
    if (args.size() != 1) {
        return badInput(args.isEmpty() ? QStringLiteral("missing argument: TEXT")
                                       : QStringLiteral("encrypt takes one TEXT"));
    }
    const std::optional<QString> hex = encryptText(args[0]);
    if (!hex) {
        return badInput(
            QStringLiteral("text longer than %1 bytes cannot be encrypted").arg(kMaxPlainBytes));
    }
    m_out << *hex << Qt::endl;
    return kOk;
}

int CliCommands::decrypt(const QStringList& args) {
    if (args.size() != 1) {
        return badInput(args.isEmpty() ? QStringLiteral("missing argument: HEX")
                                       : QStringLiteral("decrypt takes one HEX"));
    }
    if (!parseHex(args[0])) {
        return badInput(QStringLiteral("not an even number of hex digits: \"%1\"").arg(args[0]));
    }
    if (args[0].size() > kMaxCipherDigits) {
        return badInput(QStringLiteral("cipher text longer than %1 digits").arg(kMaxCipherDigits));
    }
    m_out << decryptText(args[0]) << Qt::endl;
    return kOk;
}

int CliCommands::config(const QStringList& args) {
    if (args.isEmpty()) {
        return badInput(QStringLiteral("missing argument: get or set"));
    }
    const QString verb = args[0];
    const bool get = verb == QLatin1String("get");
    const bool set = verb == QLatin1String("set");
    if (!get && !set) {
        return badInput(QStringLiteral("config takes get or set, not \"%1\"").arg(verb));
    }
    if (args.size() < 2) {
        return badInput(QStringLiteral("missing argument: KEY"));
    }
    const KnownKey* key = findKey(args[1]);
    if (key == nullptr) {
        return badInput(QStringLiteral("unknown key: %1").arg(args[1]));
    }
    const QString keyName = QLatin1String(key->name);
    const ConfigFile file(configFolder());

    if (get) {
        if (args.size() != 2) {
            return badInput(QStringLiteral("config get takes one KEY"));
        }
        const QString stored = IniFile::readString(file.filePath(), QStringLiteral("VELO"), keyName,
                                                   QString(), key->buffer);
        QString value = decryptText(stored);
        if (value.isEmpty() && !builtInValue(keyName).isEmpty()) {
            value = builtInValue(keyName);
            m_err << "velo-cli: " << keyName << " is not set; the built-in value is shown"
                  << Qt::endl;
        }
        m_out << value << Qt::endl;
        return kOk;
    }

    if (args.size() != 3) {
        return badInput(args.size() < 3 ? QStringLiteral("missing argument: VALUE")
                                        : QStringLiteral("config set takes one KEY and one VALUE"));
    }
    const std::optional<QString> cipher = encryptText(args[2]);
    if (!cipher) {
        return badInput(
            QStringLiteral("value longer than %1 bytes cannot be stored").arg(kMaxPlainBytes));
    }
    if (!IniFile::writeString(file.filePath(), QStringLiteral("VELO"), keyName, *cipher)) {
        return failed(QStringLiteral("could not write %1").arg(file.filePath()));
    }
    m_out << keyName << '=' << *cipher << Qt::endl;
    return kOk;
}

int CliCommands::cipher(const QStringList& args) {
    if (args.size() < 2) {
        return badInput(args.isEmpty() ? QStringLiteral("missing argument: encrypt or decrypt")
                                       : QStringLiteral("missing argument: HEXBYTES"));
    }
    if (args.size() > 2) {
        return badInput(QStringLiteral("cipher takes a direction and one HEXBYTES"));
    }
    CipherDirection direction;
    if (args[0] == QLatin1String("encrypt")) {
        direction = CipherDirection::Encrypt;
    } else if (args[0] == QLatin1String("decrypt")) {
        direction = CipherDirection::Decrypt;
    } else {
        return badInput(QStringLiteral("cipher takes encrypt or decrypt, not \"%1\"").arg(args[0]));
    }
    std::optional<QByteArray> bytes = parseHex(args[1]);
    if (!bytes || bytes->isEmpty()) {
        return badInput(QStringLiteral("not an even number of hex digits: \"%1\"").arg(args[1]));
    }
    // Whole blocks, padded with zero bytes.
    bytes->append(QByteArray((8 - bytes->size() % 8) % 8, '\0'));

    std::uint8_t key[16] = {};
    std::size_t keyLength = 15;
    if (m_key) {
        keyLength = static_cast<std::size_t>(m_key->size());
        std::copy(m_key->cbegin(), m_key->cend(), key);
    } else {
        BuildProgramKey(key);
    }
    auto* data = reinterpret_cast<std::uint8_t*>(bytes->data());
    RunCipher(data, data, static_cast<std::size_t>(bytes->size()), key, keyLength, direction);
    std::fill(std::begin(key), std::end(key), 0);
    m_out << bytes->toHex() << Qt::endl;
    return kOk;
}

namespace {

bool needArgs(const QStringList& args, const QStringList& names, QString& error) {
    if (args.size() < names.size()) {
        error = QStringLiteral("missing argument: %1").arg(names[args.size()]);
        return false;
    }
    if (args.size() > names.size()) {
        error = QStringLiteral("too many arguments: %1").arg(args.mid(names.size()).join(' '));
        return false;
    }
    return true;
}

QString ipText(std::uint32_t address) {
    in_addr in{};
    in.s_addr = address;
    return QString::fromLatin1(::inet_ntoa(in));
}

}  // namespace

void CliCommands::printState(const ServiceState& state) {
    m_out << "server: " << state.serverUrl() << Qt::endl;
    m_out << "server address: " << ipText(state.serverIp()) << Qt::endl;
    m_out << "identity: " << state.uuid() << Qt::endl;
}

bool CliCommands::resolveServer(const ConfigFile& config, ServiceState& state) {
    QString address = config.serverUrl(ConfigFile::kServerUrlForTicket);
    const bool reachable = TicketRequest::CheckServer(config, state, address);
    state.setServerUrl(address);
    return reachable;
}

int CliCommands::login(QStringList args) {
    const bool remember = args.removeAll(QStringLiteral("--remember")) > 0;
    QString error;
    if (!needArgs(args, {"ID", "PASSWORD"}, error)) {
        return badInput(error);
    }
    const ConfigFile config(configFolder());
    const LoginExchange::LoginResult result = LoginExchange::Login(config, args[0], args[1]);
    if (!result.ok) {
        return failed(result.message);
    }
    m_out << "signed in: " << result.displayName << Qt::endl;
    m_out << "use time: " << result.useTime.value_or(0) << " s" << Qt::endl;
    if (remember) {
        // The same record the sign-in dialog keeps, dated today.
        const QString record =
            SavedLogin::MakeRecord(args[0], args[1], Clock::system().now().date());
        switch (config.writeUserInfo(record)) {
            case ConfigFile::WriteResult::Written:
                m_out << "remembered for automatic sign-in" << Qt::endl;
                break;
            case ConfigFile::WriteResult::TooLong:
                return failed(QStringLiteral("ID and password are too long to be remembered"));
            case ConfigFile::WriteResult::Failed:
                return failed(QStringLiteral("cannot write %1").arg(config.filePath()));
        }
    }
    return kOk;
}

int CliCommands::logout(const QStringList& args) {
    QString error;
    if (!needArgs(args, {"ID", "PASSWORD"}, error)) {
        return badInput(error);
    }
    if (!LoginExchange::Logout(ConfigFile(configFolder()), args[0], args[1])) {
        return failed(QStringLiteral("logout failed: the server could not be reached or refused"));
    }
    m_out << "signed out" << Qt::endl;
    return kOk;
}

int CliCommands::ticket(const QStringList& args) {
    QString error;
    if (!needArgs(args, {}, error)) {
        return badInput(error);
    }
    const ConfigFile config(configFolder());
    ServiceState state;
    const bool granted = TicketRequest::RequestTicket(config, state);
    printState(state);
    if (!granted) {
        return failed(QStringLiteral("no ticket: server unreachable, request refused or no reply"));
    }
    m_out << "ticket granted" << Qt::endl;
    return kOk;
}

int CliCommands::channels(const QStringList& args) {
    QString error;
    if (!needArgs(args, {}, error)) {
        return badInput(error);
    }
    const QString folder = configFolder();
    const ConfigFile config(folder);
    ServiceState state;
    // As the client does: the list is asked for whatever the ticket request said.
    const bool granted = TicketRequest::RequestTicket(config, state);
    printState(state);
    m_out << "ticket: " << (granted ? "granted" : "not granted") << Qt::endl;
    if (!ChannelListDownload::DownloadChannelList(config, state, folder)) {
        return failed(QStringLiteral("channel list download failed"));
    }
    const QString path = ChannelListDownload::filePath(folder);
    m_out << "saved: " << path << Qt::endl;
    ChannelList lists;
    if (LoadChannelFile(path, lists) == 0) {
        return failed(QStringLiteral("the downloaded channel list holds no group set"));
    }
    for (const auto& set : lists.groupSets) {
        m_out << "[" << set->index << "] " << set->name << Qt::endl;
        for (const auto& group : lists.groups) {
            if (group->setIndex != set->index) {
                continue;
            }
            m_out << "  [" << group->groupIndex << "] " << group->name << Qt::endl;
            if (!group->hasChannels) {
                m_out << "    " << kEmptyGroupLabel << Qt::endl;
                continue;
            }
            for (const auto& channel : lists.channels) {
                if (channel->groupIndex == group->groupIndex) {
                    m_out << "    " << channel->id << "  " << ChannelLabel(*channel) << "  "
                          << channel->address << Qt::endl;
                }
            }
        }
    }
    return kOk;
}

int CliCommands::pulse(const QStringList& args) {
    QString error;
    if (!needArgs(args, {}, error)) {
        return badInput(error);
    }
    const ConfigFile config(configFolder());
    ServiceState state;
    state.setServerUrl(config.serverUrl(ConfigFile::kServerUrlForTicket));
    const KeepAlive::PulseResult result =
        KeepAlive::SendPulse(config, state, Clock::system().tickCount());
    printState(state);
    switch (result) {
        case KeepAlive::PulseResult::Accepted:
            m_out << "pulse accepted" << Qt::endl;
            return kOk;
        case KeepAlive::PulseResult::Rejected:
            return failed(QStringLiteral("pulse rejected, also after renewing the identity"));
        case KeepAlive::PulseResult::NoAnswer:
            break;
    }
    return failed(QStringLiteral("pulse got no answer"));
}

int CliCommands::balance(const QStringList& args) {
    QString error;
    if (!needArgs(args, {"ID", "PASSWORD"}, error)) {
        return badInput(error);
    }
    if (BalanceQuery::BalanceRequest(args[0], args[1]).isEmpty()) {
        return badInput(QStringLiteral("ID and password are too long for a balance request"));
    }
    const ConfigFile config(configFolder());
    ServiceState state;
    if (!resolveServer(config, state)) {
        printState(state);
        return failed(QStringLiteral("the server does not answer"));
    }
    const BalanceQuery::Answer answer = BalanceQuery::QueryBalance(state, args[0], args[1]);
    m_out << "server address: " << ipText(state.serverIp()) << Qt::endl;
    if (!answer.reply.isEmpty()) {
        m_out << "reply: " << answer.reply << Qt::endl;
    }
    if (answer.outcome != BalanceQuery::Outcome::Answered) {
        return failed(answer.outcome == BalanceQuery::Outcome::NoAnswer
                          ? QStringLiteral("no answer within 1000 ms")
                      : answer.outcome == BalanceQuery::Outcome::SendFailed
                          ? QStringLiteral("could not send from local port 35002")
                          : QStringLiteral("the answer carries no use time"));
    }
    m_out << "use time: " << answer.useTime << " s" << Qt::endl;
    return kOk;
}

int CliCommands::updateCheck(const QStringList& args) {
    if (args.size() > 1) {
        return badInput(QStringLiteral("update-check takes at most SECONDS"));
    }
    bool ok = true;
    const int seconds = args.isEmpty() ? 5 : args[0].toInt(&ok);
    if (!ok || seconds < 1 || seconds > 120) {
        return badInput(QStringLiteral("SECONDS must be a number from 1 to 120"));
    }
    const ConfigFile config(configFolder());
    ServiceState state;
    if (!resolveServer(config, state)) {
        printState(state);
        return failed(QStringLiteral("the server does not answer"));
    }
    const QString reply = UpdateCheck::askOnce(state, seconds * 1000);
    m_out << "server address: " << ipText(state.serverIp()) << Qt::endl;
    if (reply.isEmpty()) {
        return failed(QStringLiteral("no reply within %1 s").arg(seconds));
    }
    m_out << "reply: " << reply << Qt::endl;
    QString text1;
    QString text2;
    int retry = 0;
    int flag = 0;
    if (DatagramReply::ParseDatagramReply(reply, text1, text2, retry, flag) == 1) {
        m_out << (flag == 1 ? "mandatory update" : "new version") << Qt::endl;
        m_out << "text1: " << text1 << Qt::endl;
        m_out << "text2: " << text2 << Qt::endl;
        return kOk;
    }
    if (retry == 0) {
        m_out << "no new version" << Qt::endl;
        return kOk;
    }
    return failed(QStringLiteral("malformed reply"));
}

int CliCommands::probe(const QStringList& args) {
    QString error;
    if (!needArgs(args, {"HOST"}, error)) {
        return badInput(error);
    }
    ServiceState state;
    const bool answered = TicketRequest::ProbeHost(state, CodePage::toAnsi(args[0]), {80, 7006});
    m_out << "address: " << ipText(state.serverIp()) << Qt::endl;
    if (!answered) {
        return failed(state.serverIp() == 0 ? QStringLiteral("cannot resolve %1").arg(args[0])
                                            : QStringLiteral("no answer from %1").arg(args[0]));
    }
    m_out << "answered" << Qt::endl;
    return kOk;
}

int CliCommands::unzip(const QStringList& args) {
    QString error;
    if (!needArgs(args, {"ARCHIVE", "FOLDER"}, error)) {
        return badInput(error);
    }
    // A missing archive is one that cannot be opened, not a mistake in the command line.
    if (!QFileInfo(args[0]).isFile()) {
        return failed(QStringLiteral("cannot open %1: no such file").arg(args[0]));
    }
    const bool opened = AdArchive::UnpackArchive(
        args[0], QDir(args[1]).absolutePath(),
        [this](const QString& name, AdArchive::Error outcome) {
            m_out << name << '\t' << AdArchive::describe(outcome) << Qt::endl;
        });
    if (!opened) {
        AdArchive::Error why = AdArchive::Error::Open;
        AdArchive::OpenArchive(args[0], &why);
        return failed(QStringLiteral("cannot open %1: %2").arg(args[0], AdArchive::describe(why)));
    }
    return kOk;
}

int CliCommands::ads(QStringList args) {
    QString uuid;
    const qsizetype option = args.indexOf(QStringLiteral("--uuid"));
    if (option >= 0) {
        if (option + 1 >= args.size()) {
            return badInput(QStringLiteral("missing argument after --uuid"));
        }
        uuid = args[option + 1];
        args.remove(option, 2);
    }
    QString error;
    if (!needArgs(args, {}, error)) {
        return badInput(error);
    }
    const QString folder = configFolder();
    std::vector<AdDownload::Fetch> fetched;
    AdDownload::FetchAll(folder, ConfigFile(folder).adServer(), uuid, &fetched);
    bool any = false;
    for (const AdDownload::Fetch& fetch : fetched) {
        m_out << "address: "
              << (fetch.address.isEmpty() ? QStringLiteral("(unusable server)") : fetch.address)
              << Qt::endl;
        m_out << "status: " << fetch.status << Qt::endl;
        if (!fetch.stored) {
            m_out << "archive: not stored, the previous files stay" << Qt::endl;
            continue;
        }
        any = true;
        m_out << "archive: stored" << (fetch.unpacked ? "" : ", but it cannot be opened")
              << Qt::endl;
        for (const auto& [name, outcome] : fetch.entries) {
            m_out << "  " << name << '\t' << AdArchive::describe(outcome) << Qt::endl;
        }
    }
    return any ? kOk : failed(QStringLiteral("no advertisement archive arrived"));
}

int CliCommands::captcha(const QStringList& args) {
    if (args.size() > 1) {
        return badInput(QStringLiteral("too many arguments: %1").arg(args.mid(1).join(' ')));
    }
    const QString folder = configFolder();
    const QString file = args.isEmpty() ? CaptchaDownload::imagePath(folder) : args[0];
    CaptchaDownload::Tickets tickets;
    const CaptchaDownload::Result result =
        CaptchaDownload::Download(ConfigFile(folder).serverUrl(ConfigFile::kServerUrlForCaptcha),
                                  file, tickets, tickets.next());
    if (!result.ok) {
        return failed(QStringLiteral("no captcha could be fetched into %1").arg(file));
    }
    if (!result.stored) {
        return failed(QStringLiteral("the captcha came but could not be written to %1").arg(file));
    }
    m_out << result.image.size() << Qt::endl;
    return kOk;
}

int CliCommands::registerAccount(const QStringList& args) {
    QString error;
    if (!needArgs(args, {"EMAIL", "PASSWORD", "CONFIRMATION", "CODE"}, error)) {
        return badInput(error);
    }
    if (const auto refusal =
            AccountExchange::CheckRegistration(args[0], args[1], args[2], args[3])) {
        m_out << *refusal << Qt::endl;
        return kFailed;
    }
    const AccountExchange::Reply reply =
        AccountExchange::Register(ConfigFile(configFolder()), args[0], args[1], args[3]);
    switch (reply.kind) {
        case AccountExchange::Reply::Kind::NetworkFailure:
            return failed(QStringLiteral("the server could not be reached"));
        case AccountExchange::Reply::Kind::Empty:
            return failed(QStringLiteral("the server's reply was empty"));
        case AccountExchange::Reply::Kind::Unreadable:
            return failed(QStringLiteral("the server's reply could not be read"));
        case AccountExchange::Reply::Kind::Status:
            break;
    }
    const QString text = AccountExchange::RegistrationText(reply.status);
    if (text.isEmpty()) {
        return failed(QStringLiteral("unknown status \"%1\"").arg(QString::fromUtf8(reply.status)));
    }
    m_out << text << Qt::endl;
    return reply.status == "1" ? kOk : kFailed;
}

int CliCommands::findPassword(const QStringList& args) {
    QString error;
    if (!needArgs(args, {"EMAIL", "CODE"}, error)) {
        return badInput(error);
    }
    if (const auto refusal = AccountExchange::CheckRecovery(args[0], args[1])) {
        m_out << *refusal << Qt::endl;
        return kFailed;
    }
    const AccountExchange::Reply reply =
        AccountExchange::FindPassword(ConfigFile(configFolder()), args[0], args[1]);
    switch (reply.kind) {
        case AccountExchange::Reply::Kind::NetworkFailure:
            return failed(QStringLiteral("the server could not be reached"));
        case AccountExchange::Reply::Kind::Empty:
            return failed(QStringLiteral("the server's reply was empty"));
        case AccountExchange::Reply::Kind::Unreadable:
            m_out << AccountExchange::kRecoveryTimeout << Qt::endl;
            return kFailed;
        case AccountExchange::Reply::Kind::Status:
            break;
    }
    const QString text = AccountExchange::RecoveryText(reply.status);
    if (text.isEmpty()) {
        return failed(QStringLiteral("unknown status \"%1\"").arg(QString::fromUtf8(reply.status)));
    }
    m_out << text << Qt::endl;
    return reply.status == "1" ? kOk : kFailed;
}

int CliCommands::search(QStringList args) {
    QString list = QDir(configFolder()).filePath(ChannelListDownload::kFileName);
    const qsizetype option = args.indexOf(QStringLiteral("--list"));
    if (option >= 0) {
        if (option + 1 >= args.size()) {
            return badInput(QStringLiteral("missing argument after --list"));
        }
        list = args[option + 1];
        args.remove(option, 2);
    }
    QString error;
    if (!needArgs(args, {"QUERY"}, error)) {
        return badInput(error);
    }
    if (!QFileInfo(list).isFile()) {
        return badInput(QStringLiteral("no channel list at %1").arg(list));
    }
    ChannelList lists;
    if (LoadChannelFile(list, lists) == 0) {
        return failed(QStringLiteral("%1 holds no channel list").arg(list));
    }
    const ChannelSearch search(lists);
    const std::vector<const ChannelInfo*> found = search.FindChannels(args[0]);
    for (const ChannelInfo* channel : found) {
        m_out << channel->id << '\t' << channel->name << Qt::endl;
    }
    if (found.empty()) {
        return failed(QStringLiteral("no channel matches \"%1\" (searched as \"%2\")")
                          .arg(args[0], ChannelSearch::Fold(args[0])));
    }
    return kOk;
}
