#pragma once

#include <QString>

#include <string>
#include <vector>

class ChannelInfo;
struct ChannelList;

// Finds channels by what a user types: the name in any width or case, hiragana for katakana,
// without the middle dot or spaces, in romaji as it is being typed, or the channel's id.
//
// Each name is folded once when the list is indexed; a query is folded once per keystroke and
// looked for in one buffer that holds every folded name, so a keystroke costs a few scans of
// memory however long the list is.
class ChannelSearch {
public:
    // Names in kanji are also found by their reading, which takes the dictionary and a moment
    // per thousand names: made on a worker, never where a window waits.
    enum class Readings { Without, With };

    ChannelSearch() = default;
    explicit ChannelSearch(const ChannelList& lists, Readings readings = Readings::Without) {
        Index(lists, readings);
    }

    // Folds every channel name of LISTS. The records must outlive the index.
    void Index(const ChannelList& lists, Readings readings = Readings::Without);
    int size() const { return static_cast<int>(m_channels.size()); }

    // The positions (in the list's order) of the channels that QUERY finds. An empty query, or
    // one that folds to nothing, finds nothing.
    std::vector<int> Find(const QString& query) const;
    // The same as records.
    std::vector<const ChannelInfo*> FindChannels(const QString& query) const;
    const ChannelInfo* channel(int position) const {
        return m_channels[static_cast<size_t>(position)];
    }

    // Width and compatibility folding, case folding, hiragana as katakana, and no middle dots
    // or blanks: the form in which names and queries are compared.
    static QString Fold(QStringView text);
    // The romaji a folded text reads as: kana spelt in Hepburn, long vowels and doubled vowels
    // written once, every other character kept. Both names and romaji queries pass through it.
    static std::string Romaji(const QString& folded);
    // Katakana for romaji as a keyboard types it (Hepburn or the kunrei spellings, "nn" or "n'"
    // for the syllabic n, doubled consonants for the small tsu, "-" for a long vowel); letters
    // that do not yet make a syllable are kept as they are.
    static QString KanaForRomaji(const QString& romaji);

private:
    std::vector<const ChannelInfo*> m_channels;
    // Every folded name, each followed by a separator that no folded query holds, and where
    // each begins; the same for the names' romaji.
    std::u16string m_folded;
    std::vector<int> m_foldedStarts;
    std::string m_romaji;
    std::vector<int> m_romajiStarts;
};
