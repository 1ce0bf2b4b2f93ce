#include "common/CXmlDoc.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

namespace {

// A failed or missing document must look the same to every caller: nothing is found, every value
// is empty, and the cursor cannot move.
void expectEmptyDocument(CXmlDoc& doc) {
    doc.ResetPos();
    EXPECT_EQ(doc.elementCount(), 0);
    EXPECT_FALSE(doc.FindSibling(nullptr));
    EXPECT_FALSE(doc.FindChild(nullptr));
    EXPECT_FALSE(doc.Enter());
    EXPECT_FALSE(doc.Leave());
    EXPECT_TRUE(doc.GetText().isEmpty());
    EXPECT_TRUE(doc.GetChildText().isEmpty());
    EXPECT_TRUE(doc.GetChildAttr("y").isEmpty());
}

// The first child of the top element whose name matches WANTED, told by its id attribute.
QByteArray idOfChild(CXmlDoc& doc, const char* wanted) {
    doc.ResetPos();
    return doc.FindChild(wanted) ? doc.GetChildAttr("id") : QByteArray("none");
}

QByteArray childText(const char* text, const char* child = "a") {
    CXmlDoc doc(text);
    return doc.FindChild(child) ? doc.GetChildText() : QByteArray("<not parsed>");
}

QByteArray repeated(const char* piece, int count) {
    QByteArray out;
    for (int i = 0; i < count; ++i) {
        out.append(piece);
    }
    return out;
}

}  // namespace

TEST(CXmlDocCursor, SearchesRunForwardOnly) {
    CXmlDoc doc("<a><b>x</b><c y=\"1\"/></a>");
    ASSERT_EQ(doc.elementCount(), 3);
    ASSERT_TRUE(doc.FindChild("b"));
    EXPECT_EQ(doc.GetChildText(), "x");
    ASSERT_TRUE(doc.FindChild("c"));
    EXPECT_EQ(doc.GetChildAttr("y"), "1");
    EXPECT_FALSE(doc.FindChild("b"));
    // The failed search left the cursor on c.
    EXPECT_EQ(doc.GetChildAttr("y"), "1");
    doc.ResetPos();
    ASSERT_TRUE(doc.FindChild("b"));
    EXPECT_EQ(doc.GetChildText(), "x");
}

TEST(CXmlDocCursor, SiblingsEnterAndLeave) {
    CXmlDoc doc("<r><i>1</i><j>2</j><i>3</i><i>4</i></r>");
    EXPECT_FALSE(doc.Enter());
    EXPECT_FALSE(doc.Leave());
    EXPECT_FALSE(doc.FindSibling("i"));  // only r lives at the document level
    ASSERT_TRUE(doc.FindSibling("r"));
    EXPECT_FALSE(doc.FindSibling(nullptr));
    EXPECT_FALSE(doc.Leave());

    // Entering with no current child leaves the parent level open for FindSibling.
    ASSERT_TRUE(doc.Enter());
    EXPECT_TRUE(doc.GetText().isEmpty());
    EXPECT_FALSE(doc.Enter());
    ASSERT_TRUE(doc.FindSibling("i"));
    EXPECT_EQ(doc.GetText(), "1");
    ASSERT_TRUE(doc.FindSibling("i"));
    EXPECT_EQ(doc.GetText(), "3");
    EXPECT_FALSE(doc.FindSibling("j"));
    EXPECT_EQ(doc.GetText(), "3");
    ASSERT_TRUE(doc.FindSibling(""));
    EXPECT_EQ(doc.GetText(), "4");
    EXPECT_FALSE(doc.FindSibling(nullptr));

    // Leaving makes the element we were on the child of r.
    ASSERT_TRUE(doc.Leave());
    EXPECT_EQ(doc.GetChildText(), "4");
    EXPECT_TRUE(doc.GetText().isEmpty());  // r holds elements
    EXPECT_FALSE(doc.FindChild("i"));
    EXPECT_FALSE(doc.Leave());
}

