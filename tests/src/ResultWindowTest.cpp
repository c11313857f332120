#include "tests/src/AddinSupport.h"

#include "platform/forms/Twips.h"
#include "platform/word/Range.h"
#include "tests/src/LogCapture.h"

#include <QCloseEvent>
#include <QCoreApplication>

#include <gtest/gtest.h>

#include <functional>

using mdlQLFGlobal::g_frmResult;

namespace {

class ResultWindow : public ::testing::Test {
protected:
    ConnectedGlobals globals;
    word::DocumentPtr doc = globals.open(everyStoryDocument());
    forms::FlexGrid& grid = *g_frmResult->grdResult();

    // A range over [start, end) of the index-th story of the type.
    word::RangePtr hit(int storyType, int index, int32_t start, int32_t end)
    {
        word::RangePtr r = doc->StoryRanges()->Item(storyType);
        while (index-- > 0)
            r = r->NextStoryRange();
        r->setEnd(end);
        r->setStart(start);
        return r;
    }
};

} // namespace

TEST(ResultWindowLoad, CaptionHeaderWidthsAndItsLogLines)
{
    LogCapture log;
    frmQLFResult form;
    form.Load();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("検索結果"));
    const forms::FlexGrid& grid = *form.grdResult();
    ASSERT_EQ(grid.Rows(), 1);
    ASSERT_EQ(grid.Cols(), frmQLFResult::colCount);
    const QStringList headers{"項番", "テキスト", "タイプ", "開始位置", "終了位置", "タイプコード"};
    const int widths[] = {600, 4000, 800, 1000, 1000, 0, 0};
    for (int c = 0; c < grid.Cols(); ++c) {
        if (c < headers.size()) {
            EXPECT_EQ(grid.TextMatrix(0, c), headers[c]) << c;
        }
        EXPECT_NEAR(grid.ColWidth(c), widths[c], forms::twipsPerPixelX()) << c;
    }
    EXPECT_TRUE(grid.isColumnHidden(frmQLFResult::colTypeCode - 1));
    EXPECT_TRUE(grid.isColumnHidden(frmQLFResult::colChainIndex - 1));
    EXPECT_EQ(grid.ColAlignment(frmQLFResult::colText), forms::flexAlignLeftCenter);
    EXPECT_EQ(grid.ColAlignment(frmQLFResult::colStart), forms::flexAlignGeneral);
    EXPECT_EQ(form.cmdPrevious()->toolTip(), QStringLiteral("前を表示"));
    EXPECT_EQ(form.cmdNext()->toolTip(), QStringLiteral("次を表示"));
    EXPECT_EQ(form.cmdNext()->icon().availableSizes().value(0), QSize(26, 24));
    EXPECT_EQ(log.lines(), (QStringList{"3 frmQLFResult.Form_Load IN", "3 frmQLFResult.Form_Load OUT"}));
}

TEST_F(ResultWindow, RowsAreNumberedFromOneAfterEveryClearAndTheRangeIsNotMoved)
{
    const word::RangePtr r = hit(1, 0, 8, 10);
    g_frmResult->appendResult(*r, 0);
    g_frmResult->appendResult(*hit(4, 0, 1, 3), 0);
    EXPECT_EQ(r->Start(), 8);
    EXPECT_EQ(r->End(), 10);
    ASSERT_EQ(grid.Rows(), 3);
    const QStringList row2{"2", "K5", "コメント", "1", "3", "4", "0"};
    for (int c = 0; c < frmQLFResult::colCount; ++c)
        EXPECT_EQ(grid.TextMatrix(2, c), row2[c]) << c;
    g_frmResult->clear();
    EXPECT_EQ(grid.Rows(), 1);
    EXPECT_EQ(grid.TextMatrix(0, frmQLFResult::colText), QStringLiteral("テキスト"));
    g_frmResult->appendResult(*hit(1, 0, 0, 2), 0);
    EXPECT_EQ(grid.TextMatrix(1, frmQLFResult::colNumber), "1");
}

