#include "common/Cipher.h"

#include "common/CipherTables.h"
#include "platform/CodePage.h"

#include <array>
#include <cstring>

namespace {

// A block is handled as a 64-bit word whose bit i is bit (i mod 8) of byte (i div 8), least
// significant bit first, which is exactly the little-endian reading of the eight bytes. Every
// permutation is applied byte by byte through tables built once from the positional tables.
struct PermutationTable {
    std::uint64_t bits[8][256];
};

PermutationTable makePermutation(const std::uint8_t* positions, int outBits, int inBytes) {
    PermutationTable table{};
    for (int byteIndex = 0; byteIndex < inBytes; ++byteIndex) {
        for (int value = 0; value < 256; ++value) {
            std::uint64_t out = 0;
            for (int j = 0; j < outBits; ++j) {
                const int source = positions[j] - 1;
                if (source / 8 == byteIndex && ((value >> (source % 8)) & 1) != 0) {
                    out |= std::uint64_t{1} << j;
                }
            }
            table.bits[byteIndex][value] = out;
        }
    }
    return table;
}

std::uint64_t permute(const PermutationTable& table, std::uint64_t in, int inBytes) {
    std::uint64_t out = 0;
    for (int i = 0; i < inBytes; ++i) {
        out |= table.bits[i][(in >> (8 * i)) & 0xff];
    }
    return out;
}

struct Tables {
    PermutationTable initial;
    PermutationTable final;
    PermutationTable expansion;
    PermutationTable choice1;
    PermutationTable choice2;
    // S-box j fed with the 6-bit group g, its four bits written least significant first at
    // positions 4j..4j+3 and then passed through the round permutation.
    std::uint32_t substitution[8][64];
};

const Tables& tables() {
    static const Tables instance = [] {
        Tables t{};
        t.initial = makePermutation(CipherTables::kInitialPermutation, 64, 8);
        t.final = makePermutation(CipherTables::kFinalPermutation, 64, 8);
        t.expansion = makePermutation(CipherTables::kExpansion, 48, 4);
        t.choice1 = makePermutation(CipherTables::kPermutedChoice1, 56, 8);
        t.choice2 = makePermutation(CipherTables::kPermutedChoice2, 48, 7);
        const PermutationTable round = makePermutation(CipherTables::kPermutation, 32, 4);
        for (int box = 0; box < 8; ++box) {
            for (int group = 0; group < 64; ++group) {
                const int b0 = group & 1;
                const int b1 = (group >> 1) & 1;
                const int b2 = (group >> 2) & 1;
                const int b3 = (group >> 3) & 1;
                const int b4 = (group >> 4) & 1;
                const int b5 = (group >> 5) & 1;
                const int row = 2 * b0 + b5;
                const int column = 8 * b1 + 4 * b2 + 2 * b3 + b4;
                const std::uint64_t value = CipherTables::kSBoxes[box][row][column];
                t.substitution[box][group] =
                    static_cast<std::uint32_t>(permute(round, value << (4 * box), 4));
            }
        }
        return t;
    }();
    return instance;
}

using Subkeys = std::array<std::uint64_t, 16>;

Subkeys makeSubkeys(const std::uint8_t* key8) {
    const Tables& t = tables();
    std::uint64_t keyBits = 0;
    for (int i = 0; i < 8; ++i) {
        keyBits |= std::uint64_t{key8[i]} << (8 * i);
    }
    const std::uint64_t chosen = permute(t.choice1, keyBits, 8);
    constexpr std::uint64_t kMask28 = (std::uint64_t{1} << 28) - 1;
    std::uint64_t left = chosen & kMask28;
    std::uint64_t right = (chosen >> 28) & kMask28;
    Subkeys subkeys{};
    for (int round = 0; round < 16; ++round) {
        // Rotating the bit sequence left moves every bit to the next lower number.
        const int shift = CipherTables::kShifts[round];
        left = ((left >> shift) | (left << (28 - shift))) & kMask28;
        right = ((right >> shift) | (right << (28 - shift))) & kMask28;
        subkeys[round] = permute(t.choice2, left | (right << 28), 7);
    }
    return subkeys;
}

std::uint32_t roundFunction(std::uint32_t half, std::uint64_t subkey) {
    const Tables& t = tables();
    const std::uint64_t mixed = permute(t.expansion, half, 4) ^ subkey;
    std::uint32_t out = 0;
    for (int box = 0; box < 8; ++box) {
        out |= t.substitution[box][(mixed >> (6 * box)) & 0x3f];
    }
    return out;
}

std::uint64_t runBlock(std::uint64_t block, const Subkeys& subkeys, CipherDirection direction) {
    const Tables& t = tables();
    const std::uint64_t permuted = permute(t.initial, block, 8);
    std::uint32_t left = static_cast<std::uint32_t>(permuted);
    std::uint32_t right = static_cast<std::uint32_t>(permuted >> 32);
    if (direction == CipherDirection::Encrypt) {
        for (int round = 0; round < 16; ++round) {
            const std::uint32_t saved = right;
            right = roundFunction(right, subkeys[round]) ^ left;
            left = saved;
        }
    } else {
        for (int round = 15; round >= 0; --round) {
            const std::uint32_t saved = left;
            left = roundFunction(left, subkeys[round]) ^ right;
            right = saved;
        }
    }
    // The halves go into the final permutation as they stand, left half first.
    return permute(t.final, std::uint64_t{left} | (std::uint64_t{right} << 32), 8);
}

CipherDirection opposite(CipherDirection direction) {
    return direction == CipherDirection::Encrypt ? CipherDirection::Decrypt
                                                 : CipherDirection::Encrypt;
}

void wipe(void* data, std::size_t size) {
    auto* bytes = static_cast<volatile std::uint8_t*>(data);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = 0;
    }
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// The work buffers of the text operations.
constexpr int kWorkBytes = 255;
constexpr int kOutputChars = 127;

std::optional<QString> encryptWith(const QString& plain, const std::uint8_t* key,
                                   std::size_t keyLength) {
    const QByteArray bytes = CodePage::toAnsi(plain.trimmed());
    if (bytes.size() > kMaxPlainBytes) {
        return std::nullopt;
    }
    std::uint8_t work[kWorkBytes] = {};
    std::memcpy(work, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    RunCipher(work, work, static_cast<std::size_t>(bytes.size()), key, keyLength,
              CipherDirection::Encrypt);

    // Trailing zero bytes are dropped; decrypting restores them from its zero-filled buffer.
    static const char kDigits[] = "0123456789abcdef";
    QString hex(2 * kWorkBytes, Qt::Uninitialized);
    for (int i = 0; i < kWorkBytes; ++i) {
        hex[2 * i] = QLatin1Char(kDigits[work[i] >> 4]);
        hex[2 * i + 1] = QLatin1Char(kDigits[work[i] & 0x0f]);
    }
    wipe(work, sizeof work);
    qsizetype length = hex.size();
    while (length > 0 && hex[length - 1] == QLatin1Char('0')) {
        --length;
    }
    hex.truncate(length);
    if (length % 2 != 0) {
        hex.append(QLatin1Char('0'));
    }
    return hex;
}

QString decryptWith(const QString& hex, const std::uint8_t* key, std::size_t keyLength) {
    QByteArray digits = CodePage::toAnsi(hex).left(kMaxCipherDigits);
    const qsizetype zero = digits.indexOf('\0');
    if (zero >= 0) {
        digits.truncate(zero);
    }

    std::uint8_t cipher[kMaxCipherDigits / 2] = {};
    const qsizetype byteCount = (digits.size() + 1) / 2;
    for (qsizetype i = 0; i < byteCount; ++i) {
        // A pair is read as far as its characters are hex digits; one that starts with anything
        // else stays 0.
        const int high = hexValue(digits[2 * i]);
        if (high < 0) {
            continue;
        }
        const int low = 2 * i + 1 < digits.size() ? hexValue(digits[2 * i + 1]) : -1;
        cipher[i] = static_cast<std::uint8_t>(low < 0 ? high : high * 16 + low);
    }

    std::uint8_t plain[kWorkBytes] = {};
    RunCipher(plain, cipher, static_cast<std::size_t>(byteCount), key, keyLength,
              CipherDirection::Decrypt);
    const std::size_t length = strnlen(reinterpret_cast<const char*>(plain), kWorkBytes);
    QString text = CodePage::fromAnsi(
        QByteArrayView(reinterpret_cast<const char*>(plain), static_cast<qsizetype>(length)));
    wipe(plain, sizeof plain);
    wipe(cipher, sizeof cipher);
    text.truncate(kOutputChars);
    return text;
}

}  // namespace

bool RunCipher(std::uint8_t* out, const std::uint8_t* in, std::size_t length,
               const std::uint8_t* key, std::size_t keyLength, CipherDirection direction) {
    if (out == nullptr || in == nullptr || key == nullptr || keyLength == 0 || length == 0) {
        return false;
    }
    std::uint8_t area[16] = {};
    std::memcpy(area, key, keyLength < sizeof area ? keyLength : sizeof area);
    const bool triple = keyLength > 8;
    const Subkeys first = makeSubkeys(area);
    const Subkeys second = triple ? makeSubkeys(area + 8) : Subkeys{};
    wipe(area, sizeof area);

    const std::size_t blocks = (length + 7) / 8;
    for (std::size_t b = 0; b < blocks; ++b) {
        std::uint64_t block = 0;
        for (int i = 0; i < 8; ++i) {
            block |= std::uint64_t{in[8 * b + i]} << (8 * i);
        }
        block = runBlock(block, first, direction);
        if (triple) {
            block = runBlock(block, second, opposite(direction));
            block = runBlock(block, first, direction);
        }
        for (int i = 0; i < 8; ++i) {
            out[8 * b + i] = static_cast<std::uint8_t>(block >> (8 * i));
        }
    }
    return true;
}

void BuildProgramKey(std::uint8_t (&area)[16]) {
    // Two shares that only make the key when combined, so it never stands in the binary.
    static constexpr std::uint8_t kShareA[15] = {0xb0, 0x44, 0x2d, 0x71, 0x55, 0x7c, 0x70, 0x97,
                                                 0xbb, 0x39, 0xd5, 0x62, 0x88, 0xb6, 0x4e};
    static constexpr std::uint8_t kShareB[15] = {0xe9, 0x9a, 0x42, 0xec, 0xc4, 0x29, 0xa5, 0x80,
                                                 0xb7, 0x76, 0xa0, 0x69, 0x46, 0x5f, 0x62};
    const volatile std::uint8_t* a = kShareA;
    for (int i = 0; i < 15; ++i) {
        area[i] = static_cast<std::uint8_t>(a[i] ^ kShareB[i] ^ (i * 0x1d));
    }
    area[15] = 0;
}

std::optional<QString> EncryptText(const QString& plain) {
    std::uint8_t key[16];
    BuildProgramKey(key);
    auto result = encryptWith(plain, key, 15);
    wipe(key, sizeof key);
    return result;
}

QString DecryptText(const QString& hex) {
    std::uint8_t key[16];
    BuildProgramKey(key);
    QString result = decryptWith(hex, key, 15);
    wipe(key, sizeof key);
    return result;
}

std::optional<QString> EncryptTextWithKey(const QString& plain, QByteArrayView key) {
    if (key.isEmpty()) {
        return std::nullopt;
    }
    return encryptWith(plain, reinterpret_cast<const std::uint8_t*>(key.data()),
                       static_cast<std::size_t>(key.size()));
}

QString DecryptTextWithKey(const QString& hex, QByteArrayView key) {
    if (key.isEmpty()) {
        return {};
    }
    return decryptWith(hex, reinterpret_cast<const std::uint8_t*>(key.data()),
                       static_cast<std::size_t>(key.size()));
}