TEST(CXmlDocCursor, EnterDescendsIntoTheChild) {
    CXmlDoc doc("<a><b><d>1</d><d>2</d></b><e><d>3</d></e></a>");
    ASSERT_TRUE(doc.FindChild("b"));
    ASSERT_TRUE(doc.Enter());
    ASSERT_TRUE(doc.FindChild("d"));
    ASSERT_TRUE(doc.FindChild("d"));
    EXPECT_EQ(doc.GetChildText(), "2");
    ASSERT_TRUE(doc.Leave());
    ASSERT_TRUE(doc.FindChild("e"));  // the search goes on after b
    EXPECT_TRUE(doc.GetChildText().isEmpty());

    // Moving to a sibling forgets the child, so the next child search starts inside the sibling.
    doc.ResetPos();
    ASSERT_TRUE(doc.FindChild("b"));
    ASSERT_TRUE(doc.Enter());
    ASSERT_TRUE(doc.FindChild("d"));
    ASSERT_TRUE(doc.FindSibling("e"));
    ASSERT_TRUE(doc.FindChild("d"));
    EXPECT_EQ(doc.GetChildText(), "3");
    EXPECT_FALSE(doc.FindSibling("b"));
}

TEST(CXmlDocNames, PrefixMatchesWhenFollowedByASeparator) {
    CXmlDoc doc("<r><item id='1'/><itemx id='2'/><it id='3'/><item id='4'/></r>");
    EXPECT_EQ(idOfChild(doc, "item"), "1");
    EXPECT_EQ(idOfChild(doc, "item attr"), "1");
    EXPECT_EQ(idOfChild(doc, "item=x"), "1");
    EXPECT_EQ(idOfChild(doc, "item/sub"), "1");
    EXPECT_EQ(idOfChild(doc, "item[2]"), "1");
    EXPECT_EQ(idOfChild(doc, "itemx"), "2");
    EXPECT_EQ(idOfChild(doc, "it"), "3");
    EXPECT_EQ(idOfChild(doc, "ite"), "none");
    EXPECT_EQ(idOfChild(doc, "item.x"), "none");
    EXPECT_EQ(idOfChild(doc, "Item"), "none");
    EXPECT_EQ(idOfChild(doc, ""), "1");
    EXPECT_EQ(idOfChild(doc, nullptr), "1");

    // The same rule closes elements: "a" ends "a[1]", but "a" and "ab" do not end each other.
    CXmlDoc bracketed("<a[1]>t</a>");
    EXPECT_FALSE(bracketed.FindSibling("a"));
    ASSERT_TRUE(bracketed.FindSibling("a[1]"));
    EXPECT_EQ(bracketed.GetText(), "t");
}

TEST(CXmlDocStructure, SkipsPrologAndIgnoresWhatFollowsTheTopElement) {
    CXmlDoc doc(
        "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
        "<!-- <list> is the whole catalogue -> not yet -->\n"
        "<!DOCTYPE list [\n"
        "  <!ELEMENT list (item)*>\n"
        "  <!ENTITY note \"a > b ]\">\n"
        "]>\n"
        "<list><!-- <x/> --><?pi <y/> ?><item>1</item><![CDATA[<z/>]]><item>2</item></list>\n"
        "<list><item>3</item></list></mismatch><unclosed");
    ASSERT_EQ(doc.elementCount(), 3);
    EXPECT_TRUE(doc.lastError().isEmpty());
    ASSERT_TRUE(doc.FindSibling("list"));
    EXPECT_FALSE(doc.FindSibling("list"));
    EXPECT_FALSE(doc.FindSibling(nullptr));
    ASSERT_TRUE(doc.FindChild("item"));
    ASSERT_TRUE(doc.FindChild(nullptr));
    EXPECT_EQ(doc.GetChildText(), "2");
    EXPECT_FALSE(doc.FindChild(nullptr));

    // Markup inside a quoted literal does not end the declaration.
    CXmlDoc quoted("<!DOCTYPE list SYSTEM \"><fake/>\"><list/>");
    EXPECT_EQ(quoted.elementCount(), 1);
    EXPECT_TRUE(quoted.FindSibling("list"));
}

TEST(CXmlDocStructure, EndTagsMayCarrySpacesAndExtraTokens) {
    CXmlDoc doc("<r><a>1</ a><b>2</b  ><c>3</c junk=\"x>y\"><d>4</d></r>");
    ASSERT_EQ(doc.elementCount(), 5);
    ASSERT_TRUE(doc.FindChild("d"));
    EXPECT_EQ(doc.GetChildText(), "4");
}

TEST(CXmlDocStructure, QuotedNameInEndTagIsComparedLikeAnyOther) {
    CXmlDoc doc("<a>x</\"a\">");
    EXPECT_TRUE(doc.FindSibling("a")) << doc.lastError().constData();
    EXPECT_EQ(doc.GetText(), "x");
}

