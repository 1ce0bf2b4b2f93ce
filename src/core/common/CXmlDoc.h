#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

// One element of a parsed document: byte positions into the document text and the links of the
// element tree. Record 0 is the document itself.
struct XmlElem {
    std::int32_t nStartL = 0;      // '<' of the start tag
    std::int32_t nStartR = 0;      // '>' closing the start tag
    std::int32_t nEndL = 0;        // '<' of the end tag; the '/' before nStartR if self-closing
    std::int32_t iElemParent = 0;  // 0 for the top-level element
    std::int32_t iElemChild = 0;   // first child, 0 if none
    std::int32_t iElemNext = 0;    // next sibling, 0 if none
    std::int32_t nNameLength = 0;  // bytes of the name right after '<', -1 when blanks precede it
};

// A small read-only XML reader over bytes. Parsing scans the text once into a flat table of
// element records; the caller then walks the tree with a cursor of three levels (parent,
// current, child) that only moves forward among siblings. Text and attribute values are cut out
// and decoded only when asked for. Encodings are not interpreted, except that numeric character
// references come out as UTF-8. Malformed input makes the whole document empty: every search
// then fails and every value is empty, and lastError() tells why.
class CXmlDoc {
public:
    CXmlDoc();
    explicit CXmlDoc(const char* text);
    virtual ~CXmlDoc();

    CXmlDoc(const CXmlDoc&) = delete;
    CXmlDoc& operator=(const CXmlDoc&) = delete;

    // Replaces the document with TEXT, up to its first zero byte. False, and an empty document,
    // when the text is null or empty or its first element does not parse.
    bool Parse(const char* text);
    bool Parse(const QByteArray& text);

    // Reads a whole file and parses it; false, and an empty document, when the file cannot be
    // read, is empty, or does not parse.
    bool LoadFile(const QString& path);

    void ResetPos();
    // Moves forward to the next sibling of the current element whose name matches (any element
    // when NAME is null or empty).
    bool FindSibling(const char* name = nullptr);
    // Moves forward to the next child of the current element whose name matches.
    bool FindChild(const char* name = nullptr);
    // The current child becomes the current element.
    bool Enter();
    // The parent becomes the current element again.
    bool Leave();

    QByteArray GetText() const;
    QByteArray GetChildText() const;
    QByteArray GetChildAttr(const char* name) const;
    // The same two values as UTF-16 from UTF-8, the channel list's encoding; text without a
    // reference goes straight from the document into the string.
    QString GetChildTextUtf8() const;
    QString GetChildAttrUtf8(const char* name) const;

    const QByteArray& lastError() const { return m_lastError; }
    // Number of records the element table holds at the moment.
    int tableSize() const { return static_cast<int>(m_elems.size()); }
    // Number of elements the last successful parse found.
    int elementCount() const { return m_nextFree - 1; }

private:
    struct Token {
        std::int32_t start = 0;
        std::int32_t length = 0;
        std::int32_t next = 0;  // where scanning resumes
        bool quoted = false;
    };

    // Where a value lies in the text; RAW when it is taken without decoding (CDATA).
    struct Span {
        std::int32_t from = 0;
        std::int32_t length = 0;
        bool raw = false;
    };

    bool scanToken(std::int32_t pos, Token& token) const;
    // Where the text of ELEM, or the current child's attribute NAME, lies; SPAN stays empty
    // when there is none.
    void textSpan(std::int32_t elem, Span& span) const;
    void attrSpan(const char* name, Span& span) const;
    QByteArray bytesOf(const Span& span) const;
    QString stringOf(const Span& span) const;
    bool nameMatches(const Token& token, const char* wanted, std::int32_t wantedLength) const;
    bool elementNameMatches(std::int32_t elem, const char* name) const;
    Token elementName(std::int32_t elem) const;
    std::int32_t skipMarkup(std::int32_t lt) const;
    std::int32_t newRecord();
    bool parseDocument();
    void fail(const char* format, const Token* name);
    void clearDocument();
    QByteArray decode(std::int32_t from, std::int32_t to) const;
    std::int32_t decodeInto(std::int32_t from, std::int32_t to, char* out) const;
    // Where C next occurs from POS on, or -1.
    std::int32_t findByte(std::int32_t pos, char c) const;
    std::int32_t findTagStart(std::int32_t pos) const;
    bool atEnd(std::int32_t pos) const { return pos >= m_length; }

    QByteArray m_text;
    const char* m_data = nullptr;  // m_text's bytes
    std::int32_t m_length = 0;
    QByteArray m_lastError;
    std::vector<XmlElem> m_elems;
    std::int32_t m_nextFree = 1;
    std::int32_t m_iPosParent = 0;  // parent level of the cursor (0 = document level)
    std::int32_t m_iPos = 0;        // current element (0 = none)
    std::int32_t m_iPosChild = 0;   // current child of the current element (0 = none)
    int m_nCurIsElem = 0;           // 1 when m_iPos names an element
};
