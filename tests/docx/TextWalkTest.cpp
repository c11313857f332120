#include "tests/docx/Fixture.h"

#include <gtest/gtest.h>

namespace {

struct WalkCase {
    const char* name;
    const char* body;
    const char16_t* expected;   // visible() form of the main story
};

const WalkCase kCases[] = {
    {"ParagraphsAndWhitespaceRuns",
     "<w:p><w:r><w:t xml:space=\"preserve\">a </w:t></w:r><w:r><w:t xml:space=\"preserve\"> </w:t></w:r></w:p><w:p/>",
     u"a  ¶¶"},
    {"TabsAndBreaks",
     "<w:p><w:r><w:t>a</w:t><w:tab/><w:br/><w:br w:type=\"page\"/><w:br w:type=\"column\"/>"
     "<w:cr/><w:ptab w:relativeTo=\"margin\" w:alignment=\"right\" w:leader=\"none\"/><w:t>b</w:t></w:r></w:p>",
     u"a→↵§⇣↵→b¶"},
    {"HyphensAndNonBreakingSpace",
     "<w:p><w:r><w:t>x\u00A0y</w:t><w:noBreakHyphen/><w:softHyphen/></w:r></w:p>", u"x\u00A0y‑¬¶"},
    {"SymbolIsPrivateUseCharacter",
     "<w:p><w:r><w:sym w:font=\"Wingdings\" w:char=\"F04A\"/><w:sym w:font=\"Symbol\" w:char=\"41\"/></w:r></w:p>",
     u"\uF04A\uF041¶"},
    {"SectionBreakParagraph",
     "<w:p><w:pPr><w:sectPr/></w:pPr><w:r><w:t>one</w:t></w:r></w:p>" "<w:p><w:r><w:t>two</w:t></w:r></w:p><w:sectPr/>",
     u"one§two¶"},
    {"TableCellAndRowMarks",
     "<w:tbl><w:tr><w:tc><w:p><w:r><w:t>a</w:t></w:r></w:p></w:tc><w:tc><w:p><w:r><w:t>b</w:t></w:r></w:p>"
     "<w:p><w:r><w:t>c</w:t></w:r></w:p></w:tc></w:tr></w:tbl><w:p/>",
     u"a¤b¶c¤¤¶"},
    {"NestedTable",
     "<w:tbl><w:tr><w:tc><w:tbl><w:tr><w:tc><w:p><w:r><w:t>in</w:t></w:r></w:p></w:tc></w:tr></w:tbl>"
     "<w:p/></w:tc></w:tr></w:tbl><w:p/>",
     u"in¤¤¤¤¶"},
    {"ComplexFieldNested",
     "<w:p><w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText xml:space=\"preserve\"> IF </w:instrText></w:r>"
     "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText>PAGE</w:instrText></w:r>"
     "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r><w:r><w:t>1</w:t></w:r><w:r><w:fldChar w:fldCharType=\"end\"/></w:r>"
     "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r><w:r><w:t>r</w:t></w:r><w:r><w:fldChar w:fldCharType=\"end\"/></w:r></w:p>",
     u"{ IF {PAGE|1}|r}¶"},
    {"SimpleFieldIsComplex",
     "<w:p><w:fldSimple w:instr=\" NUMPAGES \"><w:r><w:t>3</w:t></w:r></w:fldSimple></w:p>", u"{ NUMPAGES |3}¶"},
    {"HyperlinkWithTargetAndAnchor",
     "<w:p><w:hyperlink r:id=\"rIdLink\" w:anchor=\"top\"><w:r><w:t>go</w:t></w:r></w:hyperlink>"
     "<w:hyperlink w:anchor=\"b1\"><w:r><w:t>in</w:t></w:r></w:hyperlink></w:p>",
     u"{ HYPERLINK \"http://example.com/\" \\l \"top\" |go}{ HYPERLINK \\l \"b1\" |in}¶"},
    {"TrackedChangesStayInStream",
     "<w:p><w:ins><w:r><w:t>new</w:t></w:r></w:ins><w:del><w:r><w:delText>old</w:delText></w:r></w:del>"
     "<w:moveFrom><w:r><w:t>mv</w:t></w:r></w:moveFrom><w:moveTo><w:r><w:t>MV</w:t></w:r></w:moveTo></w:p>",
     u"newoldmvMV¶"},
    {"TransparentContainers",
     "<w:sdt><w:sdtContent><w:p><w:customXml><w:smartTag><w:r><w:t>s</w:t></w:r></w:smartTag></w:customXml>"
     "<w:sdt><w:sdtPr/><w:sdtContent><w:r><w:t>t</w:t></w:r></w:sdtContent></w:sdt><w:bookmarkStart w:id=\"0\" w:name=\"b\"/>"
     "<w:proofErr w:type=\"spellStart\"/></w:p></w:sdtContent></w:sdt>",
     u"st¶"},
    {"PicturesAndAnchors",
     "<w:p><w:r><w:drawing><wp:inline/></w:drawing><w:drawing><wp:anchor/></w:drawing>"
     "<w:pict><v:shape style=\"position:absolute\"/></w:pict><w:pict><v:shape style=\"width:1pt\"/></w:pict></w:r></w:p>",
     u"▣⚓⚓▣¶"},
    {"AlternateContentOneBranch",
     "<w:p><w:r><mc:AlternateContent><mc:Choice Requires=\"wps\"><w:t>choice</w:t></mc:Choice>"
     "<mc:Fallback><w:t>fallback</w:t></mc:Fallback></mc:AlternateContent>"
     "<mc:AlternateContent xmlns:zz=\"urn:unknown\"><mc:Choice Requires=\"zz\"><w:t>no</w:t></mc:Choice>"
     "<mc:Fallback><w:t>fb</w:t></mc:Fallback></mc:AlternateContent></w:r></w:p>",
     u"choicefb¶"},
    {"MathTextWithInnerNamespace",
     "<w:p><m:oMath xmlns:m=\"http://schemas.openxmlformats.org/officeDocument/2006/math\">"
     "<m:f><m:num><m:r><m:t>x</m:t></m:r></m:num><m:den><m:r><m:t>2</m:t></m:r></m:den></m:f></m:oMath></w:p>",
     u"x2¶"},
    {"RubyIsEqField",
     "<w:p><w:r><w:ruby><w:rubyPr/><w:rt><w:r><w:t>かん</w:t></w:r></w:rt><w:rubyBase><w:r><w:t>漢</w:t></w:r></w:rubyBase></w:ruby></w:r></w:p>",
     u"{ EQ かん|漢}¶"},
    {"SupplementaryCharacterTakesTwoPositions", "<w:p><w:r><w:t>𠮷</w:t></w:r></w:p>", u"𠮷¶"},
};

class TextWalk : public testing::TestWithParam<WalkCase> {};

TEST_P(TextWalk, MainStoryPositions)
{
    const WalkCase& c = GetParam();
    const docx::Document d = loadBuilt(DocxBuilder().body(QString::fromUtf8(c.body))
                                           .externalRelationship("rIdLink", "hyperlink", "http://example.com/"));
    ASSERT_FALSE(d.stories.empty());
    EXPECT_EQ(visible(d.stories[0].text), QString::fromUtf16(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Docx, TextWalk, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

docx::CpClass classAt(const docx::Story& s, int32_t p) { return s.runAt(p).format.cls; }

TEST(TextWalkClasses, FieldCodesDeletionsAndHiddenText)
{
    const docx::Document d = loadBuilt(DocxBuilder().body(
        "<w:p><w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText>PAGE</w:instrText></w:r>"
        "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r><w:r><w:t>1</w:t></w:r><w:r><w:fldChar w:fldCharType=\"end\"/></w:r>"
        "<w:del><w:r><w:delText>D</w:delText></w:r></w:del><w:r><w:rPr><w:vanish/></w:rPr><w:t>H</w:t></w:r>"
        "<w:r><w:t>S</w:t></w:r><w:r><w:sym w:char=\"F020\"/></w:r></w:p>"));
    const docx::Story& s = d.stories[0];
    ASSERT_EQ(visible(s.text), QStringLiteral("{PAGE|1}DHS\uF020¶"));
    using C = docx::CpClass;
    const C expected[] = {C::Field, C::Field, C::Field, C::Field, C::Field, C::Field, C::Shown, C::Field,
                          C::Deleted, C::Hidden, C::Shown, C::Shown, C::Shown};
    for (int32_t p = 0; p < s.length(); ++p)
        EXPECT_EQ(classAt(s, p), expected[p]) << "position " << p;
    EXPECT_EQ(s.symbols, std::vector<int32_t>{11});
}

TEST(TextWalkClasses, DeletedParagraphMarkIsStillAMark)
{
    const docx::Document d = loadBuilt(DocxBuilder().body(
        "<w:p><w:pPr><w:rPr><w:del w:id=\"1\" w:author=\"a\"/></w:rPr></w:pPr><w:r><w:t>a</w:t></w:r></w:p><w:p/>"));
    const docx::Story& s = d.stories[0];
    ASSERT_EQ(visible(s.text), QStringLiteral("a¶¶"));
    EXPECT_EQ(classAt(s, 1), docx::CpClass::Deleted);
    EXPECT_EQ(classAt(s, 2), docx::CpClass::Shown);
}

} // namespace

// Row ends are the cell marks that close a row; an empty cell's mark is not one, and a table in a
// note keeps its row ends where the note lands in the notes story.
TEST(TextWalkTables, RowEndsMarkOnlyTheMarksThatCloseARow)
{
    const QString emptyCellRows =
        "<w:tbl><w:tr><w:tc><w:p/></w:tc><w:tc><w:p><w:r><w:t>b</w:t></w:r></w:p></w:tc></w:tr>"
        "<w:tr><w:tc><w:p><w:r><w:t>c</w:t></w:r></w:p></w:tc><w:tc><w:p/></w:tc></w:tr></w:tbl><w:p/>";
    DocxBuilder b;
    b.body("<w:p><w:r><w:footnoteReference w:id=\"1\"/></w:r></w:p>" + emptyCellRows)
        .part("word/footnotes.xml", QString("<w:footnotes %1><w:footnote w:id=\"1\"><w:p><w:r><w:footnoteRef/></w:r></w:p>%2"
                                            "</w:footnote></w:footnotes>").arg(DocxBuilder::kNamespaces, emptyCellRows));
    const docx::Document d = loadBuilt(b);
    const docx::Story& main = d.stories.at(0);
    EXPECT_EQ(visible(main.text), QStringLiteral("²¶¤b¤¤c¤¤¤¶"));
    EXPECT_EQ(main.rowEnds, (std::vector<int32_t>{5, 9}));
    const docx::Story& notes = d.stories.at(1);
    ASSERT_EQ(notes.type, docx::wdFootnotesStory);
    EXPECT_EQ(visible(notes.text), QStringLiteral("²¶¤b¤¤c¤¤¤¶"));
    EXPECT_EQ(notes.rowEnds, (std::vector<int32_t>{5, 9}));
}

// A main document with more than one w:body (not valid, but written by some producers): every
// body is read, in order, so no text goes unsearched.
TEST(TextWalkBodies, EveryBodyIsReadInOrder)
{
    const docx::Document d = loadBuilt(DocxBuilder().part(
        "word/document.xml", QString("<w:document %1><w:body>%2</w:body><w:body>%3<w:sectPr/></w:body></w:document>")
                                 .arg(DocxBuilder::kNamespaces, paraXml("one"), paraXml("two"))));
    EXPECT_EQ(visible(d.stories.at(0).text), QStringLiteral("one¶two¶"));
}
