// Stepping through the hits and jumping to them: the range is rebuilt from the row, in the story
// of its chain that the row records, shown in the right view and selected.
#include "AddinSupport.h"
#include "platform/forms/FlexGrid.h"
#include "platform/forms/MsgBox.h"
#include "platform/word/Range.h"
#include "platform/word/Window.h"
#include "src/search/clsQLFFind.h"
#include "src/search/clsQLFFindCondition.h"

#include <QTest>

#include <gtest/gtest.h>

using mdlQLFGlobal::g_frmResult;

namespace {

class Navigation : public ::testing::Test {
protected:
    void SetUp() override
    {
        doc = globals.open(everyStoryDocument());
        clsQLFFindCondition condition;
        condition.setObjDoc(doc);
        condition.setText(QStringLiteral("K[0-9]"));
        condition.setMatchWildcards(true);
        condition.setHighlight(9999999);
        clsQLFFind().find(condition);
        ASSERT_EQ(grid()->Rows(), 11);  // K1 K2 | K3 | K4 | K5 | K6 K7 | K8 K9 | K0
    }

    forms::FlexGrid* grid() { return g_frmResult->grdResult(); }
    void doubleClick(int row)
    {
        grid()->setRow(row);
        emit grid()->DblClick();
    }
    // What the document's window has selected, as text, and the selected story's type and place
    // in its chain.
    struct Selected {
        QString text;
        int storyType;
        int chainIndex;
    };
    Selected selected()
    {
        const word::WindowPtr w = doc->ActiveWindow();
        const word::Range r(doc, w->selectionStory(), w->selectionStart(), w->selectionEnd());
        return {r.Text(), r.StoryType(), r.chainIndex()};
    }
    word::ViewPtr view() { return doc->ActiveWindow()->View(); }

    ConnectedGlobals globals;
    forms::MessageRecorder messages;
    word::DocumentPtr doc;
};

} // namespace

TEST_F(Navigation, DoubleClickSelectsEachHitInItsOwnStoryAndView)
{
    struct Case {
        int row;
        const char* text;
        int storyType, chainIndex, seekView, splitSpecial;
    };
    const Case cases[] = {
        {2, "K2", 1, 0, word::wdSeekMainDocument, word::wdPaneNone},
        {3, "K3", 2, 0, word::wdSeekMainDocument, word::wdPaneNone},
        {5, "K5", 4, 0, word::wdSeekMainDocument, word::wdPaneComments},  // the comment pane opens
        {7, "K7", 5, 1, word::wdSeekMainDocument, word::wdPaneComments},  // the second text box
        {9, "K9", 7, 1, word::wdSeekPrimaryHeader, word::wdPaneComments}, // the second section's header
        {10, "K0", 9, 0, word::wdSeekPrimaryFooter, word::wdPaneComments},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        doubleClick(c.row);
        const Selected s = selected();
        EXPECT_EQ(s.text, QString::fromLatin1(c.text));
        EXPECT_EQ(s.storyType, c.storyType);
        EXPECT_EQ(s.chainIndex, c.chainIndex);
        EXPECT_EQ(view()->Type(), word::wdPrintView);
        EXPECT_EQ(view()->SeekView(), c.seekView);
        EXPECT_EQ(view()->SplitSpecial(), c.splitSpecial);
    }
    EXPECT_TRUE(messages.messages().isEmpty());
    EXPECT_EQ(mdlQLFGlobal::g_objApplication->ActiveDocument(), doc);
}

TEST_F(Navigation, EnterJumpsAsADoubleClickDoesTabLeavesTheGridAndEscHidesTheWindow)
{
    g_frmResult->Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(g_frmResult.get()));
    grid()->setRow(3);
    grid()->setFocus();
    QTest::keyClick(grid(), Qt::Key_Return);
    EXPECT_EQ(selected().text, QStringLiteral("K3"));
    QTest::keyClick(grid(), Qt::Key_Tab);
    EXPECT_EQ(g_frmResult->focusWidget(), g_frmResult->cmdPrevious());
    QTest::keyClick(grid(), Qt::Key_Escape);
    EXPECT_FALSE(g_frmResult->isVisible());
    EXPECT_TRUE(g_frmResult->isLoaded());
    EXPECT_EQ(grid()->Rows(), 11);
    EXPECT_TRUE(messages.messages().isEmpty());
}