TEST(CXmlDocText, DecodesReferences) {
    EXPECT_EQ(childText("<r><a>&lt;&amp;&#65;&#x42;&bogus;</a></r>"), "<&AB&bogus;");
    EXPECT_EQ(childText("<r><a>&gt;&apos;&quot;</a></r>"), ">'\"");
    EXPECT_EQ(childText("<r><a>&#233;</a></r>"), "\xC3\xA9");
    EXPECT_EQ(childText("<r><a>&#x4E2D;</a></r>"), "\xE4\xB8\xAD");
    EXPECT_EQ(childText("<r><a>&#x7FF;&#x800;</a></r>"), "\xDF\xBF\xE0\xA0\x80");
    // Beyond 16 bits only the low 16 bits are written out.
    EXPECT_EQ(childText("<r><a>&#x1F600;</a></r>"), "\xEF\x98\x80");
    // The ';' must come within eight bytes of "&#".
    EXPECT_EQ(childText("<r><a>&#1234567;</a></r>"), "\xED\x9A\x87");
    EXPECT_EQ(childText("<r><a>&#12345678;</a></r>"), "&#12345678;");
}

TEST(CXmlDocText, LeavesBrokenReferencesAsWritten) {
    EXPECT_EQ(childText("<r><a>&amp;lt; &LT; a & b x&</a></r>"), "&lt; &LT; a & b x&");
    EXPECT_EQ(childText("<r><a>&lt</a></r>"), "&lt");
    EXPECT_EQ(childText("<r><a>&#65</a></r>"), "&#65");
    // A ';' after the element's end does not complete a reference inside it.
    EXPECT_EQ(childText("<r><a>&#65</a>;</r>"), "&#65");
    CXmlDoc doc("<r><c v=\"&#66\">;</c></r>");
    ASSERT_TRUE(doc.FindChild("c"));
    EXPECT_EQ(doc.GetChildAttr("v"), "&#66");
}

TEST(CXmlDocText, ContentRules) {
    EXPECT_EQ(childText("<r><a>  x y \n</a></r>"), "  x y \n");
    EXPECT_EQ(childText("<r><a>x<!--c-->y</a></r>"), "x<!--c-->y");
    EXPECT_EQ(childText("<r><a/></r>"), "");
    EXPECT_EQ(childText("<r><a></a></r>"), "");
    // Text around a child element does not count.
    EXPECT_EQ(childText("<r><a>text<b>in</b>more</a></r>"), "");
    // CDATA is returned as written, and whatever follows it is dropped.
    EXPECT_EQ(childText("<r><a>\n <![CDATA[1 &lt; 2 <b>&amp;</b>]]> tail</a></r>"),
              "1 &lt; 2 <b>&amp;</b>");
    EXPECT_EQ(childText("<r><a><![CDATA[]]></a></r>"), "");
    EXPECT_EQ(childText("<r><a>x<![CDATA[&lt;]]></a></r>"), "x<![CDATA[<]]>");
}

// Values are looked through in blocks, with a short last part read as a whole block only where
// the document goes on far enough: every length, a reference anywhere or nowhere, and the value
// both well inside the document and against its very end must read alike.
TEST(CXmlDocText, ValuesOfAnyLengthAndPlaceReadAlike) {
    for (int length = 1; length <= 80; ++length) {
        for (const int at : {-1, 0, length / 2, length - 1}) {
            QByteArray raw(length, 'v');
            QByteArray decoded = raw;
            if (at >= 0) {
                raw.replace(at, 1, "&amp;");
                decoded[at] = '&';
            }
            SCOPED_TRACE(raw.constData());
            // A reference just after a value must not be taken for one inside it.
            CXmlDoc inside;
            ASSERT_TRUE(inside.Parse("<r><c a=\"" + raw + "\"&amp;=\"\">" + raw + "</c &amp;>" +
                                     QByteArray(100, ' ') + "</r>"));
            ASSERT_TRUE(inside.FindChild("c"));
            EXPECT_EQ(inside.GetChildText(), decoded);
            EXPECT_EQ(inside.GetChildTextUtf8(), QString::fromLatin1(decoded));
            EXPECT_EQ(inside.GetChildAttr("a"), decoded);
            EXPECT_EQ(inside.GetChildAttrUtf8("a"), QString::fromLatin1(decoded));

            CXmlDoc atEnd;
            ASSERT_TRUE(atEnd.Parse("<r><c>" + raw + "</c></r>"));
            ASSERT_TRUE(atEnd.FindChild("c"));
            EXPECT_EQ(atEnd.GetChildTextUtf8(), QString::fromLatin1(decoded));
        }
    }
}

