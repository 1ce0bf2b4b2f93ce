#include "common/CXmlDoc.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string_view>

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

// A wanted name without delimiters, quotes or '[' can only match a token of exactly its own bytes,
// which is found by comparing it with the text directly. One pass gives its length too.
inline bool isPlainName(const char* name, std::int32_t& length) {
    bool plain = true;
    length = 0;
    if (name == nullptr) {
        return true;
    }
    for (; name[length] != '\0'; ++length) {
        const char c = name[length];
        if (kDelimiter[static_cast<unsigned char>(c)] || c == '"' || c == '\'' || c == '[') {
            plain = false;
        }
    }
    return plain;
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
        const void* close =
            std::memchr(m_data + token.start, c, static_cast<std::size_t>(m_length - token.start));
        if (close == nullptr) {
            token.length = m_length - token.start;
            token.next = m_length;
        } else {
            const auto end = static_cast<std::int32_t>(static_cast<const char*>(close) - m_data);
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

inline CXmlDoc::Token CXmlDoc::elementName(std::int32_t elem) const {
    Token token;
    scanToken(m_elems[static_cast<std::size_t>(elem)].nStartL + 1, token);
    return token;
}

inline bool CXmlDoc::elementNameMatches(std::int32_t elem, const char* name,
                                        std::int32_t nameLength, bool plain) const {
    if (nameLength == 0) {
        return true;
    }
    const std::int32_t start = m_elems[static_cast<std::size_t>(elem)].nStartL + 1;
    if (plain && start < m_length && !isBlank(m_data[start])) {
        // The element's name token starts right after its '<' (it parsed, so it is not quoted):
        // it matches when it is exactly the wanted bytes.
        const std::int32_t end = start + nameLength;
        return end <= m_length && m_data[start] == name[0] &&
               std::memcmp(m_data + start, name, static_cast<std::size_t>(nameLength)) == 0 &&
               (end == m_length || kDelimiter[static_cast<unsigned char>(m_data[end])]);
    }
    return nameMatches(elementName(elem), name, nameLength);
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

// Markup lies close together: the next few bytes are looked at one by one, and only a longer
// stretch of text is left to the library's vectorised search.
inline std::int32_t CXmlDoc::findByte(std::int32_t pos, char c) const {
    const std::int32_t near = std::min(m_length, pos + 16);
    for (; pos < near; ++pos) {
        if (m_data[pos] == c) {
            return pos;
        }
    }
    if (pos >= m_length) {
        return -1;
    }
    const void* found = std::memchr(m_data + pos, c, static_cast<std::size_t>(m_length - pos));
    return found != nullptr ? static_cast<std::int32_t>(static_cast<const char*>(found) - m_data)
                            : -1;
}

// The table always keeps one free record beyond the last one taken: it grows as soon as the
// next free index reaches its end.
inline std::int32_t CXmlDoc::newRecord(std::int32_t parent) {
    const std::int32_t index = m_nextFree++;
    m_elems[static_cast<std::size_t>(index)] = XmlElem{0, 0, 0, 0, parent, 0, 0};
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
// memory in proportion to its depth and never exhausts the call stack.
bool CXmlDoc::parseDocument() {
    struct Open {
        std::int32_t elem;
        std::int32_t lastChild;
        Token name;
    };
    std::vector<Open> open;
    open.reserve(32);
    std::int32_t parent = 0;
    std::int32_t pos = 0;

    for (;;) {
        // Parse one element below PARENT from POS. RESULT becomes its record, or 0 when the
        // parent's end tag came first (its '/' token is then in SLASH).
        std::int32_t result = newRecord(parent);
        Token slash;
        for (;;) {
            const std::int32_t lt = findByte(pos, '<');
            if (lt < 0) {
                fail(kElementTagNotFound, nullptr);
                return false;
            }
            m_elems[static_cast<std::size_t>(parent)].nEndL = lt;
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
            if (c == '/') {
                --m_nextFree;
                result = 0;
                slash = name;
                break;
            }
            const std::int32_t gt = findByte(name.next, '>');
            if (gt < 0) {
                fail(kEndOfTagNotFound, nullptr);
                return false;
            }
            XmlElem& elem = m_elems[static_cast<std::size_t>(result)];
            elem.nStartL = lt;
            elem.nStartR = gt;
            if (m_data[gt - 1] == '/') {
                elem.nEndL = gt - 1;
                elem.nEndR = gt;
            } else {
                open.push_back({result, 0, name});
                result = -1;  // its children come next
                pos = gt + 1;
            }
            break;
        }
        if (result < 0) {
            parent = open.back().elem;
            continue;
        }

        // Hand RESULT to the element that is open above it, closing elements whose end tags
        // are reached, until one wants its next child.
        for (;;) {
            if (open.empty()) {
                if (result <= 0) {
                    return false;
                }
                m_elems[0].iElemChild = result;
                return true;
            }
            Open& top = open.back();
            if (result > 0) {
                if (top.lastChild == 0) {
                    m_elems[static_cast<std::size_t>(top.elem)].iElemChild = result;
                } else {
                    m_elems[static_cast<std::size_t>(top.lastChild)].iElemNext = result;
                }
                top.lastChild = result;
                pos = m_elems[static_cast<std::size_t>(result)].nEndR + 1;
                parent = top.elem;
                break;
            }

            // The end tag: '/', the element's own name, then anything up to a '>'.
            XmlElem& elem = m_elems[static_cast<std::size_t>(top.elem)];
            const std::int32_t nameEnd = slash.next + top.name.length;
            if (nameEnd < m_length && m_data[nameEnd] == '>' &&
                std::memcmp(m_data + slash.next, m_data + top.name.start,
                            static_cast<std::size_t>(top.name.length)) == 0) {
                // The common "</name>", written tight.
                elem.nEndR = nameEnd;
                result = top.elem;
                open.pop_back();
                continue;
            }
            Token token;
            if (!scanToken(slash.next, token)) {
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
                    elem.nEndR = token.start;
                    closed = true;
                    break;
                }
            }
            if (!closed) {
                fail(kEndTagIncomplete, &top.name);
                return false;
            }
            result = top.elem;
            open.pop_back();
        }
    }
}

bool CXmlDoc::FindSibling(const char* name) {
    std::int32_t nameLength = 0;
    const bool plain = isPlainName(name, nameLength);
    std::int32_t elem = m_iPos != 0 ? m_elems[static_cast<std::size_t>(m_iPos)].iElemNext
                                    : m_elems[static_cast<std::size_t>(m_iPosParent)].iElemChild;
    while (elem != 0) {
        if (elementNameMatches(elem, name, nameLength, plain)) {
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
    std::int32_t nameLength = 0;
    const bool plain = isPlainName(name, nameLength);
    std::int32_t elem = m_iPosChild != 0 ? m_elems[static_cast<std::size_t>(m_iPosChild)].iElemNext
                                         : m_elems[static_cast<std::size_t>(m_iPos)].iElemChild;
    while (elem != 0) {
        if (elementNameMatches(elem, name, nameLength, plain)) {
            m_iPosChild = elem;
            m_iPos = m_elems[static_cast<std::size_t>(elem)].iElemParent;
            m_iPosParent = m_elems[static_cast<std::size_t>(m_iPos)].iElemParent;
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

QByteArray CXmlDoc::GetText() const {
    return m_iPos != 0 ? bytesOf(textSpan(m_iPos)) : QByteArray();
}

QByteArray CXmlDoc::GetChildText() const {
    return m_iPosChild != 0 ? bytesOf(textSpan(m_iPosChild)) : QByteArray();
}

QByteArray CXmlDoc::GetChildAttr(const char* name) const {
    return bytesOf(attrSpan(name));
}

QString CXmlDoc::GetChildTextUtf8() const {
    return m_iPosChild != 0 ? stringOf(textSpan(m_iPosChild)) : QString();
}

QString CXmlDoc::GetChildAttrUtf8(const char* name) const {
    return stringOf(attrSpan(name));
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
        std::memchr(bytes.data(), '&', static_cast<std::size_t>(bytes.size())) == nullptr) {
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

CXmlDoc::Span CXmlDoc::textSpan(std::int32_t index) const {
    const XmlElem& elem = m_elems[static_cast<std::size_t>(index)];
    if (elem.iElemChild != 0 || elem.nEndR == elem.nStartR) {
        return {};
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
            return {pos + static_cast<std::int32_t>(kCdataOpen.size()),
                    static_cast<std::int32_t>(close - kCdataOpen.size()), true};
        }
    }
    return {elem.nStartR + 1, elem.nEndL - 1 - elem.nStartR, false};
}

CXmlDoc::Span CXmlDoc::attrSpan(const char* name) const {
    if (m_iPosChild == 0 || m_nCurIsElem == 0 || name == nullptr) {
        return {};
    }
    const auto wantedLength = static_cast<std::int32_t>(std::strlen(name));
    Token token;
    if (!scanToken(m_elems[static_cast<std::size_t>(m_iPosChild)].nStartL + 1, token)) {
        return {};
    }
    while (scanToken(token.next, token)) {
        if (token.quoted) {
            continue;
        }
        const char c = m_data[token.start];
        if (c == '/' || c == '>' || c == '?') {
            return {};
        }
        if (c == '=' || !nameMatches(token, name, wantedLength)) {
            continue;
        }
        // name, '=', value: only a quoted value counts.
        Token equals;
        Token value;
        if (!scanToken(token.next, equals) || !scanToken(equals.next, value) || !value.quoted) {
            return {};
        }
        return {value.start, value.length, false};
    }
    return {};
}

QByteArray CXmlDoc::decode(std::int32_t from, std::int32_t to) const {
    if (to < from) {
        return {};
    }
    const auto span = static_cast<std::size_t>(to - from + 1);
    if (std::memchr(m_data + from, '&', span) == nullptr) {
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
        const void* amp = std::memchr(m_data + i, '&', static_cast<std::size_t>(to - i + 1));
        const std::int32_t stop =
            amp != nullptr ? static_cast<std::int32_t>(static_cast<const char*>(amp) - m_data)
                           : to + 1;
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
            static constexpr struct {
                std::string_view name;
                char value;
            } kNamed[] = {
                {"lt;", '<'}, {"amp;", '&'}, {"gt;", '>'}, {"apos;", '\''}, {"quot;", '"'}};
            bool matched = false;
            for (const auto& named : kNamed) {
                const auto length = static_cast<std::int32_t>(named.name.size());
                if (i + length <= to &&
                    std::string_view(m_data + i + 1, named.name.size()) == named.name) {
                    *write++ = named.value;
                    i += 1 + length;
                    matched = true;
                    break;
                }
            }
            if (matched) {
                continue;
            }
        }
        *write++ = '&';
        ++i;
    }
    return static_cast<std::int32_t>(write - out);
}
