#include "catalogue/ChannelSearch.h"

#include "catalogue/ChannelList.h"
#include "catalogue/NameReader.h"

#include <algorithm>
#include <array>
#include <functional>
#include <optional>
#include <string_view>
#include <unordered_map>

namespace {

constexpr char16_t kSeparator = u'\n';
constexpr char16_t kMiddleDot = u'\u30FB';
constexpr char16_t kLongVowel = u'\u30FC';
constexpr char16_t kSmallTsu = u'\u30C3';
constexpr char16_t kSyllabicN = u'\u30F3';
constexpr char16_t kFirstKatakana = u'\u30A1';
constexpr char16_t kLastKatakana = u'\u30FA';

// The Hepburn spelling of each katakana from ァ to ヺ; small kana spell their vowel alone.
// clang-format off
constexpr std::array<const char*, kLastKatakana - kFirstKatakana + 1> kKatakanaRomaji = {
    "a",  "a",  "i",  "i",   "u",   "u",  "e",  "e",  "o",  "o",  "ka", "ga", "ki", "gi",
    "ku", "gu", "ke", "ge",  "ko",  "go", "sa", "za", "shi", "ji", "su", "zu", "se", "ze",
    "so", "zo", "ta", "da",  "chi", "ji", "",   "tsu", "zu", "te", "de", "to", "do", "na",
    "ni", "nu", "ne", "no",  "ha",  "ba", "pa", "hi", "bi", "pi", "fu", "bu", "pu", "he",
    "be", "pe", "ho", "bo",  "po",  "ma", "mi", "mu", "me", "mo", "ya", "ya", "yu", "yu",
    "yo", "yo", "ra", "ri",  "ru",  "re", "ro", "wa", "wa", "i",  "e",  "wo", "n",  "vu",
    "ka", "ke", "va", "vi",  "ve",  "vo"};
// clang-format on

bool isKatakana(char16_t c) {
    return c >= kFirstKatakana && c <= kLastKatakana;
}
bool isSmallVowel(char16_t c) {
    return c == u'\u30A1' || c == u'\u30A3' || c == u'\u30A5' || c == u'\u30A7' || c == u'\u30A9';
}
bool isSmallY(char16_t c) {
    return c == u'\u30E3' || c == u'\u30E5' || c == u'\u30E7';
}
bool isVowel(char c) {
    return c == 'a' || c == 'i' || c == 'u' || c == 'e' || c == 'o';
}
bool isAsciiLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Long and doubled vowels are written once ("ou" counts as a long o), so "nyuusu", "nyu-su"
// and "nyusu" all read as ニュース does.
std::string collapseVowels(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (!out.empty() && isVowel(c)) {
            const char last = out.back();
            if (last == c || (last == 'o' && c == 'u')) {
                continue;
            }
        }
        out += c;
    }
    return out;
}

