#include "tests/docx/Fixture.h"

#include <gtest/gtest.h>

namespace {

// Styles shared by the cases: each level sets strike, so the toggle rule decides.
const char* const kStyles =
    "<w:styles %1>"
    "<w:docDefaults><w:rPrDefault><w:rPr><w:color w:val=\"112233\"/></w:rPr></w:rPrDefault></w:docDefaults>"
    "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:rPr><w:highlight w:val=\"yellow\"/></w:rPr></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"Base\"><w:rPr><w:strike/><w:color w:val=\"FF0000\"/></w:rPr></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"Derived\"><w:basedOn w:val=\"Base\"/></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"LoopA\"><w:basedOn w:val=\"LoopB\"/><w:rPr><w:dstrike/></w:rPr></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"LoopB\"><w:basedOn w:val=\"LoopA\"/></w:style>"
    "<w:style w:type=\"character\" w:styleId=\"Strike\"><w:rPr><w:strike/></w:rPr></w:style>"
    "<w:style w:type=\"character\" w:styleId=\"Themed\"><w:rPr><w:color w:themeColor=\"accent1\"/></w:rPr></w:style>"
    "<w:style w:type=\"table\" w:default=\"1\" w:styleId=\"Grid\"><w:rPr><w:strike/><w:color w:val=\"00FF00\"/></w:rPr></w:style>"
    "<w:style w:type=\"table\" w:styleId=\"Plain\"/>"
    "</w:styles>";

const char* const kTheme =
    "<a:theme xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\"><a:themeElements>"
    "<a:clrScheme name=\"x\"><a:dk1><a:sysClr val=\"windowText\" lastClr=\"000000\"/></a:dk1>"
    "<a:accent1><a:srgbClr val=\"4472C4\"/></a:accent1></a:clrScheme></a:themeElements></a:theme>";

struct FormatCase {
    const char* name;
    const char* body;            // one paragraph; the case checks its first character
    int32_t color;
    bool highlight, strike, doubleStrike;
};

const FormatCase kCases[] = {
    {"DefaultsAndDefaultParagraphStyle", "<w:p><w:r><w:t>x</w:t></w:r></w:p>", 0x332211, true, false, false},
    {"ParagraphStyleViaBasedOn", "<w:p><w:pPr><w:pStyle w:val=\"Derived\"/></w:pPr><w:r><w:t>x</w:t></w:r></w:p>",
     0x0000FF, false, true, false},
    {"CharacterStyleTogglesParagraphStyleOff",
     "<w:p><w:pPr><w:pStyle w:val=\"Base\"/></w:pPr><w:r><w:rPr><w:rStyle w:val=\"Strike\"/></w:rPr><w:t>x</w:t></w:r></w:p>",
     0x0000FF, false, false, false},
    {"DirectFalseIsAbsolute",
     "<w:p><w:pPr><w:pStyle w:val=\"Base\"/></w:pPr><w:r><w:rPr><w:strike w:val=\"0\"/></w:rPr><w:t>x</w:t></w:r></w:p>",
     0x0000FF, false, false, false},
    {"DirectTrueIsAbsolute",
     "<w:p><w:pPr><w:pStyle w:val=\"Base\"/></w:pPr><w:r><w:rPr><w:rStyle w:val=\"Strike\"/><w:strike w:val=\"true\"/></w:rPr><w:t>x</w:t></w:r></w:p>",
     0x0000FF, false, true, false},
    {"BasedOnCycleStops", "<w:p><w:pPr><w:pStyle w:val=\"LoopA\"/></w:pPr><w:r><w:t>x</w:t></w:r></w:p>",
     0x332211, false, false, true},
    {"DirectColourHighlightAuto",
     "<w:p><w:r><w:rPr><w:color w:val=\"auto\"/><w:highlight w:val=\"none\"/><w:shd w:fill=\"FFFF00\"/></w:rPr><w:t>x</w:t></w:r></w:p>",
     docx::kColorAutomatic, false, false, false},
    {"ThemeColourWithoutValue", "<w:p><w:r><w:rPr><w:rStyle w:val=\"Themed\"/></w:rPr><w:t>x</w:t></w:r></w:p>",
     0xC47244, true, false, false},
    {"ThemeColourShade",
     "<w:p><w:r><w:rPr><w:color w:themeColor=\"accent1\" w:themeShade=\"80\"/></w:rPr><w:t>x</w:t></w:r></w:p>",
     0x623922, true, false, false},
    {"DefaultTableStyle",
     "<w:tbl><w:tr><w:tc><w:p><w:r><w:t>x</w:t></w:r></w:p></w:tc></w:tr></w:tbl><w:p/>", 0x00FF00, true, true, false},
    {"TableAndParagraphStyleToggleTogether",
     "<w:tbl><w:tr><w:tc><w:p><w:pPr><w:pStyle w:val=\"Base\"/></w:pPr><w:r><w:t>x</w:t></w:r></w:p></w:tc></w:tr></w:tbl><w:p/>",
     0x0000FF, false, false, false},
    {"ExplicitTableStyleWithoutProps",
     "<w:tbl><w:tblPr><w:tblStyle w:val=\"Plain\"/></w:tblPr><w:tr><w:tc><w:p><w:r><w:t>x</w:t></w:r></w:p></w:tc></w:tr></w:tbl><w:p/>",
     0x332211, true, false, false},
};

class Formatting : public testing::TestWithParam<FormatCase> {};

TEST_P(Formatting, FirstCharacterResolves)
{
    const FormatCase& c = GetParam();
    const docx::Document d = loadBuilt(DocxBuilder()
                                           .body(QString::fromUtf8(c.body))
                                           .part("word/styles.xml", QString(kStyles).arg(DocxBuilder::kNamespaces))
                                           .part("word/theme/theme1.xml", kTheme)
                                           .relationship("rIdTheme", "theme", "theme/theme1.xml"));
    const docx::CharFormat f = d.stories[0].runAt(0).format;
    EXPECT_EQ(f.color, c.color);
    EXPECT_EQ(f.highlight, c.highlight);
    EXPECT_EQ(f.strike, c.strike);
    EXPECT_EQ(f.doubleStrike, c.doubleStrike);
}

INSTANTIATE_TEST_SUITE_P(Docx, Formatting, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FormatRuns, MergedWhenEqualAndMarkTakesParagraphRunProps)
{
    const docx::Document d = loadBuilt(DocxBuilder().body(
        "<w:p><w:pPr><w:rPr><w:dstrike/></w:rPr></w:pPr><w:r><w:t>ab</w:t></w:r><w:r><w:t>c</w:t></w:r>"
        "<w:r><w:rPr><w:highlight w:val=\"green\"/></w:rPr><w:t>d</w:t></w:r><w:r><w:t>e</w:t></w:r></w:p>"));
    const docx::Story& s = d.stories[0];
    ASSERT_EQ(visible(s.text), QStringLiteral("abcde¶"));
    std::vector<int32_t> starts;
    for (const auto& r : s.runs)
        starts.push_back(r.start);
    EXPECT_EQ(starts, (std::vector<int32_t>{0, 3, 4, 5}));
    EXPECT_TRUE(s.runAt(3).format.highlight);
    EXPECT_TRUE(s.runAt(5).format.doubleStrike);
    EXPECT_FALSE(s.runAt(4).format.doubleStrike);
}

} // namespace