TEST_F(Navigation, NextAndPreviousStepWithoutWrappingAndScrollTheRowSecond)
{
    grid()->setRow(3);
    g_frmResult->cmdNext()->click();
    EXPECT_EQ(grid()->Row(), 4);
    EXPECT_EQ(grid()->Col(), 0);
    EXPECT_EQ(grid()->ColSel(), grid()->Cols() - 1);
    EXPECT_EQ(selected().text, QStringLiteral("K4"));

    grid()->setRow(2);
    g_frmResult->cmdPrevious()->click();
    EXPECT_EQ(grid()->Row(), 1);
    EXPECT_EQ(grid()->TopRow(), 1);
    EXPECT_EQ(selected().text, QStringLiteral("K1"));

    g_frmResult->cmdPrevious()->click();  // row 1: nothing moves
    EXPECT_EQ(grid()->Row(), 1);
    grid()->setRow(10);
    g_frmResult->cmdNext()->click();      // the last row: no wrap-around
    EXPECT_EQ(grid()->Row(), 10);

    g_frmResult->clear();                 // an empty list: nothing happens and nothing is said
    g_frmResult->cmdNext()->click();
    g_frmResult->cmdPrevious()->click();
    emit grid()->DblClick();
    EXPECT_EQ(grid()->Row(), 0);
    EXPECT_TRUE(messages.messages().isEmpty());
}

TEST_F(Navigation, AClosedOrReopenedDocumentIsReportedAfterTheRowMoved)
{
    const QString path = doc->FullName();
    doc->Close();
    grid()->setRow(2);
    g_frmResult->cmdNext()->click();
    EXPECT_EQ(grid()->Row(), 3);
    ASSERT_EQ(messages.messages().size(), 1);
    EXPECT_EQ(messages.messages()[0].prompt,
              QStringLiteral("ドキュメントが閉じられているため、検索結果場所へジャンプできません"));
    EXPECT_EQ(messages.messages()[0].style, 4160);
    EXPECT_EQ(messages.messages()[0].title, QStringLiteral("情報"));

    // The same file opened again is another document.
    mdlQLFGlobal::g_objApplication->Documents()->Open(path);
    doubleClick(1);
    EXPECT_EQ(messages.messages().size(), 2);
}

TEST_F(Navigation, TextDeletedAfterTheSearchGivesTheJumpFailure)
{
    word::RangePtr note = doc->StoryRanges()->Item(2);
    note->setEnd(note->End() - 1);
    note->setStart(1);
    note->Delete();  // the note's text goes: K3 (positions 2 to 4) now lies beyond the story's end
    ASSERT_EQ(doc->StoryRanges()->Item(2)->End(), 2);
    doubleClick(3);
    ASSERT_EQ(messages.messages().size(), 1);
    EXPECT_EQ(messages.messages()[0].prompt,
              QStringLiteral("ジャンプできませんでした。\r\nもし、検索後にドキュメントを検索した場合は再度検索を実施してみてください。"
                             "\r\n\r\nエラー詳細:値が有効範囲にありません。"));
    EXPECT_EQ(messages.messages()[0].style, 4144);
    EXPECT_EQ(messages.messages()[0].title, QStringLiteral("警告"));

    // A row whose number cell is not a number fails the same way.
    grid()->setTextMatrix(1, frmQLFResult::colStart, QStringLiteral("x"));
    doubleClick(1);
    ASSERT_EQ(messages.messages().size(), 2);
    EXPECT_TRUE(messages.messages()[1].prompt.endsWith(QStringLiteral("型が一致しません。")));
}