// Romaji syllables as keyboards type them, with the katakana each stands for.
const std::unordered_map<std::string_view, std::u16string_view>& syllables() {
    static const std::unordered_map<std::string_view, std::u16string_view> table = [] {
        std::unordered_map<std::string_view, std::u16string_view> t;
        const auto row =
            [&t](std::initializer_list<std::pair<std::string_view, std::u16string_view>> items) {
                for (const auto& item : items) {
                    t.emplace(item.first, item.second);
                }
            };
        // clang-format off
        row({{"a", u"ア"}, {"i", u"イ"}, {"u", u"ウ"}, {"e", u"エ"}, {"o", u"オ"}});
        row({{"ka", u"カ"}, {"ki", u"キ"}, {"ku", u"ク"}, {"ke", u"ケ"}, {"ko", u"コ"},
             {"kya", u"キャ"}, {"kyu", u"キュ"}, {"kyo", u"キョ"}});
        row({{"ga", u"ガ"}, {"gi", u"ギ"}, {"gu", u"グ"}, {"ge", u"ゲ"}, {"go", u"ゴ"},
             {"gya", u"ギャ"}, {"gyu", u"ギュ"}, {"gyo", u"ギョ"}});
        row({{"sa", u"サ"}, {"si", u"シ"}, {"shi", u"シ"}, {"su", u"ス"}, {"se", u"セ"}, {"so", u"ソ"},
             {"sha", u"シャ"}, {"shu", u"シュ"}, {"she", u"シェ"}, {"sho", u"ショ"},
             {"sya", u"シャ"}, {"syu", u"シュ"}, {"sye", u"シェ"}, {"syo", u"ショ"}});
        row({{"za", u"ザ"}, {"zi", u"ジ"}, {"ji", u"ジ"}, {"zu", u"ズ"}, {"ze", u"ゼ"}, {"zo", u"ゾ"},
             {"ja", u"ジャ"}, {"ju", u"ジュ"}, {"je", u"ジェ"}, {"jo", u"ジョ"},
             {"jya", u"ジャ"}, {"jyu", u"ジュ"}, {"jye", u"ジェ"}, {"jyo", u"ジョ"},
             {"zya", u"ジャ"}, {"zyu", u"ジュ"}, {"zye", u"ジェ"}, {"zyo", u"ジョ"}});
        row({{"ta", u"タ"}, {"ti", u"チ"}, {"chi", u"チ"}, {"tu", u"ツ"}, {"tsu", u"ツ"},
             {"te", u"テ"}, {"to", u"ト"}, {"cha", u"チャ"}, {"chu", u"チュ"}, {"che", u"チェ"},
             {"cho", u"チョ"}, {"tya", u"チャ"}, {"tyu", u"チュ"}, {"tye", u"チェ"},
             {"tyo", u"チョ"}, {"thi", u"ティ"}, {"tsa", u"ツァ"}});
        row({{"da", u"ダ"}, {"di", u"ヂ"}, {"du", u"ヅ"}, {"de", u"デ"}, {"do", u"ド"},
             {"dhi", u"ディ"}});
        row({{"na", u"ナ"}, {"ni", u"ニ"}, {"nu", u"ヌ"}, {"ne", u"ネ"}, {"no", u"ノ"},
             {"nya", u"ニャ"}, {"nyu", u"ニュ"}, {"nyo", u"ニョ"}, {"nn", u"ン"}, {"n'", u"ン"}});
        row({{"ha", u"ハ"}, {"hi", u"ヒ"}, {"hu", u"フ"}, {"fu", u"フ"}, {"he", u"ヘ"}, {"ho", u"ホ"},
             {"hya", u"ヒャ"}, {"hyu", u"ヒュ"}, {"hyo", u"ヒョ"}, {"fa", u"ファ"}, {"fi", u"フィ"},
             {"fe", u"フェ"}, {"fo", u"フォ"}});
        row({{"ba", u"バ"}, {"bi", u"ビ"}, {"bu", u"ブ"}, {"be", u"ベ"}, {"bo", u"ボ"},
             {"bya", u"ビャ"}, {"byu", u"ビュ"}, {"byo", u"ビョ"}});
        row({{"pa", u"パ"}, {"pi", u"ピ"}, {"pu", u"プ"}, {"pe", u"ペ"}, {"po", u"ポ"},
             {"pya", u"ピャ"}, {"pyu", u"ピュ"}, {"pyo", u"ピョ"}});
        row({{"ma", u"マ"}, {"mi", u"ミ"}, {"mu", u"ム"}, {"me", u"メ"}, {"mo", u"モ"},
             {"mya", u"ミャ"}, {"myu", u"ミュ"}, {"myo", u"ミョ"}});
        row({{"ya", u"ヤ"}, {"yu", u"ユ"}, {"ye", u"イェ"}, {"yo", u"ヨ"}});
        row({{"ra", u"ラ"}, {"ri", u"リ"}, {"ru", u"ル"}, {"re", u"レ"}, {"ro", u"ロ"},
             {"rya", u"リャ"}, {"ryu", u"リュ"}, {"ryo", u"リョ"}});
        row({{"wa", u"ワ"}, {"wi", u"ウィ"}, {"we", u"ウェ"}, {"wo", u"ヲ"}});
        row({{"va", u"ヴァ"}, {"vi", u"ヴィ"}, {"vu", u"ヴ"}, {"ve", u"ヴェ"}, {"vo", u"ヴォ"}});
        row({{"-", u"ー"}});
        // clang-format on
        return t;
    }();
    return table;
}

// Every position in HAYSTACK where one of the STARTS-delimited records holds NEEDLE marks that
// record in MARKS; a record is searched no further once found.
template <typename Text>
void markRecords(const Text& haystack, const std::vector<int>& starts, const Text& needle,
                 std::vector<char>& marks) {
    if (needle.empty() || haystack.size() < needle.size()) {
        return;
    }
    const std::boyer_moore_horspool_searcher searcher(needle.begin(), needle.end());
    auto from = haystack.begin();
    while (from != haystack.end()) {
        const auto hit = std::search(from, haystack.end(), searcher);
        if (hit == haystack.end()) {
            break;
        }
        const int offset = static_cast<int>(hit - haystack.begin());
        const auto next = std::upper_bound(starts.begin(), starts.end(), offset);
        marks[static_cast<size_t>(next - starts.begin() - 1)] = 1;
        if (next == starts.end()) {
            break;
        }
        from = haystack.begin() + *next;
    }
}

}  // namespace

