#include "platform/core/Error.h"
#include "platform/word/Application.h"
#include "platform/word/Document.h"
#include "platform/word/Find.h"
#include "platform/word/Font.h"
#include "platform/word/Range.h"
#include "src/results/mdlQLFCode2String.h"
#include "src/search/clsQLFFindCondition.h"
#include "tests/support/DocxBuilder.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct FindState {
    QString text;
    bool options[7];
    int highlight, color, strike, doubleStrike;
    bool format, forward;
    int wrap;
    bool operator==(const FindState& o) const
    {
        return text == o.text && std::equal(options, options + 7, o.options) && highlight == o.highlight
            && color == o.color && strike == o.strike && doubleStrike == o.doubleStrike && format == o.format
            && forward == o.forward && wrap == o.wrap;
    }
};

FindState stateOf(const word::FindPtr& f)
{
    return {f->Text(),
            {f->MatchCase(), f->MatchWholeWord(), f->MatchWildcards(), f->MatchSoundsLike(),
             f->MatchAllWordForms(), f->MatchByte(), f->MatchFuzzy()},
            f->Highlight(), f->Font()->Color(), f->Font()->StrikeThrough(), f->Font()->DoubleStrikeThrough(),
            f->Format(), f->Forward(), f->Wrap()};
}

class Condition : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString path = dir.filePath("c.docx");
        DocxBuilder().body("<w:p><w:r><w:t>text</w:t></w:r></w:p>").save(path);
        doc = app->Documents()->Open(path);
    }
    word::FindPtr freshFind() { return doc->StoryRanges()->Item(1)->Find(); }

    QTemporaryDir dir;
    word::ApplicationPtr app = word::Application::create();
    word::DocumentPtr doc;
};

} // namespace

TEST_F(Condition, WithoutAFontFormatIsUntouchedAndFormattingIsCleared)
{
    clsQLFFindCondition c;
    c.setText(" 検索 ");
    c.setMatchWildcards(true);
    c.setMatchFuzzy(true);  // contradictory options are written unchanged
    c.setHighlight(9999999);
    word::FindPtr f = freshFind();
    f->Font()->setColor(255);
    f->setFormat(true);
    c.setFindObject(f);
    const FindState s = stateOf(f);
    EXPECT_EQ(s.text, " 検索 ");
    EXPECT_TRUE(s.options[2] && s.options[6]);
    EXPECT_FALSE(s.options[0] || s.options[1] || s.options[3] || s.options[4] || s.options[5]);
    EXPECT_EQ(s.highlight, 9999999);
    EXPECT_EQ(s.color, 9999999);   // cleared by ClearFormatting
    EXPECT_FALSE(s.format);        // cleared, and not written without a font
    EXPECT_TRUE(s.forward);
    EXPECT_EQ(s.wrap, word::wdFindContinue);
}

TEST_F(Condition, AFontCopiesExactlyItsThreeValuesAndSetsFormat)
{
    clsQLFFindCondition c;
    c.setHighlight(-1);
    word::FontPtr font = word::Font::create();
    font->setColor(255);
    font->setDoubleStrikeThrough(-1);  // strike-through stays "not set"
    c.setObjFont(font);
    word::FindPtr a = freshFind();
    word::FindPtr b = freshFind();
    b->setMatchCase(true);
    b->setText("old");
    c.setFindObject(a);
    c.setFindObject(b);
    c.setFindObject(b);
    EXPECT_EQ(stateOf(a), stateOf(b));  // same settings whatever was there, once or twice
    EXPECT_EQ(a->Font()->Color(), 255);
    EXPECT_EQ(a->Font()->StrikeThrough(), 9999999);
    EXPECT_EQ(a->Font()->DoubleStrikeThrough(), -1);
    EXPECT_TRUE(a->Format());
    EXPECT_EQ(a->Highlight(), -1);
}

TEST(StoryTypeNames, CoverEveryTypeAndRefuseOthersWithError9)
{
    EXPECT_EQ(mdlQLFCode2String::storyType2String(0), "");
    EXPECT_EQ(mdlQLFCode2String::storyType2String(1), "メイン文書");
    EXPECT_EQ(mdlQLFCode2String::storyType2String(5), "メイン文書のテキストボックス");
    for (int t = 6; t <= 11; ++t)
        EXPECT_EQ(mdlQLFCode2String::storyType2String(t), "ヘッダーとフッター");
    EXPECT_EQ(mdlQLFCode2String::storyType2String(14), "脚注");
    EXPECT_EQ(mdlQLFCode2String::storyType2String(17), "文末脚注");
    for (int bad : {-1, 18}) {
        try {
            mdlQLFCode2String::storyType2String(bad);
            ADD_FAILURE() << bad;
        } catch (const core::Error& e) {
            EXPECT_EQ(e.number(), 9);
        }
    }
}