// The text comes from the story of the chain the hit lies in, with Word's control characters.
TEST_F(ResultWindow, TextIsCutFromTheStoryOfTheChainTheHitLiesIn)
{
    struct Case { int type, index; int32_t start, end; QString text, chain; };
    for (const Case& c : {Case{7, 1, 0, 7, "head K9", "1"}, Case{7, 0, 0, 7, "K8 head", "0"},
                          Case{5, 1, 0, 7, "box K7\r", "1"}, Case{2, 0, 0, 4, QString(QChar(2)) + " K3", "0"}}) {
        g_frmResult->appendResult(*hit(c.type, c.index, c.start, c.end), c.index);
        const int row = grid.Rows() - 1;
        EXPECT_EQ(grid.TextMatrix(row, frmQLFResult::colText), c.text) << row;
        EXPECT_EQ(grid.TextMatrix(row, frmQLFResult::colChainIndex), c.chain) << row;
        EXPECT_EQ(grid.TextMatrix(row, frmQLFResult::colTypeCode), QString::number(c.type)) << row;
    }
}

// Hits one after another in one story share the story's range, which must still give each hit
// its own text, also after an edit that grew the story and for the same story of another document.
TEST_F(ResultWindow, EachHitGetsItsOwnTextWhenHitsFollowInOneStory)
{
    const word::DocumentPtr other = globals.open(everyStoryDocument(), QStringLiteral("other.docx"));
    const auto mainHit = [](const word::DocumentPtr& d, int32_t start, int32_t end) {
        word::RangePtr r = d->StoryRanges()->Item(1);
        r->setEnd(end);
        r->setStart(start);
        return r;
    };
    struct Step { std::function<word::RangePtr()> hit; QString text; };
    const Step steps[] = {
        {[&] { return mainHit(doc, 8, 10); }, "K2"},
        {[&] { return mainHit(doc, 0, 2); }, "K1"},
        {[&] { return mainHit(doc, 3, 7); }, "main"},
        {[&] {
             // The story grows at its end: a hit past its old length is cut whole.
             const int32_t end = doc->StoryRanges()->Item(1)->End();
             doc->replaceText(0, end - 1, end - 1, QStringLiteral("K11"));
             return mainHit(doc, end - 1, end + 2);
         }, "K11"},
        {[&] {
             other->replaceText(0, 0, 2, QStringLiteral("X1"));
             return mainHit(other, 0, 2);
         }, "X1"},
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        g_frmResult->appendResult(*steps[i].hit(), 0);
        EXPECT_EQ(grid.TextMatrix(grid.Rows() - 1, frmQLFResult::colText), steps[i].text) << "step " << i;
    }
}

TEST_F(ResultWindow, NeverSmallerThanTheMinimumAndTheGridFollows)
{
    g_frmResult->Show();
    g_frmResult->setOuterSizeTwips(QSize(1000, 1000));
    QCoreApplication::processEvents();
    const QSize outer = g_frmResult->outerSizeTwips();
    EXPECT_NEAR(outer.width(), 3000, 2 * forms::twipsPerPixelX());
    EXPECT_NEAR(outer.height(), 1920, 2 * forms::twipsPerPixelY());

    g_frmResult->setOuterSizeTwips(QSize(9000, 6000));
    QCoreApplication::processEvents();
    const QSize client = g_frmResult->clientSizeTwips();
    const QRect g = grid.geometry();
    EXPECT_NEAR(forms::pixelsToTwipsX(g.x()), 600, forms::twipsPerPixelX());
    EXPECT_NEAR(client.width() - forms::pixelsToTwipsX(g.x() + g.width()), 120, 2 * forms::twipsPerPixelX());
    EXPECT_NEAR(client.height() - forms::pixelsToTwipsY(g.y() + g.height()), 120, 2 * forms::twipsPerPixelY());
    EXPECT_NEAR(forms::pixelsToTwipsX(g_frmResult->cmdNext()->y()), 600, forms::twipsPerPixelY());
}

TEST_F(ResultWindow, TheCloseBoxHidesAndKeepsTheRows)
{
    g_frmResult->appendResult(*hit(1, 0, 0, 2), 0);
    g_frmResult->Show();
    g_frmResult->close();
    EXPECT_FALSE(g_frmResult->isVisible());
    EXPECT_TRUE(g_frmResult->isLoaded());
    EXPECT_EQ(grid.Rows(), 2);
    g_frmResult->Show();
    EXPECT_EQ(grid.TextMatrix(1, frmQLFResult::colText), "K1");
}
