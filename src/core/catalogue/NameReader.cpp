#include "catalogue/NameReader.h"

#include <malloc.h>
#include <mecab.h>

NameReader::NameReader() {
    // "yomi" is the dictionary's own format for readings; a machine without the dictionary
    // makes no reader, and MeCab says why only when asked.
    char arguments[] = "-Oyomi";
    m_mecab = mecab_new2(arguments);
}

NameReader::~NameReader() {
    if (m_mecab != nullptr) {
        mecab_destroy(m_mecab);
        // MeCab's lattices leave the reading thread's heap with room the list never uses again.
        malloc_trim(0);
    }
}

QString NameReader::reading(QStringView name) {
    if (m_mecab == nullptr || name.isEmpty()) {
        return {};
    }
    const QByteArray text = name.toUtf8();
    const char* read = mecab_sparse_tostr2(m_mecab, text.constData(), text.size());
    if (read == nullptr) {
        return {};
    }
    return QString::fromUtf8(read).trimmed();
}

bool NameReader::needsReading(QStringView name) {
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        if ((u >= u'\u4E00' && u <= u'\u9FFF') || (u >= u'\u3400' && u <= u'\u4DBF') ||
            (u >= u'\uF900' && u <= u'\uFAFF') || u == u'\u3005') {
            return true;
        }
    }
    return false;
}
