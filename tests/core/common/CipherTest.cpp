#include "common/Cipher.h"
#include "common/CipherTables.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>
#include <nettle/des.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace {

// A deliberately plain bit-per-int transcription of the cipher, written apart from the
// table-driven one in the program. With `variant` off it is textbook DES (most significant bit
// first, S-box outputs most significant first, halves swapped before the final permutation); with
// it on it is the program's cipher. The textbook form is checked against an independent DES
// library, which vouches for the tables; the variant form is then checked against the program.
class ReferenceCipher {
public:
    using Bits = std::vector<int>;

    ReferenceCipher(const std::uint8_t key[8], bool variant) : m_variant(variant) {
        const Bits chosen = permute(toBits(key), CipherTables::kPermutedChoice1, 56);
        Bits c(chosen.begin(), chosen.begin() + 28);
        Bits d(chosen.begin() + 28, chosen.end());
        for (int round = 0; round < 16; ++round) {
            std::rotate(c.begin(), c.begin() + CipherTables::kShifts[round], c.end());
            std::rotate(d.begin(), d.begin() + CipherTables::kShifts[round], d.end());
            Bits both = c;
            both.insert(both.end(), d.begin(), d.end());
            m_subkeys[round] = permute(both, CipherTables::kPermutedChoice2, 48);
        }
    }

    void block(const std::uint8_t in[8], std::uint8_t out[8], bool encrypt) const {
        const Bits permuted = permute(toBits(in), CipherTables::kInitialPermutation, 64);
        Bits left(permuted.begin(), permuted.begin() + 32);
        Bits right(permuted.begin() + 32, permuted.end());
        if (encrypt || !m_variant) {
            for (int i = 0; i < 16; ++i) {
                const int round = encrypt ? i : 15 - i;
                Bits next = xorBits(f(right, m_subkeys[round]), left);
                left = right;
                right = next;
            }
        } else {
            for (int round = 15; round >= 0; --round) {
                Bits next = xorBits(f(left, m_subkeys[round]), right);
                right = left;
                left = next;
            }
        }
        Bits joined = m_variant ? left : right;
        const Bits& second = m_variant ? right : left;
        joined.insert(joined.end(), second.begin(), second.end());
        fromBits(permute(joined, CipherTables::kFinalPermutation, 64), out);
    }

private:
    static Bits permute(const Bits& in, const std::uint8_t* table, int count) {
        Bits out(static_cast<std::size_t>(count));
        for (int j = 0; j < count; ++j) {
            out[static_cast<std::size_t>(j)] = in[static_cast<std::size_t>(table[j] - 1)];
        }
        return out;
    }
    static Bits xorBits(const Bits& a, const Bits& b) {
        Bits out(a.size());
        for (std::size_t i = 0; i < a.size(); ++i) {
            out[i] = a[i] ^ b[i];
        }
        return out;
    }
    Bits toBits(const std::uint8_t bytes[8]) const {
        Bits bits(64);
        for (int i = 0; i < 64; ++i) {
            const int shift = m_variant ? i % 8 : 7 - i % 8;
            bits[static_cast<std::size_t>(i)] = (bytes[i / 8] >> shift) & 1;
        }
        return bits;
    }
    void fromBits(const Bits& bits, std::uint8_t bytes[8]) const {
        std::fill(bytes, bytes + 8, 0);
        for (int i = 0; i < 64; ++i) {
            const int shift = m_variant ? i % 8 : 7 - i % 8;
            bytes[i / 8] |= static_cast<std::uint8_t>(bits[static_cast<std::size_t>(i)] << shift);
        }
    }
    Bits f(const Bits& half, const Bits& subkey) const {
        const Bits mixed = xorBits(permute(half, CipherTables::kExpansion, 48), subkey);
        Bits substituted(32);
        for (int box = 0; box < 8; ++box) {
            const int* b = &mixed[static_cast<std::size_t>(6 * box)];
            const int row = 2 * b[0] + b[5];
            const int column = 8 * b[1] + 4 * b[2] + 2 * b[3] + b[4];
            const int value = CipherTables::kSBoxes[box][row][column];
            for (int q = 0; q < 4; ++q) {
                const int shift = m_variant ? q : 3 - q;
                substituted[static_cast<std::size_t>(4 * box + q)] = (value >> shift) & 1;
            }
        }
        return permute(substituted, CipherTables::kPermutation, 32);
    }

