#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <optional>

class ConfigFile;
class ServiceState;

// The deployer's and supporter's tool: each command runs one piece of the client by hand and
// prints what came back. Exit codes: 0 success, 1 the operation failed, 2 bad input.
class CliCommands {
public:
    CliCommands(QTextStream& out, QTextStream& err);

    int run(QStringList args);

private:
    int encrypt(const QStringList& args);
    int decrypt(const QStringList& args);
    int config(const QStringList& args);
    int cipher(const QStringList& args);
    int help();

    // Exchanges with the service, each with the configuration of the program folder.
    int login(QStringList args);
    int logout(const QStringList& args);
    int ticket(const QStringList& args);
    int channels(const QStringList& args);
    int pulse(const QStringList& args);
    int balance(const QStringList& args);
    int updateCheck(const QStringList& args);
    int probe(const QStringList& args);
    // The account forms' requests, with the forms' own checks first; what the form would show
    // goes to standard output.
    int captcha(const QStringList& args);
    int registerAccount(const QStringList& args);
    int findPassword(const QStringList& args);
    // The advertisement archives: one unpacked by hand, or both fetched and unpacked.
    int unzip(const QStringList& args);
    int ads(QStringList args);
    // The channel search over a channel-list file.
    int search(QStringList args);
    bool resolveServer(const ConfigFile& config, ServiceState& state);
    void printState(const ServiceState& state);

    int badInput(const QString& message);
    int failed(const QString& message);
    std::optional<QString> encryptText(const QString& plain) const;
    QString decryptText(const QString& hex) const;
    QString configFolder() const;

    QTextStream& m_out;
    QTextStream& m_err;
    std::optional<QByteArray> m_key;  // --key: a key of the caller's instead of the program's
    QString m_dir;                    // --dir: the program folder to work on
};