TEST(CXmlDocAttributes, LookupRules) {
    CXmlDoc doc(
        "<r><c a=\"y\" yy=\"1\" y='2' y=\"3\" z=4 w = \"5\" v=\"&lt;&#x4E2D;&quot;\"/></r>");
    EXPECT_TRUE(doc.GetChildAttr("a").isEmpty());  // no child yet
    ASSERT_TRUE(doc.FindChild("c"));
    EXPECT_EQ(doc.GetChildAttr("y"), "2");
    EXPECT_EQ(doc.GetChildAttr("yy"), "1");
    EXPECT_EQ(doc.GetChildAttr("a"), "y");
    EXPECT_EQ(doc.GetChildAttr("w"), "5");
    EXPECT_EQ(doc.GetChildAttr("v"), "<\xE4\xB8\xAD\"");
    EXPECT_TRUE(doc.GetChildAttr("z").isEmpty());
    EXPECT_TRUE(doc.GetChildAttr("c").isEmpty());
    EXPECT_TRUE(doc.GetChildAttr("q").isEmpty());
    EXPECT_TRUE(doc.GetChildAttr("").isEmpty());
    ASSERT_TRUE(doc.Enter());
    EXPECT_TRUE(doc.GetChildAttr("y").isEmpty());

    // Attribute-like text in the content is not part of the start tag.
    CXmlDoc content("<r><c>y=\"1\"</c></r>");
    ASSERT_TRUE(content.FindChild("c"));
    EXPECT_TRUE(content.GetChildAttr("y").isEmpty());
}

TEST(CXmlDocErrors, MalformedInputEmptiesTheDocument) {
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"no markup at all", "Element tag not found"},
        {"<a><b>x</b>", "Element tag not found"},
        {"<?xml version=\"1.0\"?><!-- prolog only -->", "Element tag not found"},
        {"<", "Abrupt end within tag"},
        {"<a>  < \n", "Abrupt end within tag"},
        {"<\"a\">x</a>", "Tag starts with quote"},
        {"<a><'b'/></a>", "Tag starts with quote"},
        {"<!-- never closed <a/>", "Invalid node"},
        {"<a><!", "Invalid node"},
        {"<?xml version=\"1.0\"><a/>", "Invalid node"},
        {"<!DOCTYPE a [ <!ELEMENT a ANY> <a/>", "Invalid node"},
        {"<a><![CDATA[x</a>", "Invalid node"},
        {"<a x=\"1\"", "End of tag not found"},
        {"<r><a>x</b></r>", "End tag does not correspond to a"},
        {"<a></ab>", "End tag does not correspond to a"},
        {"<ab></a>", "End tag does not correspond to ab"},
        // The first '>' ends a start tag even inside quotes, so c is not self-closing.
        {"<r><c y=\"a>b\"/></r>", "End tag does not correspond to c"},
        {"<a%s%d%n></b>", "End tag does not correspond to a%s%d%n"},
        {"<a>x</a", "End tag not completed for element a"},
        {"<r><a>x</", "End tag not completed for element a"},
        {"<a>x</a attr \">\"", "End tag not completed for element a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        CXmlDoc doc("<old><y>1</y></old>");
        ASSERT_TRUE(doc.FindChild("y"));
        EXPECT_FALSE(doc.Parse(c.text));
        EXPECT_EQ(doc.lastError(), c.message);
        expectEmptyDocument(doc);
    }

    // An end tag where the document should start is no document, though no message says so.
    CXmlDoc doc("<old/>");
    EXPECT_FALSE(doc.Parse("</a>"));
    expectEmptyDocument(doc);
    EXPECT_FALSE(doc.Parse(nullptr));
    expectEmptyDocument(doc);
    ASSERT_TRUE(doc.Parse("<old/>"));
    EXPECT_FALSE(doc.Parse(""));
    expectEmptyDocument(doc);
    // The text ends at its first zero byte.
    EXPECT_FALSE(doc.Parse(QByteArray("<a>x\0</a>", 9)));
    EXPECT_EQ(doc.lastError(), "Element tag not found");
    EXPECT_TRUE(doc.Parse(QByteArray("<a>x</a>\0<b", 11)));
}

