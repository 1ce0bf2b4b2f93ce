// Signing in and out by hand, with the sign-in dialog's record for the automatic sign-in.
#include "CliCommands.h"

#include "platform/Clock.h"
#include "service/LoginExchange.h"
#include "session/ConfigFile.h"
#include "session/SavedLogin.h"

int CliCommands::login(const Call& call) {
    const QString& id = call.args[0];
    const QString& password = call.args[1];
    const ConfigFile config = this->config();
    const LoginExchange::LoginResult result = LoginExchange::Login(config, id, password);
    if (!result.ok) {
        return failed(result.message);
    }
    m_out << "signed in: " << result.displayName << Qt::endl;
    m_out << "use time: " << result.useTime.value_or(0) << " s" << Qt::endl;
    if (call.flag) {
        // The same record the sign-in dialog keeps, dated today.
        const QString record = SavedLogin::MakeRecord(id, password, Clock::system().now().date());
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

int CliCommands::logout(const Call& call) {
    if (!LoginExchange::Logout(config(), call.args[0], call.args[1])) {
        return failed(QStringLiteral("logout failed: the server could not be reached or refused"));
    }
    m_out << "signed out" << Qt::endl;
    return kOk;
}