    bool m_variant;
    std::array<Bits, 16> m_subkeys;
};

std::vector<std::uint8_t> randomBytes(QRandomGenerator& random, std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    for (auto& b : bytes) {
        b = static_cast<std::uint8_t>(random.bounded(256));
    }
    return bytes;
}

// The program's cipher over whole blocks as the reference computes it.
std::vector<std::uint8_t> referenceRun(const std::vector<std::uint8_t>& data,
                                       const std::vector<std::uint8_t>& key, bool encrypt) {
    std::uint8_t area[16] = {};
    std::memcpy(area, key.data(), std::min<std::size_t>(key.size(), 16));
    const ReferenceCipher first(area, true);
    const ReferenceCipher second(area + 8, true);
    const bool triple = key.size() > 8;
    std::vector<std::uint8_t> out(data.size());
    for (std::size_t b = 0; b < data.size(); b += 8) {
        std::uint8_t block[8];
        first.block(&data[b], block, encrypt);
        if (triple) {
            second.block(block, block, !encrypt);
            first.block(block, block, encrypt);
        }
        std::memcpy(&out[b], block, 8);
    }
    return out;
}

QString hexOf(const std::uint8_t* bytes, std::size_t count) {
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(count)).toHex());
}

QString trimZeroDigits(QString hex) {
    while (hex.endsWith(QLatin1Char('0'))) {
        hex.chop(1);
    }
    if (hex.size() % 2 != 0) {
        hex.append(QLatin1Char('0'));
    }
    return hex;
}

std::vector<std::uint8_t> programKey() {
    std::uint8_t area[16];
    BuildProgramKey(area);
    return {area, area + 15};
}

// Hex of the program cipher over PLAIN's bytes, padded to whole blocks, before any trimming.
QString fullBlocksHex(const QByteArray& plain) {
    std::vector<std::uint8_t> data(static_cast<std::size_t>((plain.size() + 7) / 8 * 8), 0);
    std::memcpy(data.data(), plain.constData(), static_cast<std::size_t>(plain.size()));
    const auto key = programKey();
    EXPECT_TRUE(RunCipher(data.data(), data.data(), data.size(), key.data(), key.size(),
                          CipherDirection::Encrypt));
    return hexOf(data.data(), data.size());
}

}  // namespace

TEST(CipherTables, TextbookFormMatchesAnIndependentDesLibrary) {
    QRandomGenerator random(20261208);
    for (int trial = 0; trial < 64; ++trial) {
        const auto key = randomBytes(random, 8);
        const auto plain = randomBytes(random, 8);
        des_ctx ctx;
        des_set_key(&ctx, key.data());
        std::uint8_t expected[8];
        des_encrypt(&ctx, 8, expected, plain.data());

        std::uint8_t actual[8];
        ReferenceCipher(key.data(), false).block(plain.data(), actual, true);
        ASSERT_EQ(hexOf(actual, 8), hexOf(expected, 8)) << "trial " << trial;

        std::uint8_t back[8];
        ReferenceCipher(key.data(), false).block(actual, back, false);
        ASSERT_EQ(hexOf(back, 8), hexOf(plain.data(), 8));
    }
}

TEST(RunCipher, MatchesTheReferenceForEveryKeyLengthAndBothDirections) {
    QRandomGenerator random(7);
    for (std::size_t keyLength = 1; keyLength <= 18; ++keyLength) {
        for (int trial = 0; trial < 4; ++trial) {
            const auto key = randomBytes(random, keyLength);
            const auto plain = randomBytes(random, 24);
            std::vector<std::uint8_t> cipher(plain.size());
            ASSERT_TRUE(RunCipher(cipher.data(), plain.data(), plain.size(), key.data(), key.size(),
                                  CipherDirection::Encrypt));
            EXPECT_EQ(cipher, referenceRun(plain, key, true)) << "key length " << keyLength;

            std::vector<std::uint8_t> back(cipher.size());
            ASSERT_TRUE(RunCipher(back.data(), cipher.data(), cipher.size(), key.data(), key.size(),
                                  CipherDirection::Decrypt));
            EXPECT_EQ(back, plain) << "key length " << keyLength;
        }
    }
}

