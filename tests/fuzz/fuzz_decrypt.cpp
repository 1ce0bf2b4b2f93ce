// Decrypts arbitrary text, and checks that any plain text short enough to be stored survives a
// round trip through the hex cipher text.
#include "common/Cipher.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    DecryptText(QString::fromLatin1(bytes));
    DecryptText(QString::fromUtf8(bytes));

    QString plain = QString::fromUtf8(bytes).trimmed();
    plain.remove(QChar(0));
    plain = plain.trimmed();
    const std::optional<QString> hex = EncryptText(plain);
    if (plain.toUtf8().size() > kMaxPlainBytes) {
        if (hex.has_value()) {
            __builtin_trap();
        }
        return 0;
    }
    if (!hex.has_value() || hex->size() > 2 * kMaxPlainBytes || hex->size() % 2 != 0 ||
        DecryptText(*hex) != plain) {
        __builtin_trap();
    }
    return 0;
}
