#include "common/CXmlDoc.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Characters that end an unquoted token; one of them standing first is a token by itself.
constexpr std::array<bool, 256> makeDelimiters() {
    std::array<bool, 256> table{};
    for (const unsigned char c : std::string_view(" \t\n\r<>=\\/?!")) {
        table[c] = true;
    }
    return table;
}
constexpr std::array<bool, 256> kDelimiter = makeDelimiters();

constexpr std::array<bool, 256> makeBlanks() {
    std::array<bool, 256> table{};
    for (const unsigned char c : std::string_view(" \t\n\r")) {
        table[c] = true;
    }
    return table;
}
constexpr std::array<bool, 256> kBlank = makeBlanks();

inline bool isBlank(char c) {
    return kBlank[static_cast<unsigned char>(c)];
}

// Whether the LENGTH bytes of a name token at TOKEN name WANTED: the token is WANTED, or WANTED
// goes on after it with ' ', '=', '/' or '['. WANTED is read no further than its terminator, which
// differs from every byte of a document (the text ends at its first zero byte).
inline bool tokenNames(const char* token, std::int32_t length, const char* wanted) {
    for (std::int32_t i = 0; i < length; ++i) {
        if (token[i] != wanted[i]) {
            return false;
        }
    }
    const char after = wanted[length];
    return after == '\0' || after == ' ' || after == '=' || after == '/' || after == '[';
}

// Whether the LENGTH bytes at A and B are the same. Names are short: a loop is quicker than a call.
inline bool sameBytes(const char* a, const char* b, std::int32_t length) {
    if (length > 16) {
        return std::memcmp(a, b, static_cast<std::size_t>(length)) == 0;
    }
    for (std::int32_t i = 0; i < length; ++i) {
        if (a[i] != b[i]) {
            return false;
        }
    }
    return true;
}

// Where C first occurs in [FROM, END), or null, for a whole value looked through: blocks of 16
// bytes are compared at once, and a stretch longer than a few blocks is left to the library's
// search, which costs a call. A last part shorter than a block is still compared as one when
// LIMIT, the end of the readable bytes, leaves room for the whole block.
inline const char* findIn(const char* from, const char* end, const char* limit, char c) {
#if defined(__SSE2__)
    const char* const stop = end - from > 64 ? from + 64 : end;
    const __m128i wanted = _mm_set1_epi8(c);
    for (; stop - from >= 16; from += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
        const int mask = _mm_movemask_epi8(_mm_cmpeq_epi8(block, wanted));
        if (mask != 0) {
            return from + __builtin_ctz(static_cast<unsigned>(mask));
        }
    }
    if (stop != end) {
        return static_cast<const char*>(std::memchr(from, c, static_cast<std::size_t>(end - from)));
    }
    if (from == end) {
        return nullptr;
    }
    if (limit - from >= 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
        const unsigned inside = (1U << (end - from)) - 1;
        const unsigned mask =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, wanted))) & inside;
        return mask != 0 ? from + __builtin_ctz(mask) : nullptr;
    }
#else
    (void)limit;
#endif
    for (; from < end; ++from) {
        if (*from == c) {
            return from;
        }
    }
    return nullptr;
}

// The same for the next byte of markup, which is most often among the next few: looking at them
// one by one is quickest there (each test is predicted and none waits for another), and a longer
// stretch is left to the library's search.
inline const char* findNear(const char* from, const char* end, char c) {
    const char* const near = end - from > 16 ? from + 16 : end;
    for (; from < near; ++from) {
        if (*from == c) {
            return from;
        }
    }
    return from < end ? static_cast<const char*>(
                            std::memchr(from, c, static_cast<std::size_t>(end - from)))
                      : nullptr;
}

// Positions are 32-bit, so a document must leave room above its last byte.
constexpr qsizetype kMaxTextLength = INT32_MAX - 16;

// Parse-error messages are kept as in a fixed 300-byte buffer.
constexpr qsizetype kMessageLimit = 299;

constexpr const char* kElementTagNotFound = "Element tag not found";
constexpr const char* kAbruptEnd = "Abrupt end within tag";
constexpr const char* kTagStartsWithQuote = "Tag starts with quote";
constexpr const char* kInvalidNode = "Invalid node";
constexpr const char* kEndOfTagNotFound = "End of tag not found";
constexpr const char* kEndTagMismatch = "End tag does not correspond to %s";
constexpr const char* kEndTagIncomplete = "End tag not completed for element %s";
constexpr const char* kDocumentTooLarge = "Document too large";

}  // namespace

