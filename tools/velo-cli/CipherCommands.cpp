// Encryption by hand: the text cipher the configuration file uses, and the block cipher below it.
#include "CliCommands.h"

#include "common/Cipher.h"

#include <algorithm>
#include <cstdint>

int CliCommands::encrypt(const Call& call) {
    const std::optional<QString> hex = encryptText(call.args[0]);
    if (!hex) {
        return badInput(
            QStringLiteral("text longer than %1 bytes cannot be encrypted").arg(kMaxPlainBytes));
    }
    m_out << *hex << Qt::endl;
    return kOk;
}

int CliCommands::decrypt(const Call& call) {
    const QString& hex = call.args[0];
    if (!parseHex(hex)) {
        return badInput(QStringLiteral("not an even number of hex digits: \"%1\"").arg(hex));
    }
    if (hex.size() > kMaxCipherDigits) {
        return badInput(QStringLiteral("cipher text longer than %1 digits").arg(kMaxCipherDigits));
    }
    m_out << decryptText(hex) << Qt::endl;
    return kOk;
}

int CliCommands::cipher(const Call& call) {
    const QStringList& args = call.args;
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