QString ChannelSearch::Fold(QStringView text) {
    const QString normal = text.toString().normalized(QString::NormalizationForm_KC).toCaseFolded();
    QString out;
    out.reserve(normal.size());
    for (const QChar qc : normal) {
        char16_t c = qc.unicode();
        if (c == kMiddleDot || qc.isSpace()) {
            continue;
        }
        // Hiragana read as the katakana beside it, iteration marks included.
        if ((c >= u'\u3041' && c <= u'\u3096') || c == u'\u309D' || c == u'\u309E') {
            c = static_cast<char16_t>(c + 0x60);
        }
        out += QChar(c);
    }
    return out;
}

std::string ChannelSearch::Romaji(const QString& folded) {
    std::string out;
    out.reserve(static_cast<size_t>(folded.size()) * 2);
    bool doubled = false;  // a small tsu waits for the consonant it doubles
    char16_t previous = 0;
    const auto* text = reinterpret_cast<const char16_t*>(folded.utf16());
    const qsizetype length = folded.size();
    for (qsizetype i = 0; i < length; ++i) {
        const char16_t c = text[i];
        if (c == kSmallTsu) {
            doubled = true;
            previous = c;
            continue;
        }
        if (c == kLongVowel || c == u'-') {
            previous = c;
            continue;
        }
        if (isKatakana(c) && (isSmallY(c) || isSmallVowel(c)) && previous != 0 &&
            isKatakana(previous) && previous != kSmallTsu && !out.empty() && isVowel(out.back())) {
            // A small kana joins the syllable before it: キャ kya, シャ sha, ファ fa, ティ ti.
            const char vowel = kKatakanaRomaji[c - kFirstKatakana][isSmallY(c) ? 1 : 0];
            const std::string_view spelt(out);
            const bool palatal =
                spelt.ends_with("shi") || spelt.ends_with("chi") || spelt.ends_with("ji");
            if (previous == u'\u30A6') {  // ウィ wi, ウェ we, ウォ wo
                out.back() = 'w';
                out += vowel;
            } else if (isSmallY(c) && out.back() == 'i') {
                out.pop_back();
                if (!palatal) {
                    out += 'y';
                }
                out += vowel;
            } else {
                out.back() = vowel;
            }
            previous = c;
            continue;
        }
        if (isKatakana(c)) {
            const std::string_view spelt = kKatakanaRomaji[c - kFirstKatakana];
            if (doubled && !spelt.empty() && !isVowel(spelt[0]) && c != kSyllabicN) {
                out += spelt.substr(0, 2) == "ch" ? 't' : spelt[0];
            }
            out += spelt;
        } else {
            if (doubled && isAsciiLetter(c)) {
                out += static_cast<char>(c);
            }
            char32_t code = c;
            if (QChar::isHighSurrogate(c) && i + 1 < length && QChar::isLowSurrogate(text[i + 1])) {
                code = QChar::surrogateToUcs4(c, text[i + 1]);
                ++i;
            }
            appendUtf8(out, code);
        }
        doubled = false;
        previous = c;
    }
    return collapseVowels(out);
}

QString ChannelSearch::KanaForRomaji(const QString& romaji) {
    const auto& table = syllables();
    std::string ascii;
    QString out;
    const auto isConsonant = [](char c) { return c >= 'a' && c <= 'z' && !isVowel(c); };
    const qsizetype length = romaji.size();
    qsizetype i = 0;
    while (i < length) {
        const char16_t c = romaji.at(i).unicode();
        if (c >= 0x80) {
            out += QChar(c);
            ++i;
            continue;
        }
        const char a = static_cast<char>(c);
        const char b = i + 1 < length && romaji.at(i + 1).unicode() < 0x80
                           ? static_cast<char>(romaji.at(i + 1).unicode())
                           : '\0';
        // A doubled consonant is a small tsu ("kitte", "matcha"); n is the syllabic n before
        // another consonant, and m is before b and p ("shimbun").
        if (isConsonant(a) && a != 'n' && (b == a || (a == 't' && b == 'c'))) {
            out += QChar(kSmallTsu);
            ++i;
            continue;
        }
        // "nn" is the syllabic n, unless a vowel follows: then the second n begins the next
        // syllable, as in "konnichiha" and "channeru".
        const char16_t after = i + 2 < length ? romaji.at(i + 2).unicode() : u'\0';
        const bool vowelAfter =
            after < 0x80 && (isVowel(static_cast<char>(after)) || after == u'y');
        if ((a == 'n' && isConsonant(b) && b != 'y' && (b != 'n' || vowelAfter)) ||
            (a == 'm' && (b == 'b' || b == 'p'))) {
            out += QChar(kSyllabicN);
            ++i;
            continue;
        }
        bool matched = false;
        for (qsizetype span = std::min<qsizetype>(3, length - i); span > 0 && !matched; --span) {
            ascii.clear();
            bool plain = true;
            for (qsizetype k = 0; k < span; ++k) {
                const char16_t part = romaji.at(i + k).unicode();
                plain = plain && part < 0x80;
                ascii += static_cast<char>(part);
            }
            if (!plain) {
                continue;
            }
            const auto found = table.find(ascii);
            if (found != table.end()) {
                out += QString::fromUtf16(found->second.data(),
                                          static_cast<qsizetype>(found->second.size()));
                i += span;
                matched = true;
            }
        }
        if (matched) {
            continue;
        }
        // Letters that are not a syllable yet stay as typed; a kunrei beginning takes the
        // Hepburn form, so "sy" already finds シャ as "sh" does.
        const bool last = i + 2 == length;
        if (last && b == 'y' && (a == 's' || a == 't' || a == 'c' || a == 'z' || a == 'j')) {
            out += a == 's'               ? QStringLiteral("sh")
                   : a == 't' || a == 'c' ? QStringLiteral("ch")
                                          : QStringLiteral("j");
            i += 2;
            continue;
        }
        out += QChar(c);
        ++i;
    }
    return out;
}

