#pragma once

#include "session/ConfigFile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <cstdint>
#include <optional>
#include <vector>

class ServiceState;
namespace AccountExchange {
struct Reply;
}

// The deployer's and supporter's tool: each command runs one piece of the client by hand and
// prints what came back. Exit codes: 0 success, 1 the operation failed, 2 bad input.
class CliCommands {
public:
    static constexpr int kOk = 0;
    static constexpr int kFailed = 1;
    static constexpr int kBadInput = 2;

    CliCommands(QTextStream& out, QTextStream& err);

    int run(QStringList args);

    // What a command is handed once its arguments are counted: its flag and its option are
    // taken out of them.
    struct Call {
        QStringList args;
        bool flag = false;              // the command's flag was given
        std::optional<QString> option;  // the value after the command's option, when given
    };

private:
    // One row of the command table (CliCommands.cpp): how a command is called and checked.
    struct Command;
    static const std::vector<Command>& commands();
    int dispatch(const QString& name, QStringList args);
    static QString usage();

    int help(const Call& call);
    int encrypt(const Call& call);
    int decrypt(const Call& call);
    int cipher(const Call& call);
    int configGet(const Call& call);
    int configSet(const Call& call);
    static std::optional<QString> checkKey(const QString& name);

    // Exchanges with the service, each with the configuration of the program folder.
    int login(const Call& call);
    int logout(const Call& call);
    int ticket(const Call& call);
    int channels(const Call& call);
    int pulse(const Call& call);
    int balance(const Call& call);
    int updateCheck(const Call& call);
    int probe(const Call& call);
    // The account forms' requests, with the forms' own checks first; what the form would show
    // goes to standard output.
    int captcha(const Call& call);
    int registerAccount(const Call& call);
    int findPassword(const Call& call);
    // What the form shows for the service's REPLY, TEXT telling a status's words; UNREADABLE is
    // what it shows for a reply it cannot read, or empty when that is a failure of its own.
    int formReply(const AccountExchange::Reply& reply, QString (*text)(const QByteArray& status),
                  const QString& unreadable);
    // The advertisement archives: one unpacked by hand, or both fetched and unpacked.
    int unzip(const Call& call);
    int ads(const Call& call);
    // The channel search over a channel-list file.
    int search(const Call& call);

    // Shared by the commands (CliHelpers.cpp).
    int badInput(const QString& message);
    int failed(const QString& message);
    std::optional<QString> encryptText(const QString& plain) const;
    QString decryptText(const QString& hex) const;
    QString configFolder() const;
    // Where the client writes beside that folder, and confignew.ini as the client reads it.
    QString dataFolder() const;
    ConfigFile config() const;
    // Finds the server the datagram queries go to; when none answers, says so with the state.
    bool resolveServer(const ConfigFile& config, ServiceState& state);
    void printState(const ServiceState& state);
    static std::optional<QByteArray> parseHex(const QString& text);
    static QString ipText(std::uint32_t address);

    QTextStream& m_out;
    QTextStream& m_err;
    std::optional<QByteArray> m_key;  // --key: a key of the caller's instead of the program's
    QString m_dir;                    // --dir: the program folder to work on
};
