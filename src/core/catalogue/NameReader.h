#pragma once

#include <QString>
#include <QStringView>

struct mecab_t;

// How names written in kanji are read, as MeCab reads them with its dictionary: katakana for the
// words it knows, the text as it stands for what it does not. Without a dictionary on the machine
// there is no reader, and nothing is read. Loading the dictionary takes a moment and its pages
// stay in memory while the reader lives: make one for a list, read every name, let it go. A
// reader is used by one thread at a time.
class NameReader {
public:
    NameReader();
    ~NameReader();
    NameReader(const NameReader&) = delete;
    NameReader& operator=(const NameReader&) = delete;

    bool ready() const { return m_mecab != nullptr; }
    // The reading of NAME, or none without a reader.
    QString reading(QStringView name);

    // NAME holds a character that only a dictionary can read (kanji, or the iteration mark).
    static bool needsReading(QStringView name);

private:
    mecab_t* m_mecab = nullptr;
};
