// "config get" and "config set": one value of the configuration file, decrypted or encrypted.
#include "CliCommands.h"

#include "common/Cipher.h"
#include "platform/IniFile.h"
#include "session/ConfigFile.h"

namespace {

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

}  // namespace

std::optional<QString> CliCommands::checkKey(const QString& name) {
    if (findKey(name) == nullptr) {
        return QStringLiteral("unknown key: %1").arg(name);
    }
    return std::nullopt;
}

int CliCommands::configGet(const Call& call) {
    const KnownKey* key = findKey(call.args[0]);
    const QString keyName = QLatin1String(key->name);
    const ConfigFile file = config();
    const QString stored = IniFile::readString(file.filePath(), QStringLiteral("VELO"), keyName,
                                               QString(), key->buffer);
    QString value = decryptText(stored);
    if (value.isEmpty() && !builtInValue(keyName).isEmpty()) {
        value = builtInValue(keyName);
        m_err << "velo-cli: " << keyName << " is not set; the built-in value is shown" << Qt::endl;
    }
    m_out << value << Qt::endl;
    return kOk;
}

int CliCommands::configSet(const Call& call) {
    const QString keyName = QLatin1String(findKey(call.args[0])->name);
    const ConfigFile file = config();
    const std::optional<QString> hex = encryptText(call.args[1]);
    if (!hex) {
        return badInput(
            QStringLiteral("value longer than %1 bytes cannot be stored").arg(kMaxPlainBytes));
    }
    if (!IniFile::writeString(file.filePath(), QStringLiteral("VELO"), keyName, *hex)) {
        return failed(QStringLiteral("could not write %1").arg(file.filePath()));
    }
    m_out << keyName << '=' << *hex << Qt::endl;
    return kOk;
}