CXmlDoc::CXmlDoc() {
    m_elems.resize(8);
    clearDocument();
}

CXmlDoc::CXmlDoc(const char* text) : CXmlDoc() {
    Parse(text);
}

CXmlDoc::~CXmlDoc() = default;

bool CXmlDoc::Parse(const char* text) {
    if (text == nullptr) {
        m_lastError.clear();
        clearDocument();
        return false;
    }
    return Parse(QByteArray(text));  // stops at the zero byte, so Parse finds none
}

bool CXmlDoc::Parse(const QByteArray& text) {
    m_lastError.clear();
    clearDocument();
    const qsizetype zero = text.indexOf('\0');
    m_text = zero >= 0 ? text.left(zero) : text;
    if (m_text.isEmpty()) {
        clearDocument();
        return false;
    }
    if (m_text.size() > kMaxTextLength) {
        m_lastError = kDocumentTooLarge;
        clearDocument();
        return false;
    }
    m_data = m_text.constData();
    m_length = static_cast<std::int32_t>(m_text.size());

    // A channel list has an element for every 40 bytes or so: sized for one per 32, the table
    // seldom has to grow (each growth copies it and clears the new part).
    const std::size_t wanted = static_cast<std::size_t>(m_length / 32 + 8);
    if (m_elems.size() < wanted) {
        m_elems.resize(wanted);
    }
    m_elems[0] = XmlElem{};
    if (!parseDocument()) {
        clearDocument();
        return false;
    }
    return true;
}

bool CXmlDoc::LoadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_lastError.clear();
        clearDocument();
        return false;
    }
    const qint64 size = file.size();
    if (size <= 0 || size > kMaxTextLength) {
        m_lastError = size > 0 ? QByteArray(kDocumentTooLarge) : QByteArray();
        clearDocument();
        return false;
    }
    QByteArray buffer(static_cast<qsizetype>(size), Qt::Uninitialized);
    if (file.read(buffer.data(), size) != size) {
        m_lastError.clear();
        clearDocument();
        return false;
    }
    return Parse(buffer);
}

void CXmlDoc::clearDocument() {
    m_text.clear();
    m_data = "";
    m_length = 0;
    m_elems[0] = XmlElem{};
    m_nextFree = 1;
    ResetPos();
}

void CXmlDoc::ResetPos() {
    m_iPosParent = 0;
    m_iPos = 0;
    m_iPosChild = 0;
    m_nCurIsElem = 0;
}

inline std::int32_t CXmlDoc::findByte(std::int32_t pos, char c) const {
    if (pos >= m_length) {
        return -1;
    }
    const char* const at = findNear(m_data + pos, m_data + m_length, c);
    return at != nullptr ? static_cast<std::int32_t>(at - m_data) : -1;
}

// The next '<' from POS: the next few bytes one by one, then a text's longer stretch by blocks.
inline std::int32_t CXmlDoc::findTagStart(std::int32_t pos) const {
    const char* from = m_data + pos;
    const char* const end = m_data + m_length;
    const char* const near = end - from > 16 ? from + 16 : end;
    for (; from < near; ++from) {
        if (*from == '<') {
            return static_cast<std::int32_t>(from - m_data);
        }
    }
    const char* const at = from < end ? findIn(from, end, end, '<') : nullptr;
    return at != nullptr ? static_cast<std::int32_t>(at - m_data) : -1;
}

inline bool CXmlDoc::scanToken(std::int32_t pos, Token& token) const {
    while (pos < m_length && isBlank(m_data[pos])) {
        ++pos;
    }
    if (pos >= m_length) {
        return false;
    }
    const char c = m_data[pos];
    token.start = pos;
    if (kDelimiter[static_cast<unsigned char>(c)]) {
        token.quoted = false;
        token.length = 1;
        token.next = pos + 1;
        return true;
    }
    if (c == '"' || c == '\'') {
        token.quoted = true;
        token.start = pos + 1;
        const std::int32_t end = findByte(token.start, c);
        if (end < 0) {
            token.length = m_length - token.start;
            token.next = m_length;
        } else {
            token.length = end - token.start;
            token.next = end + 1;
        }
        return true;
    }
    token.quoted = false;
    std::int32_t end = pos + 1;
    while (end < m_length && !kDelimiter[static_cast<unsigned char>(m_data[end])]) {
        ++end;
    }
    token.length = end - pos;
    token.next = end;
    return true;
}