TEST(RunCipher, ProgramKeyRunsInTripleModeAndDiffersFromStandardTripleDes) {
    const auto key = programKey();
    ASSERT_EQ(key.size(), 15u);
    std::uint8_t area[16] = {};
    std::memcpy(area, key.data(), key.size());

    const std::uint8_t plain[8] = {'h', 't', 't', 'p', ':', '/', '/', 'a'};
    std::uint8_t ours[8];
    ASSERT_TRUE(RunCipher(ours, plain, 8, key.data(), key.size(), CipherDirection::Encrypt));
    EXPECT_EQ(std::vector<std::uint8_t>(ours, ours + 8),
              referenceRun({plain, plain + 8}, key, true));

    // Two-key triple DES with the same key halves: key 1, key 2, key 1.
    std::uint8_t key24[24];
    std::memcpy(key24, area, 8);
    std::memcpy(key24 + 8, area + 8, 8);
    std::memcpy(key24 + 16, area, 8);
    des3_ctx ctx;
    des3_set_key(&ctx, key24);
    std::uint8_t standard[8];
    des3_encrypt(&ctx, 8, standard, plain);
    EXPECT_NE(hexOf(ours, 8), hexOf(standard, 8));

    // Nor does single DES with either half.
    for (const std::uint8_t* half : {area, area + 8}) {
        des_ctx single;
        des_set_key(&single, half);
        std::uint8_t out[8];
        des_encrypt(&single, 8, out, plain);
        EXPECT_NE(hexOf(ours, 8), hexOf(out, 8));
    }
    EXPECT_NE(EncryptText(QStringLiteral("http://a")).value(), hexOf(standard, 8));
}

