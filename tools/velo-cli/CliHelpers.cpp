// What the commands share: the messages, the program's or the caller's key, the program folder,
// and the server state as the service commands print it.
#include "CliCommands.h"

#include "common/Cipher.h"
#include "platform/ProgramFolder.h"
#include "service/ServiceState.h"
#include "service/TicketRequest.h"
#include "session/ConfigFile.h"

#include <arpa/inet.h>

#include <QDir>

int CliCommands::badInput(const QString& message) {
    m_err << "velo-cli: " << message << Qt::endl;
    return kBadInput;
}

int CliCommands::failed(const QString& message) {
    m_err << "velo-cli: " << message << Qt::endl;
    return kFailed;
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

QString CliCommands::dataFolder() const {
    return ProgramFolder::dataFolder(configFolder());
}

ConfigFile CliCommands::config() const {
    return ConfigFile(dataFolder(), configFolder());
}

// Strict hex: an even number of digits and nothing else.
std::optional<QByteArray> CliCommands::parseHex(const QString& text) {
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

QString CliCommands::ipText(std::uint32_t address) {
    in_addr in{};
    in.s_addr = address;
    return QString::fromLatin1(::inet_ntoa(in));
}

void CliCommands::printState(const ServiceState& state) {
    m_out << "server: " << state.serverUrl() << Qt::endl;
    m_out << "server address: " << ipText(state.serverIp()) << Qt::endl;
    m_out << "identity: " << state.uuid() << Qt::endl;
}

bool CliCommands::resolveServer(const ConfigFile& config, ServiceState& state) {
    QString address = config.serverUrl(ConfigFile::kServerUrlForTicket);
    const bool reachable = TicketRequest::CheckServer(config, state, address);
    state.setServerUrl(address);
    if (!reachable) {
        printState(state);
        failed(QStringLiteral("the server does not answer"));
    }
    return reachable;
}