inline bool CXmlDoc::nameMatches(const Token& token, const char* wanted,
                                 std::int32_t wantedLength) const {
    if (token.length > wantedLength ||
        std::memcmp(m_data + token.start, wanted, static_cast<std::size_t>(token.length)) != 0) {
        return false;
    }
    if (token.length == wantedLength) {
        return true;
    }
    const char after = wanted[token.length];
    return after == ' ' || after == '=' || after == '/' || after == '[';
}

// Only for a name after blanks, which is rare: kept out of the searches, whose loops then need
// fewer registers.
[[gnu::noinline]] CXmlDoc::Token CXmlDoc::elementName(std::int32_t elem) const {
    Token token;
    scanToken(m_elems[static_cast<std::size_t>(elem)].nStartL + 1, token);
    return token;
}

inline bool CXmlDoc::elementNameMatches(std::int32_t elem, const char* name) const {
    if (name == nullptr || name[0] == '\0') {
        return true;
    }
    const XmlElem& record = m_elems[static_cast<std::size_t>(elem)];
    if (record.nNameLength >= 0) {
        return tokenNames(m_data + record.nStartL + 1, record.nNameLength, name);
    }
    const Token token = elementName(elem);
    return tokenNames(m_data + token.start, token.length, name);
}

std::int32_t CXmlDoc::skipMarkup(std::int32_t lt) const {
    if (lt + 2 >= m_length) {
        return -1;
    }
    const std::string_view text(m_data, static_cast<std::size_t>(m_length));
    auto after = [&](std::string_view terminator, std::int32_t from) -> std::int32_t {
        const std::size_t found = text.find(terminator, static_cast<std::size_t>(from));
        if (found == std::string_view::npos) {
            return -1;
        }
        return static_cast<std::int32_t>(found + terminator.size());
    };
    const char first = m_data[lt + 1];
    const char second = m_data[lt + 2];
    if (first == '?') {
        return after("?>", lt + 2);
    }
    if (first != '!') {
        return -1;
    }
    if (second == '[') {
        return after("]]>", lt + 3);
    }
    if (second == '-') {
        return after("-->", lt + 3);
    }
    // A declaration: brackets may hold an internal subset whose '>' do not end it.
    int depth = 0;
    Token token;
    std::int32_t pos = lt;
    while (scanToken(pos, token)) {
        pos = token.next;
        if (token.quoted) {
            continue;
        }
        const char c = m_data[token.start];
        if (c == '[') {
            ++depth;
        } else if (c == ']') {
            --depth;
        } else if (c == '>' && depth == 0) {
            return token.start + 1;
        }
    }
    return -1;
}

// The table always keeps one free record beyond the last one taken: it grows as soon as the
// next free index reaches its end. The caller writes the whole record.
inline std::int32_t CXmlDoc::newRecord() {
    const std::int32_t index = m_nextFree++;
    if (static_cast<std::size_t>(m_nextFree) == m_elems.size()) {
        m_elems.resize(m_elems.size() + m_elems.size() / 2);
    }
    return index;
}

void CXmlDoc::fail(const char* format, const Token* name) {
    const std::string_view pattern(format);
    const std::size_t slot = pattern.find("%s");
    if (slot == std::string_view::npos || name == nullptr) {
        m_lastError = QByteArray(format);
        return;
    }
    QByteArray elementName(m_data + name->start, name->length);
    const qsizetype room = kMessageLimit - static_cast<qsizetype>(pattern.size() - 2);
    if (elementName.size() > room) {
        elementName = elementName.left(room - 3) + "...";
    }
    m_lastError = QByteArray(format, static_cast<qsizetype>(slot)) + elementName +
                  QByteArray(format + slot + 2);
}