TEST(RunCipher, RefusesMissingBuffersKeyOrLengthAndWorksInPlace) {
    std::uint8_t data[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    const std::uint8_t key[3] = {1, 2, 3};
    const std::vector<std::uint8_t> original(data, data + 16);
    EXPECT_FALSE(RunCipher(nullptr, data, 8, key, 3, CipherDirection::Encrypt));
    EXPECT_FALSE(RunCipher(data, nullptr, 8, key, 3, CipherDirection::Encrypt));
    EXPECT_FALSE(RunCipher(data, data, 8, nullptr, 3, CipherDirection::Encrypt));
    EXPECT_FALSE(RunCipher(data, data, 0, key, 3, CipherDirection::Encrypt));
    EXPECT_EQ(std::vector<std::uint8_t>(data, data + 16), original);

    // A length of 9 covers two whole blocks.
    ASSERT_TRUE(RunCipher(data, data, 9, key, 3, CipherDirection::Encrypt));
    EXPECT_EQ(std::vector<std::uint8_t>(data, data + 16),
              referenceRun(original, {key, key + 3}, true));
    ASSERT_TRUE(RunCipher(data, data, 16, key, 3, CipherDirection::Decrypt));
    EXPECT_EQ(std::vector<std::uint8_t>(data, data + 16), original);
}

TEST(EncryptText, BlockCountFollowsTheByteLength) {
    for (int length = 1; length <= 16; ++length) {
        const QByteArray plain = QByteArray("abcdefghijklmnop").left(length);
        const QString full = fullBlocksHex(plain);
        EXPECT_EQ(full.size(), length <= 8 ? 16 : 32) << length;
        const std::optional<QString> hex = EncryptText(QString::fromLatin1(plain));
        ASSERT_TRUE(hex.has_value());
        EXPECT_EQ(*hex, trimZeroDigits(full)) << length;
        EXPECT_EQ(DecryptText(*hex), QString::fromLatin1(plain));
    }
}

TEST(EncryptText, CipherTextEndingInZeroBytesStillDecrypts) {
    // Search for plain texts whose cipher text ends in a zero byte, and in a byte whose low
    // digit is zero: the first loses two digits, the second keeps its zero.
    bool sawZeroByte = false;
    bool sawLowZeroDigit = false;
    for (int i = 0; i < 20000 && !(sawZeroByte && sawLowZeroDigit); ++i) {
        const QString plain = QStringLiteral("channel-%1").arg(i);
        const QString full = fullBlocksHex(plain.toUtf8());
        const QString hex = EncryptText(plain).value();
        if (full.endsWith(QLatin1String("00"))) {
            sawZeroByte = true;
            EXPECT_LE(hex.size(), full.size() - 2);
        } else if (full.endsWith(QLatin1Char('0'))) {
            sawLowZeroDigit = true;
            EXPECT_EQ(hex, full);
        }
        ASSERT_EQ(DecryptText(hex), plain);
    }
    EXPECT_TRUE(sawZeroByte);
    EXPECT_TRUE(sawLowZeroDigit);
}

TEST(EncryptText, RefusesTextThatWouldNotFitAndCountsBytesNotCharacters) {
    const QString longest(kMaxPlainBytes, QLatin1Char('x'));
    const std::optional<QString> hex = EncryptText(longest);
    ASSERT_TRUE(hex.has_value());
    EXPECT_LE(hex->size(), 112);
    EXPECT_EQ(DecryptText(*hex), longest);

    EXPECT_FALSE(EncryptText(longest + QLatin1Char('x')).has_value());
    // Blanks around the text do not count: they are dropped first.
    EXPECT_TRUE(EncryptText(QStringLiteral("  ") + longest + QStringLiteral("\t ")).has_value());

    // Three bytes per character: 18 fit, 19 do not.
    const QString eighteen = QString(18, QChar(0x756A));
    EXPECT_EQ(DecryptText(EncryptText(eighteen).value()), eighteen);
    EXPECT_FALSE(EncryptText(eighteen + QChar(0x756A)).has_value());
}

TEST(EncryptText, TrimsBlanksAndKeepsEmptyTextEmpty) {
    EXPECT_EQ(EncryptText(QString()).value(), QString());
    EXPECT_EQ(EncryptText(QStringLiteral(" \t\n ")).value(), QString());
    EXPECT_EQ(DecryptText(QString()), QString());
    EXPECT_EQ(DecryptText(EncryptText(QStringLiteral("  id@example.jp \n")).value()),
              QStringLiteral("id@example.jp"));
    const QString japanese = QStringLiteral("人気チャンネル<EOF>");
    EXPECT_EQ(DecryptText(EncryptText(japanese).value()), japanese);
}

TEST(DecryptText, ReadsWhatItCanOfMalformedDigits) {
    const QString plain = QStringLiteral("http://127.0.0.2:8080");
    const QString hex = EncryptText(plain).value();
    EXPECT_EQ(DecryptText(hex.toUpper()), plain);

    // Only the first 128 digits count.
    EXPECT_EQ(DecryptText(hex + QString(200 - hex.size(), QLatin1Char('0')) + QStringLiteral("ff")),
              plain);

    // A pair starting with a non-digit reads as 0; a pair with a non-digit second reads as its
    // first digit; a last lone digit reads alone. Each matches the same bytes written out.
    const auto decryptBytes = [](const QByteArray& bytes) {
        return DecryptText(QString::fromLatin1(bytes.toHex()));
    };
    EXPECT_EQ(DecryptText(QStringLiteral("zz12")), decryptBytes(QByteArray("\x00\x12", 2)));
    EXPECT_EQ(DecryptText(QStringLiteral("3z12")), decryptBytes(QByteArray("\x03\x12", 2)));
    EXPECT_EQ(DecryptText(QStringLiteral("123")), decryptBytes(QByteArray("\x12\x03", 2)));

    // Text written with another key comes back as something, never as the plain text.
    const QString foreign = EncryptTextWithKey(plain, QByteArray("another key 1234")).value();
    EXPECT_NE(DecryptText(foreign), plain);
    EXPECT_EQ(DecryptTextWithKey(foreign, QByteArray("another key 1234")), plain);
}