TEST(CXmlDocErrors, LongElementNamesAreShortenedInTheMessage) {
    const QByteArray prefix("End tag does not correspond to ");
    auto messageFor = [](const QByteArray& name) {
        CXmlDoc doc;
        EXPECT_FALSE(doc.Parse("<" + name + "></b>"));
        return doc.lastError();
    };
    // 268 bytes of name fill the message to exactly 299 bytes.
    const QByteArray fits(268, 'n');
    EXPECT_EQ(messageFor(fits), prefix + fits);
    for (const int length : {269, 5000}) {
        SCOPED_TRACE(length);
        const QByteArray message = messageFor(QByteArray(length, 'n'));
        EXPECT_LE(message.size(), 299);
        EXPECT_GT(message.size(), prefix.size() + 200);
        EXPECT_TRUE(message.startsWith(prefix + "nnnn"));
        EXPECT_TRUE(message.endsWith("n..."));
    }
}

TEST(CXmlDocDocument, ReparseReplacesEverything) {
    CXmlDoc doc("<old><x>1</x></old>");
    ASSERT_TRUE(doc.FindChild("x"));
    ASSERT_TRUE(doc.Parse(QByteArray("<new><y>2</y><y>3</y></new>")));
    EXPECT_EQ(doc.elementCount(), 3);
    EXPECT_TRUE(doc.GetChildText().isEmpty());  // the cursor was reset
    EXPECT_FALSE(doc.FindSibling("old"));
    ASSERT_TRUE(doc.FindChild("y"));
    EXPECT_EQ(doc.GetChildText(), "2");
    doc.ResetPos();
    EXPECT_FALSE(doc.FindChild("x"));
}

TEST(CXmlDocDocument, LoadFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString valid = dir.filePath(QStringLiteral("tvchannel.xml"));
    const QString empty = dir.filePath(QStringLiteral("empty.xml"));
    const QString broken = dir.filePath(QStringLiteral("broken.xml"));
    auto write = [](const QString& path, const QByteArray& content) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(content), content.size());
    };
    write(valid,
          "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
          "<list>\r\n  <ch name=\"\xE4\xB8\xAD &amp; B\">\xE4\xB8\xAD</ch>\r\n</list>\r\n");
    write(empty, QByteArray());
    write(broken, "<list><ch>");

    CXmlDoc doc;
    ASSERT_TRUE(doc.LoadFile(valid));
    ASSERT_TRUE(doc.FindChild("ch"));
    EXPECT_EQ(doc.GetChildText(), "\xE4\xB8\xAD");
    EXPECT_EQ(doc.GetChildAttr("name"), "\xE4\xB8\xAD & B");

    EXPECT_FALSE(doc.LoadFile(dir.filePath(QStringLiteral("missing.xml"))));
    expectEmptyDocument(doc);
    ASSERT_TRUE(doc.LoadFile(valid));
    EXPECT_FALSE(doc.LoadFile(empty));
    expectEmptyDocument(doc);
    ASSERT_TRUE(doc.LoadFile(valid));
    EXPECT_FALSE(doc.LoadFile(broken));
    EXPECT_EQ(doc.lastError(), "Element tag not found");
    expectEmptyDocument(doc);
}

TEST(CXmlDocTable, SizedFromTextLengthAndNeverShrinks) {
    CXmlDoc doc;
    EXPECT_GE(doc.tableSize(), 8);
    EXPECT_EQ(doc.elementCount(), 0);
    // At least one record per whole 64 bytes of text, plus 8.
    for (const int length : {127, 128, 4096, 100000}) {
        SCOPED_TRACE(length);
        ASSERT_TRUE(doc.Parse("<a>" + QByteArray(length - 7, 'x') + "</a>"));
        EXPECT_GE(doc.tableSize(), length / 64 + 8);
    }
    const int large = doc.tableSize();
    ASSERT_TRUE(doc.Parse("<a/>"));
    EXPECT_EQ(doc.tableSize(), large);
    EXPECT_EQ(doc.elementCount(), 1);
}