// Elements nest by an explicit stack rather than by recursion, so a deeply nested document costs
// memory in proportion to its depth and never exhausts the call stack. Each turn of the loop reads
// one tag: a start tag opens an element (or adds a self-closing one to the open element), an end
// tag closes the open element and adds it to the one above.
bool CXmlDoc::parseDocument() {
    struct Open {
        std::int32_t elem;
        std::int32_t lastChild;
        Token name;
    };
    std::vector<Open> open;
    open.reserve(32);
    std::int32_t pos = 0;

    for (;;) {
        const std::int32_t lt = findTagStart(pos);
        if (lt < 0) {
            fail(kElementTagNotFound, nullptr);
            return false;
        }
        Token name;
        if (!scanToken(lt + 1, name)) {
            fail(kAbruptEnd, nullptr);
            return false;
        }
        if (name.quoted) {
            fail(kTagStartsWithQuote, nullptr);
            return false;
        }
        const char c = m_data[name.start];
        if (c == '!' || c == '?') {
            pos = skipMarkup(lt);
            if (pos < 0) {
                fail(kInvalidNode, nullptr);
                return false;
            }
            continue;
        }

        std::int32_t result = 0;  // the element that is complete once this tag is read
        if (c != '/') {
            const std::int32_t gt = findByte(name.next, '>');
            if (gt < 0) {
                fail(kEndOfTagNotFound, nullptr);
                return false;
            }
            const std::int32_t parent = open.empty() ? 0 : open.back().elem;
            result = newRecord();
            XmlElem& elem = m_elems[static_cast<std::size_t>(result)];
            elem = XmlElem{lt, gt, 0, parent, 0, 0, name.start == lt + 1 ? name.length : -1};
            pos = gt + 1;
            if (m_data[gt - 1] == '/') {
                elem.nEndL = gt - 1;
            } else {
                open.push_back({result, 0, name});
                continue;  // its children come next
            }
        } else {
            // An end tag where the document should start is no document.
            if (open.empty()) {
                return false;
            }
            // '/', the open element's own name, then anything up to a '>'.
            const Open& top = open.back();
            XmlElem& elem = m_elems[static_cast<std::size_t>(top.elem)];
            elem.nEndL = lt;
            const std::int32_t nameEnd = name.next + top.name.length;
            if (nameEnd < m_length && m_data[nameEnd] == '>' &&
                sameBytes(m_data + name.next, m_data + top.name.start, top.name.length)) {
                // The common "</name>", written tight.
                pos = nameEnd + 1;
            } else {
                Token token;
                if (!scanToken(name.next, token)) {
                    fail(kEndTagIncomplete, &top.name);
                    return false;
                }
                if (!nameMatches(token, m_data + top.name.start, top.name.length)) {
                    fail(kEndTagMismatch, &top.name);
                    return false;
                }
                bool closed = false;
                while (scanToken(token.next, token)) {
                    if (!token.quoted && m_data[token.start] == '>') {
                        pos = token.start + 1;
                        closed = true;
                        break;
                    }
                }
                if (!closed) {
                    fail(kEndTagIncomplete, &top.name);
                    return false;
                }
            }
            result = top.elem;
            open.pop_back();
        }

        // RESULT is complete: the next child of the element open above it, or the document's.
        if (open.empty()) {
            m_elems[0].iElemChild = result;
            return true;
        }
        Open& top = open.back();
        if (top.lastChild == 0) {
            m_elems[static_cast<std::size_t>(top.elem)].iElemChild = result;
        } else {
            m_elems[static_cast<std::size_t>(top.lastChild)].iElemNext = result;
        }
        top.lastChild = result;
    }
}

bool CXmlDoc::FindSibling(const char* name) {
    std::int32_t elem = m_iPos != 0 ? m_elems[static_cast<std::size_t>(m_iPos)].iElemNext
                                    : m_elems[static_cast<std::size_t>(m_iPosParent)].iElemChild;
    while (elem != 0) {
        if (elementNameMatches(elem, name)) {
            m_iPos = elem;
            m_iPosParent = m_elems[static_cast<std::size_t>(elem)].iElemParent;
            m_iPosChild = 0;
            m_nCurIsElem = 1;
            return true;
        }
        elem = m_elems[static_cast<std::size_t>(elem)].iElemNext;
    }
    return false;
}

bool CXmlDoc::FindChild(const char* name) {
    if (m_iPos == 0 && !FindSibling(nullptr)) {
        return false;
    }
    std::int32_t elem = m_iPosChild != 0 ? m_elems[static_cast<std::size_t>(m_iPosChild)].iElemNext
                                         : m_elems[static_cast<std::size_t>(m_iPos)].iElemChild;
    while (elem != 0) {
        if (elementNameMatches(elem, name)) {
            // A child of the current element: the current element and its parent stay.
            m_iPosChild = elem;
            m_nCurIsElem = 1;
            return true;
        }
        elem = m_elems[static_cast<std::size_t>(elem)].iElemNext;
    }
    return false;
}

