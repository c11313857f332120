// The XML reader on parts held whole: what it hands the walk, and what it refuses.
#include "platform/core/Error.h"
#include "platform/docx/LoadError.h"
#include "platform/docx/XmlReader.h"
#include "platform/docx/XmlTokenizer.h"
#include "tests/support/DocxBuilder.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <string>

namespace {

using docx::Ns;
using docx::Tok;
using docx::XmlReader;

const QString kPath = QStringLiteral("/tmp/テスト.docx");

std::string root(const std::string& inner, const std::string& extra = {})
{
    return std::string("<w:document ") + DocxBuilder::kNamespaces + extra + ">" + inner + "</w:document>";
}

// The reader standing on the root of xml.
struct Reading {
    explicit Reading(std::string xml) : x(std::move(xml), "word/document.xml", kPath) { EXPECT_TRUE(x.child(0)); }
    XmlReader x;
};

// Each element below the one the reader stands on as local[tok], its text pieces as "text|".
std::string outline(XmlReader& x)
{
    std::string out;
    const int at = x.depth();
    while (x.child(at)) {
        out.append(x.localName()).append("[").append(std::to_string(static_cast<int>(x.tok()))).append("]");
        if (x.tok() == Tok::T || x.tok() == Tok::InstrText) {
            out += "(";
            x.text([&](std::string_view piece) { out.append(piece).append("|"); });
            out += ")";
        } else {
            const std::string inner = outline(x);
            if (!inner.empty())
                out.append("{").append(inner).append("}");
        }
    }
    return out;
}

std::string textOf(const std::string& xml)
{
    Reading r(root(xml));
    std::string out;
    const int at = r.x.depth();
    while (r.x.child(at))
        if (r.x.tok() == Tok::T)
            r.x.text([&](std::string_view piece) { out.append(piece); });
    return out;
}

core::Error failure(const std::string& xml)
{
    try {
        XmlReader x(xml, "word/document.xml", kPath);
        x.finish();
    } catch (const core::Error& e) {
        return e;
    }
    ADD_FAILURE() << "read without an error: " << xml;
    return core::Error(0, {}, {});
}

TEST(XmlReader, ExpandsReferencesAndLineEndsButNotCdataOrUnknownEntities)
{
    EXPECT_EQ(textOf("<w:t>a&amp;b&lt;&gt;&quot;&apos;&#x41;&#66;&#x65E5;&unknown;&#0;\r\nc\rd</w:t>"),
              "a&b<>\"'AB日&unknown;&#0;\nc\nd");
    EXPECT_EQ(textOf("<w:t><![CDATA[<w:p> &amp; ]]]]><![CDATA[>\r\n]]></w:t>"), "<w:p> &amp; ]]>\n");
}

TEST(XmlReader, AttributeValuesAreExpandedAndTheirWhiteSpaceNormalised)
{
    Reading r(root("<w:color w:val=\"a&quot;b&#9;c\td\r\ne\" w:themeColor='x&amp;y'/>"));
    ASSERT_TRUE(r.x.child(1));
    EXPECT_EQ(r.x.w("val"), "a\"b\tc d e");
    EXPECT_EQ(r.x.w("themeColor"), "x&y");
    EXPECT_EQ(r.x.attr(Ns::W, "missing"), std::nullopt);
}

TEST(XmlReader, WhiteSpaceAloneIsTextOnlyAsAnElementsWholeContent)
{
    Reading r(root("\n  <w:r>\n    <w:t> </w:t>\n    <w:t>\t</w:t><w:t>a <!-- c --> b</w:t>\n  </w:r>\n"));
    EXPECT_EQ(outline(r.x), "r[14]{t[15]( |)t[15](\t|)t[15](a | b|)}");
}

TEST(XmlReader, CommentsAndInstructionsAreSkippedUnread)
{
    const std::string xml = "<?xml version=\"1.0\"?><!-- </w:document> --><?pi <w:t>?>"
                            + root("<w:t>x</w:t><!-- <w:t>no</w:t> -->");
    Reading r(xml);
    EXPECT_EQ(outline(r.x), "t[15](x|)");
}

// A DTD is refused where it starts, whatever follows: its declarations are never read.
TEST(XmlReader, DtdIsRefusedAtItsStart)
{
    for (const std::string& dtd : {std::string("<!DOCTYPE w:document [<!ENTITY x \"boom\">]>"),
                                   std::string("<!DOCTYPE d SYSTEM \"file:///etc/passwd\">"),
                                   std::string("<!DOCTYPE [<!ENTITY unclosed \"") + std::string(100000, '[')}) {
        const core::Error e = failure("<?xml version=\"1.0\"?>" + dtd + root("<w:t>&x;</w:t>"));
        EXPECT_EQ(e.number(), docx::kErrFileCorrupt);
        EXPECT_TRUE(e.description().contains(QStringLiteral("/word/document.xml に DTD が含まれています"))) << e.what();
        EXPECT_TRUE(e.description().contains(QStringLiteral("DTD は使用できません"))) << e.what();
    }
}

TEST(XmlReader, ElementsAreKnownByTheirNamespaceNotTheirPrefix)
{
    const std::string w = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
    // Another prefix for the same namespace, and the usual prefix bound elsewhere below the root.
    Reading r(root("<q:p><q:r><q:t>1</q:t></q:r></q:p>"
                   "<w:p xmlns:w=\"urn:other\"><w:t>2</w:t></w:p><w:p><w:t>3</w:t></w:p>",
                   " xmlns:q=\"" + w + "\""));
    EXPECT_EQ(outline(r.x), "p[11]{r[14]{t[15](1|)}}p[0]{t[0]}p[11]{t[15](3|)}");

    Reading plain("<document xmlns=\"" + w + "\"><body><p><r><t val=\"v\">4</t></r></p></body></document>");
    EXPECT_EQ(plain.x.tok(), Tok::Document);
    EXPECT_EQ(outline(plain.x), "body[2]{p[11]{r[14]{t[15](4|)}}}");
}

TEST(XmlReader, AttributesAreFoundByNamespaceAndLocalName)
{
    Reading r(root("<w:color x:val=\"1\" val=\"2\" w:val=\"3\" xmlns:x=\"urn:x\"/><w:hyperlink r:id=\"rId7\"/>"));
    ASSERT_TRUE(r.x.child(1));
    EXPECT_EQ(r.x.w("val"), "3");
    EXPECT_EQ(r.x.attr("val"), "2");
    ASSERT_TRUE(r.x.child(1));
    EXPECT_EQ(r.x.attr(Ns::R, "id"), "rId7");
    EXPECT_EQ(r.x.w("id"), "");
}

TEST(XmlReader, AlternateContentTakesTheFirstChoiceItUnderstandsElseTheFallback)
{
    const auto chosen = [](const std::string& choices) {
        Reading r(root("<mc:AlternateContent xmlns:u=\"urn:unknown\">" + choices + "</mc:AlternateContent>"));
        EXPECT_TRUE(r.x.child(1));
        std::string out;
        r.x.chooseBranch([&] { out = outline(r.x); });
        return out;
    };
    EXPECT_EQ(chosen("<mc:Choice Requires=\"u\"><w:t>a</w:t></mc:Choice><mc:Choice Requires=\"wps v\"><w:t>b</w:t>"
                     "</mc:Choice><mc:Fallback><w:t>c</w:t></mc:Fallback>"),
              "t[15](b|)");
    EXPECT_EQ(chosen("<mc:Choice Requires=\"u wps\"><w:t>a</w:t></mc:Choice><mc:Fallback><w:t>c</w:t></mc:Fallback>"),
              "t[15](c|)");
    EXPECT_EQ(chosen("<mc:Choice><w:t>a</w:t></mc:Choice><mc:Fallback><w:t>c</w:t></mc:Fallback>"), "t[15](a|)");
}

TEST(XmlReader, UnreadChildrenAreSkippedAndLongNamesStillClassified)
{
    const std::string longName = "w:" + std::string(40, 'x');
    Reading r(root("<w:p><w:r><w:t>skipped</w:t></w:r><" + longName + "><w:p/></" + longName + "><w:tbl/></w:p>"));
    ASSERT_TRUE(r.x.child(1));
    EXPECT_EQ(r.x.tok(), Tok::P);
    const int p = r.x.depth();
    std::string seen;
    while (r.x.child(p))
        seen.append(r.x.localName()).append(" ");
    EXPECT_EQ(seen, "r " + std::string(40, 'x') + " tbl ");
    EXPECT_FALSE(r.x.child(1));
}

TEST(XmlReader, PartsInOtherEncodingsAreReadAsUtf8)
{
    // 日本語の文書 in Shift_JIS.
    const std::string sjis = "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x95\xB6\x8F\x91";
    Reading r("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>" + root("<w:t>" + sjis + "</w:t>"));
    EXPECT_EQ(outline(r.x), "t[15](日本語の文書|)");

    const core::Error e = failure("<?xml version=\"1.0\" encoding=\"x-no-such-encoding\"?>" + root(""));
    EXPECT_TRUE(e.description().contains(u"x-no-such-encoding")) << e.what();
}

// Each fault gives the corrupt-file error naming the file, the part and where the fault is.
TEST(XmlReader, MalformedPartsAreRefusedWithThePartAndTheOffset)
{
    const struct {
        std::string xml;
        qsizetype offset;
    } cases[] = {
        {"<a><b></a>", 6},
        {"<a x=\"1<2\"/>", 7},
        {"<a x=1/>", 3},
        {"<a x></a>", 3},
        {"<a><!-- never closed </a>", 3},
        {"<a><![CDATA[ never closed </a>", 3},
        {"<a><!BOGUS></a>", 3},
        {"<a><b>", 6},
        {"</a>", 0},
        {"", 0},
        {"<a / >", 3},
        {"<a>text</a></b>", 11},
    };
    for (const auto& c : cases) {
        const core::Error e = failure(c.xml);
        EXPECT_EQ(e.number(), docx::kErrFileCorrupt) << c.xml;
        EXPECT_TRUE(e.description().contains(QStringLiteral("テスト.docx"))) << c.xml;
        const QRegularExpressionMatch m = QRegularExpression("word/document\\.xml, (\\d+) バイト目").match(e.description());
        ASSERT_TRUE(m.hasMatch()) << c.xml << ": " << e.what();
        EXPECT_EQ(m.captured(1).toLongLong(), c.offset) << c.xml << ": " << e.what();
    }
}

TEST(XmlReader, NestingBeyondTheReadersBoundIsRefused)
{
    std::string open, close;
    for (std::size_t i = 0; i <= docx::XmlTokenizer::kMaxDepth; ++i) {
        open += "<a>";
        close += "</a>";
    }
    const core::Error e = failure(open + close);
    EXPECT_EQ(e.number(), docx::kErrFileCorrupt);
    EXPECT_TRUE(e.description().contains(u"入れ子")) << e.what();
}

} // namespace