TEST(CXmlDocTable, GrowsByHalfWhenTheNextRecordWouldNotFit) {
    for (const int children : {4, 5, 9, 100, 1000}) {
        SCOPED_TRACE(children);
        // The same length without elements gives the table's first size.
        const QByteArray text = "<r>" + repeated("<c/>", children) + "</r>";
        CXmlDoc blank;
        ASSERT_TRUE(blank.Parse("<r>" + QByteArray(text.size() - 7, ' ') + "</r>"));
        CXmlDoc doc;
        ASSERT_TRUE(doc.Parse(text));
        EXPECT_EQ(doc.elementCount(), children + 1);
        // Under r, n children take records 2..n+1, and finding r's end tag takes one more and
        // gives it back: the table has room for that, and got there by halves.
        EXPECT_GE(doc.tableSize(), children + 3);
        int size = blank.tableSize();
        while (size < doc.tableSize()) {
            size += size / 2;
        }
        EXPECT_EQ(size, doc.tableSize());
        EXPECT_LT(doc.tableSize(), std::max(blank.tableSize(), (children + 3) * 3 / 2 + 1));
        doc.ResetPos();
        int found = 0;
        while (doc.FindChild("c")) {
            ++found;
        }
        EXPECT_EQ(found, children);
    }
}

TEST(CXmlDocNesting, DeepDocumentsDoNotExhaustTheStack) {
    constexpr int kDepth = 200000;
    CXmlDoc doc;
    ASSERT_TRUE(doc.Parse(repeated("<a>", kDepth) + "x" + repeated("</a>", kDepth)));
    EXPECT_EQ(doc.elementCount(), kDepth);
    EXPECT_GT(doc.tableSize(), kDepth);
    ASSERT_TRUE(doc.FindSibling("a"));
    int depth = 1;
    while (doc.FindChild("a") && doc.Enter()) {
        ++depth;
    }
    EXPECT_EQ(depth, kDepth);
    EXPECT_EQ(doc.GetText(), "x");
    int left = 0;
    while (doc.Leave()) {
        ++left;
    }
    EXPECT_EQ(left, kDepth - 1);

    EXPECT_FALSE(doc.Parse(repeated("<a>", kDepth)));
    EXPECT_EQ(doc.lastError(), "Element tag not found");
    expectEmptyDocument(doc);
    EXPECT_FALSE(doc.Parse(repeated("<a>", kDepth) + "</b>"));
    EXPECT_EQ(doc.lastError(), "End tag does not correspond to a");
    expectEmptyDocument(doc);
}

// A name written after blanks is read by the general token rule rather than from its record.
TEST(CXmlDocNames, NameAfterBlanksIsFoundWithItsAttributesAndText) {
    CXmlDoc doc("<r>< c y='1'>t</c><c y='2'>u</c>< \tc y='3'/>< cc y='4'/></r>");
    ASSERT_TRUE(doc.FindChild("c"));
    EXPECT_EQ(doc.GetChildAttr("y"), "1");
    EXPECT_EQ(doc.GetChildText(), "t");
    ASSERT_TRUE(doc.FindChild("c"));
    EXPECT_EQ(doc.GetChildAttr("y"), "2");
    ASSERT_TRUE(doc.FindChild("c attr"));
    EXPECT_EQ(doc.GetChildAttr("y"), "3");
    EXPECT_TRUE(doc.GetChildText().isEmpty());  // self-closing
    EXPECT_FALSE(doc.FindChild("c"));
    doc.ResetPos();
    ASSERT_TRUE(doc.FindChild("cc"));
    EXPECT_EQ(doc.GetChildAttr("y"), "4");
}

// Names are compared by the token rule, even for names made of delimiter characters, whichever
// way the comparison is done.
TEST(CXmlDocNames, DelimiterNamesMatchOnlyWholeTokens) {
    CXmlDoc doc("<r><<a/><b[x]/><c/></r>");
    ASSERT_TRUE(doc.FindSibling("r")) << doc.lastError().constData();
    EXPECT_FALSE(doc.FindChild("<a"));
    EXPECT_TRUE(doc.FindChild("<"));
    EXPECT_FALSE(doc.FindChild("b[x]!"));
    EXPECT_TRUE(doc.FindChild("b[x]"));
    doc.ResetPos();
    EXPECT_TRUE(doc.FindChild("c"));
    // A wanted name may go on after the token with '/', '=', ' ' or '['.
    doc.ResetPos();
    EXPECT_TRUE(doc.FindChild("c/"));
    doc.ResetPos();
    EXPECT_FALSE(doc.FindChild("c!"));
}