void ChannelSearch::Index(const ChannelList& lists, Readings readings) {
    m_channels.clear();
    m_folded.clear();
    m_foldedStarts.clear();
    m_romaji.clear();
    m_romajiStarts.clear();
    m_channels.reserve(lists.channels.size());
    m_foldedStarts.reserve(lists.channels.size());
    m_romajiStarts.reserve(lists.channels.size());
    // Made only once a name needs it: a list without kanji never loads the dictionary.
    std::optional<NameReader> reader;
    for (const auto& channel : lists.channels) {
        const QString folded = Fold(channel->name());
        m_channels.push_back(channel.get());
        m_foldedStarts.push_back(static_cast<int>(m_folded.size()));
        m_folded.append(reinterpret_cast<const char16_t*>(folded.utf16()),
                        static_cast<size_t>(folded.size()));
        m_folded += kSeparator;
        m_romajiStarts.push_back(static_cast<int>(m_romaji.size()));
        const std::string romaji = Romaji(folded);
        m_romaji += romaji;
        // A name in kanji is also found by its reading, typed in kana or romaji: the reading's
        // romaji follows the name's in the same record, past a separator no query holds. Kana
        // queries reach it through their romaji.
        if (readings == Readings::With && NameReader::needsReading(channel->name())) {
            if (!reader) {
                reader.emplace();
            }
            const std::string read = Romaji(Fold(reader->reading(channel->name())));
            if (!read.empty() && read != romaji) {
                m_romaji += static_cast<char>(kSeparator);
                m_romaji += read;
            }
        }
        m_romaji += static_cast<char>(kSeparator);
    }
    // The buffers grew by doubling; a long list keeps them for as long as it lives.
    m_folded.shrink_to_fit();
    m_romaji.shrink_to_fit();
}

std::vector<int> ChannelSearch::Find(const QString& query) const {
    std::vector<int> found;
    const QString folded = Fold(query);
    if (folded.isEmpty() || m_channels.empty()) {
        return found;
    }
    std::vector<char> marks(m_channels.size(), 0);
    markRecords(m_folded, m_foldedStarts,
                std::u16string(reinterpret_cast<const char16_t*>(folded.utf16()),
                               static_cast<size_t>(folded.size())),
                marks);
    // As romaji typed on a keyboard, and as the letters stand (ティ is "ti", チ "chi").
    const std::string spoken = Romaji(KanaForRomaji(folded));
    markRecords(m_romaji, m_romajiStarts, spoken, marks);
    const std::string literal = Romaji(folded);
    if (literal != spoken) {
        markRecords(m_romaji, m_romajiStarts, literal, marks);
    }
    const bool digits =
        std::all_of(folded.begin(), folded.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    if (digits) {
        for (size_t i = 0; i < m_channels.size(); ++i) {
            if (m_channels[i]->id().trimmed().startsWith(folded)) {
                marks[i] = 1;
            }
        }
    }
    for (size_t i = 0; i < marks.size(); ++i) {
        if (marks[i] != 0) {
            found.push_back(static_cast<int>(i));
        }
    }
    return found;
}

std::vector<const ChannelInfo*> ChannelSearch::FindChannels(const QString& query) const {
    std::vector<const ChannelInfo*> channels;
    for (const int position : Find(query)) {
        channels.push_back(m_channels[static_cast<size_t>(position)]);
    }
    return channels;
}