bool CXmlDoc::Enter() {
    if (m_iPos == 0 || m_nCurIsElem == 0) {
        return false;
    }
    m_iPosParent = m_iPos;
    m_iPos = m_iPosChild;
    m_iPosChild = 0;
    m_nCurIsElem = m_iPos != 0 ? 1 : 0;
    return true;
}

bool CXmlDoc::Leave() {
    if (m_iPosParent == 0) {
        return false;
    }
    m_iPosChild = m_iPos;
    m_iPos = m_iPosParent;
    m_iPosParent = m_elems[static_cast<std::size_t>(m_iPos)].iElemParent;
    m_nCurIsElem = m_iPos != 0 ? 1 : 0;
    return true;
}

QByteArray CXmlDoc::bytesOf(const Span& span) const {
    if (span.length <= 0) {
        return {};
    }
    return span.raw ? QByteArray(m_data + span.from, span.length)
                    : decode(span.from, span.from + span.length - 1);
}

QString CXmlDoc::stringOf(const Span& span) const {
    if (span.length <= 0) {
        return {};
    }
    const QByteArrayView bytes(m_data + span.from, span.length);
    // Without a reference to decode, the text converts straight from the document; a short one
    // with references is decoded on the stack first.
    if (span.raw ||
        findIn(bytes.data(), bytes.data() + bytes.size(), m_data + m_length, '&') == nullptr) {
        return QString::fromUtf8(bytes);
    }
    constexpr std::int32_t kOnStack = 512;
    if (span.length <= kOnStack) {
        char buffer[kOnStack];
        const std::int32_t length = decodeInto(span.from, span.from + span.length - 1, buffer);
        return QString::fromUtf8(QByteArrayView(buffer, length));
    }
    return QString::fromUtf8(decode(span.from, span.from + span.length - 1));
}

// Spans are filled in through a reference rather than returned: handed back in registers, a span
// is packed through memory, read as a whole just after being written in parts, which the
// processor cannot forward and has to wait for.
void CXmlDoc::textSpan(std::int32_t index, Span& span) const {
    const XmlElem& elem = m_elems[static_cast<std::size_t>(index)];
    if (elem.iElemChild != 0 || elem.nEndL < elem.nStartR) {  // parent, or self-closing
        return;
    }
    std::int32_t pos = elem.nStartR + 1;
    while (pos < elem.nEndL && isBlank(m_data[pos])) {
        ++pos;
    }
    static constexpr std::string_view kCdataOpen("<![CDATA[");
    static constexpr std::string_view kCdataClose("]]>");
    const std::string_view content(m_data + pos, static_cast<std::size_t>(elem.nEndL - pos));
    if (content.size() >= kCdataOpen.size() + kCdataClose.size() &&
        content.substr(0, kCdataOpen.size()) == kCdataOpen) {
        const std::size_t close = content.find(kCdataClose, kCdataOpen.size());
        if (close != std::string_view::npos) {
            span.from = pos + static_cast<std::int32_t>(kCdataOpen.size());
            span.length = static_cast<std::int32_t>(close - kCdataOpen.size());
            span.raw = true;
            return;
        }
    }
    span.from = elem.nStartR + 1;
    span.length = elem.nEndL - 1 - elem.nStartR;
}

void CXmlDoc::attrSpan(const char* name, Span& span) const {
    if (m_iPosChild == 0 || m_nCurIsElem == 0 || name == nullptr) {
        return;
    }
    const XmlElem& elem = m_elems[static_cast<std::size_t>(m_iPosChild)];
    Token token;
    if (elem.nNameLength >= 0) {
        token.next = elem.nStartL + 1 + elem.nNameLength;  // the attributes start after the name
    } else if (!scanToken(elem.nStartL + 1, token)) {
        return;
    }
    while (scanToken(token.next, token)) {
        if (token.quoted) {
            continue;
        }
        const char c = m_data[token.start];
        if (c == '/' || c == '>' || c == '?') {
            return;
        }
        if (c == '=' || !tokenNames(m_data + token.start, token.length, name)) {
            continue;
        }
        // name, '=', value: only a quoted value counts.
        Token equals;
        Token value;
        if (scanToken(token.next, equals) && scanToken(equals.next, value) && value.quoted) {
            span.from = value.start;
            span.length = value.length;
        }
        return;
    }
}

QByteArray CXmlDoc::GetText() const {
    Span span;
    if (m_iPos != 0) {
        textSpan(m_iPos, span);
    }
    return bytesOf(span);
}

