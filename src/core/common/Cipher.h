#pragma once

#include <QByteArrayView>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>

// The program's block cipher and the hex text built on it. Configuration values, the remembered
// login and playback addresses are all stored as this hex text, written with the program key.

enum class CipherDirection { Encrypt, Decrypt };

// Longest plain text (bytes in the system code page) whose hex text fits the 127 characters a
// stored value may have: seven blocks, 112 digits.
inline constexpr int kMaxPlainBytes = 56;

// Longest hex text that decrypting looks at: 64 bytes of cipher text.
inline constexpr int kMaxCipherDigits = 128;

// Runs the cipher over ceil(LENGTH / 8) whole blocks from IN to OUT (which may be the same
// buffer); the caller provides whole blocks, padded with zero bytes. A key of 1 to 8 bytes gives
// single mode; 9 to 16 bytes give two-key triple mode (encrypt-decrypt-encrypt), bytes past 16
// are ignored. False, with nothing done, when a buffer or the key is missing or LENGTH is 0.
bool RunCipher(std::uint8_t* out, const std::uint8_t* in, std::size_t length,
               const std::uint8_t* key, std::size_t keyLength, CipherDirection direction);

// Hex text of PLAIN under the program key, white space around it removed. Nothing when the text
// is longer than kMaxPlainBytes: its hex text would not fit where stored values are kept.
std::optional<QString> EncryptText(const QString& plain);

// Plain text of a hex text written by EncryptText. There is no integrity check: text that was
// not written with the program key decrypts to meaningless characters.
QString DecryptText(const QString& hex);

// The same two operations with another key (1 to 16 bytes), for checking data from elsewhere.
std::optional<QString> EncryptTextWithKey(const QString& plain, QByteArrayView key);
QString DecryptTextWithKey(const QString& hex, QByteArrayView key);

// Fills AREA with the program key: 15 bytes and a closing zero. The key exists only while an
// operation runs; callers wipe the area afterwards.
void BuildProgramKey(std::uint8_t (&area)[16]);