QByteArray CXmlDoc::GetChildText() const {
    Span span;
    if (m_iPosChild != 0) {
        textSpan(m_iPosChild, span);
    }
    return bytesOf(span);
}

QByteArray CXmlDoc::GetChildAttr(const char* name) const {
    Span span;
    attrSpan(name, span);
    return bytesOf(span);
}

QString CXmlDoc::GetChildTextUtf8() const {
    Span span;
    if (m_iPosChild != 0) {
        textSpan(m_iPosChild, span);
    }
    return stringOf(span);
}

QString CXmlDoc::GetChildAttrUtf8(const char* name) const {
    Span span;
    attrSpan(name, span);
    return stringOf(span);
}

QByteArray CXmlDoc::decode(std::int32_t from, std::int32_t to) const {
    if (to < from) {
        return {};
    }
    const auto span = static_cast<std::size_t>(to - from + 1);
    if (findIn(m_data + from, m_data + from + span, m_data + m_length, '&') == nullptr) {
        return QByteArray(m_data + from, static_cast<qsizetype>(span));
    }
    QByteArray out(static_cast<qsizetype>(span), Qt::Uninitialized);
    out.truncate(decodeInto(from, to, out.data()));
    return out;
}

// Every reference is at least as long as what it stands for (a character of three UTF-8 bytes
// needs at least three digits), so the decoded text never outgrows the span: OUT must hold
// TO - FROM + 1 bytes.
std::int32_t CXmlDoc::decodeInto(std::int32_t from, std::int32_t to, char* out) const {
    char* write = out;
    std::int32_t i = from;
    while (i <= to) {
        const char* const amp = findIn(m_data + i, m_data + to + 1, m_data + m_length, '&');
        const std::int32_t stop = amp != nullptr ? static_cast<std::int32_t>(amp - m_data) : to + 1;
        std::memcpy(write, m_data + i, static_cast<std::size_t>(stop - i));
        write += stop - i;
        i = stop;
        if (i > to) {
            break;
        }

        if (i + 1 <= to && m_data[i + 1] == '#') {
            int base = 10;
            std::int32_t digits = i + 2;
            if (digits <= to && m_data[digits] == 'x') {
                base = 16;
                ++digits;
            }
            std::int32_t semicolon = -1;
            for (std::int32_t k = digits; k < digits + 8 && k <= to; ++k) {
                if (m_data[k] == ';') {
                    semicolon = k;
                    break;
                }
            }
            if (semicolon >= 0) {
                // The ';' stops the conversion, so it never reads past the reference.
                const long v = std::strtol(m_data + digits, nullptr, base);
                if (v < 0x80) {
                    *write++ = static_cast<char>(v);
                } else if (v < 0x800) {
                    *write++ = static_cast<char>(0xC0 | ((v >> 6) & 0x1F));
                    *write++ = static_cast<char>(0x80 | (v & 0x3F));
                } else {
                    *write++ = static_cast<char>(0xE0 | ((v >> 12) & 0x0F));
                    *write++ = static_cast<char>(0x80 | ((v >> 6) & 0x3F));
                    *write++ = static_cast<char>(0x80 | (v & 0x3F));
                }
                i = semicolon + 1;
                continue;
            }
        } else {
            // A named reference is told by the byte after the '&', then checked whole.
            char named = '\0';
            std::int32_t length = 0;
            const auto is = [&](std::string_view rest) {
                return i + static_cast<std::int32_t>(rest.size()) <= to &&
                       std::memcmp(m_data + i + 1, rest.data(), rest.size()) == 0;
            };
            switch (i + 1 <= to ? m_data[i + 1] : '\0') {
                case 'l':
                    named = is("lt;") ? '<' : '\0';
                    length = 3;
                    break;
                case 'g':
                    named = is("gt;") ? '>' : '\0';
                    length = 3;
                    break;
                case 'a':
                    if (is("amp;")) {
                        named = '&';
                        length = 4;
                    } else if (is("apos;")) {
                        named = '\'';
                        length = 5;
                    }
                    break;
                case 'q':
                    named = is("quot;") ? '"' : '\0';
                    length = 5;
                    break;
                default:
                    break;
            }
            if (named != '\0') {
                *write++ = named;
                i += 1 + length;
                continue;
            }
        }
        *write++ = '&';
        ++i;
    }
    return static_cast<std::int32_t>(write - out);
}
