#include "tests/src/AddinSupport.h"

#include "platform/core/Error.h"
#include "platform/word/Find.h"
#include "platform/word/Range.h"
#include "src/search/clsQLFFind.h"
#include "src/search/clsQLFFindCondition.h"
#include "src/search/mdlQLFSearch.h"
#include "tests/support/DoEventsSlice.h"

#include <QSignalSpy>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

using mdlQLFGlobal::g_frmResult;
using mdlQLFGlobal::g_objApplication;

namespace {

struct Row {
    QString text, type, start, end, typeCode, chainIndex;
    bool operator==(const Row&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Row& r)
{
    return os << '[' << r.text.toStdString() << ' ' << r.type.toStdString() << ' ' << r.start.toStdString() << '-'
              << r.end.toStdString() << " type " << r.typeCode.toStdString() << " chain " << r.chainIndex.toStdString()
              << ']';
}

std::vector<Row> rows()
{
    const forms::FlexGrid& g = *g_frmResult->grdResult();
    std::vector<Row> out;
    for (int r = 1; r < g.Rows(); ++r) {
        EXPECT_EQ(g.TextMatrix(r, frmQLFResult::colNumber), QString::number(r));
        out.push_back({g.TextMatrix(r, frmQLFResult::colText), g.TextMatrix(r, frmQLFResult::colType),
                       g.TextMatrix(r, frmQLFResult::colStart), g.TextMatrix(r, frmQLFResult::colEnd),
                       g.TextMatrix(r, frmQLFResult::colTypeCode), g.TextMatrix(r, frmQLFResult::colChainIndex)});
    }
    return out;
}

const QString kMain = QStringLiteral("メイン文書");
const QString kHeaderFooter = QStringLiteral("ヘッダーとフッター");
const QString kTextBox = QStringLiteral("メイン文書のテキストボックス");

const std::vector<Row> kEveryStoryRows = {
    {"K1", kMain, "0", "2", "1", "0"},
    {"K2", kMain, "8", "10", "1", "0"},
    {"K3", QStringLiteral("脚注"), "2", "4", "2", "0"},
    {"K4", QStringLiteral("文末脚注"), "2", "4", "3", "0"},
    {"K5", QStringLiteral("コメント"), "1", "3", "4", "0"},
    {"K6", kTextBox, "0", "2", "5", "0"},
    {"K7", kTextBox, "4", "6", "5", "1"},
    {"K8", kHeaderFooter, "0", "2", "7", "0"},
    {"K9", kHeaderFooter, "5", "7", "7", "1"},
    {"K0", kHeaderFooter, "0", "2", "9", "0"},
};

clsQLFFindCondition condition(const word::DocumentPtr& doc, const QString& text, bool wildcards)
{
    clsQLFFindCondition c;
    c.setObjDoc(doc);
    c.setText(text);
    c.setMatchWildcards(wildcards);
    c.setHighlight(word::wdUndefined);
    return c;
}

// Runs action once per pass of the message loop while it lives: during a search, once per hit.
class EveryHit {
public:
    explicit EveryHit(std::function<void()> action)
    {
        QObject::connect(&m_timer, &QTimer::timeout, std::move(action));
        m_timer.start(0);
    }

private:
    QTimer m_timer;
};

// Clicks the progress window's cancel button in the occurrence-th message pass that sees
// `rows` grid rows (the header included). Every hit gets a pass before it is appended, and so
// does the repeat of a story's first hit that ends the story.
std::function<void()> cancelAt(int rows, int occurrence)
{
    return [rows, occurrence, seen = 0]() mutable {
        if (g_frmResult->grdResult()->Rows() == rows && ++seen == occurrence)
            if (frmCOMProgress* progress = visibleProgress())
                progress->cmdCancel()->click();
    };
}

// Every hit gets its own message pass, so a test can act at an exact hit.
class Search : public ::testing::Test {
protected:
    DoEventsSliceFor everyHit{std::chrono::microseconds(0)};
    ConnectedGlobals globals;
    word::DocumentPtr doc = globals.open(everyStoryDocument());
};

} // namespace

TEST_F(Search, FindsEveryStoryAndChainWithTextFromTheStoryOfTheHit)
{
    QSignalSpy screen(g_objApplication.get(), &word::Application::screenUpdatingChanged);
    bool sawProgress = false;
    bool screenOffDuringSearch = false;
    {
        EveryHit watch([&] {
            if (frmCOMProgress* p = visibleProgress())
                sawProgress = p->title() == QStringLiteral("検索中...") && p->text() == QStringLiteral("検索しています。")
                              && p->progressText() == QStringLiteral("検索しています。") && p->progressRate() == 0.0;
            screenOffDuringSearch = !g_objApplication->ScreenUpdating();
        });
        clsQLFFind().find(condition(doc, QStringLiteral("K[0-9]"), true));
    }
    EXPECT_EQ(rows(), kEveryStoryRows);
    EXPECT_EQ(g_frmResult->Document(), doc);
    EXPECT_TRUE(sawProgress);
    EXPECT_TRUE(screenOffDuringSearch);
    ASSERT_EQ(screen.count(), 2);
    EXPECT_FALSE(screen.at(0).at(0).toBool());
    EXPECT_TRUE(screen.at(1).at(0).toBool());
    EXPECT_EQ(progressWindows(), 0);
    EXPECT_FALSE(clsQLFFind::isRunning());
}

TEST_F(Search, ANewSearchReplacesTheRowsAndAStoryWithoutHitsAddsNone)
{
    clsQLFFind().find(condition(doc, QStringLiteral("K[0-9]"), true));
    clsQLFFind().find(condition(doc, QStringLiteral("box"), false));
    EXPECT_EQ(rows(), (std::vector<Row>{{"box", kTextBox, "3", "6", "5", "0"}, {"box", kTextBox, "0", "3", "5", "1"}}));
    clsQLFFind().find(condition(doc, QStringLiteral("nowhere"), false));
    EXPECT_TRUE(rows().empty());
}

// The flag is seen at the next Found: hits appended so far stay, the hit let through when the
// click came is still appended, and a story's repeated first hit or the next story's first
// hit ends the search.
TEST_F(Search, CancelStopsAtTheNextFoundAndKeepsTheHitsSoFar)
{
    struct Case { int rows, occurrence, hits; const char* what; };
    for (const Case c : {Case{1, 1, 1, "at the first hit of a story with more"},
                         Case{2, 1, 2, "at the last hit of the main text, ended by its first hit again"},
                         Case{3, 1, 2, "at the repeat that ends the main text, ended by the footnote's hit"},
                         Case{6, 2, 6, "at the only hit of the first text box"},
                         Case{10, 2, 10, "at the very last hit"}}) {
        QSignalSpy screen(g_objApplication.get(), &word::Application::screenUpdatingChanged);
        {
            EveryHit cancel(cancelAt(c.rows, c.occurrence));
            clsQLFFind().find(condition(doc, QStringLiteral("K[0-9]"), true));
        }
        const std::vector<Row> expected(kEveryStoryRows.begin(), kEveryStoryRows.begin() + c.hits);
        EXPECT_EQ(rows(), expected) << c.what;
        EXPECT_TRUE(g_objApplication->ScreenUpdating()) << c.what;
        EXPECT_EQ(screen.count(), 2) << c.what;
        EXPECT_EQ(progressWindows(), 0) << c.what;
    }
}

TEST_F(Search, ASecondStartDuringASearchDoesNothing)
{
    bool runningSeen = false;
    {
        EveryHit again([&] {
            runningSeen = runningSeen || clsQLFFind::isRunning();
            clsQLFFind().find(condition(doc, QStringLiteral("box"), false));
        });
        clsQLFFind().find(condition(doc, QStringLiteral("K[0-9]"), true));
    }
    EXPECT_TRUE(runningSeen);
    EXPECT_EQ(rows(), kEveryStoryRows);
    EXPECT_FALSE(clsQLFFind::isRunning());
    clsQLFFind().find(condition(doc, QStringLiteral("box"), false));
    EXPECT_EQ(rows().size(), 2u);
}

namespace {

struct Failure {
    int number;
    QString source, description;
};

Failure failureOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const core::Error& e) {
        return {e.number(), e.source(), e.description()};
    }
    ADD_FAILURE() << "no error raised";
    return {};
}

} // namespace

TEST_F(Search, AnErrorIsRaisedAgainUnchangedWithTheScreenBackAndNoProgressWindow)
{
    // Word's own error for the pattern, as Execute raises it on any range.
    const word::RangePtr probe = doc->StoryRanges()->Item(1);
    condition(doc, QStringLiteral("K[9-0]"), true).setFindObject(probe->Find());
    const Failure word = failureOf([&] { probe->Find()->Execute(); });
    ASSERT_EQ(word.number, 5560);

    clsQLFFind().find(condition(doc, QStringLiteral("K[0-9]"), true));
    const Failure raised = failureOf([&] { clsQLFFind().find(condition(doc, QStringLiteral("K[9-0]"), true)); });
    EXPECT_EQ(raised.number, word.number);
    EXPECT_EQ(raised.source, word.source);
    EXPECT_EQ(raised.description, word.description);
    EXPECT_TRUE(g_objApplication->ScreenUpdating());
    EXPECT_EQ(progressWindows(), 0);
    EXPECT_FALSE(clsQLFFind::isRunning());
    EXPECT_TRUE(rows().empty());
}

TEST_F(Search, AnErrorInTheMiddleOfTheWalkKeepsTheEarlierHits)
{
    // While the second hit is let through, the main text is cut short (text typed before the
    // search is undone): its row cannot be cut out of the story any more and Word refuses the
    // position.
    doc->replaceText(0, 3, 3, QString(100, QLatin1Char('x')));
    Failure raised;
    {
        EveryHit shorten([&] {
            if (g_frmResult->grdResult()->Rows() == 2 && doc->StoryRanges()->Item(1)->End() > 100)
                doc->Undo();
        });
        raised = failureOf([&] { clsQLFFind().find(condition(doc, QStringLiteral("K[0-9]"), true)); });
    }
    EXPECT_EQ(raised.number, 4608);
    EXPECT_TRUE(g_objApplication->ScreenUpdating());
    EXPECT_EQ(progressWindows(), 0);
    const std::vector<Row> kept = rows();
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0], kEveryStoryRows[0]);
    EXPECT_EQ(kept[1].start, "108");
    EXPECT_TRUE(kept[1].text.isEmpty());
}

TEST(SearchLimit, TheHitAfterTheLast16BitRowOverflowsAndKeeps32767Rows)
{
    ConnectedGlobals globals;
    const word::DocumentPtr doc =
        globals.open(DocxBuilder().body(wordxml::para(wordxml::run(QString(frmQLFResult::kMaxHits + 1, QLatin1Char('a'))))));
    const Failure raised = failureOf([&] { clsQLFFind().find(condition(doc, QStringLiteral("a"), false)); });
    EXPECT_EQ(raised.number, core::Overflow);
    EXPECT_EQ(g_frmResult->grdResult()->Rows(), frmQLFResult::kMaxHits + 1);
    EXPECT_EQ(g_frmResult->grdResult()->TextMatrix(frmQLFResult::kMaxHits, frmQLFResult::colNumber), "32767");
    EXPECT_EQ(g_frmResult->grdResult()->TextMatrix(frmQLFResult::kMaxHits, frmQLFResult::colStart), "32766");
    EXPECT_TRUE(g_objApplication->ScreenUpdating());
    EXPECT_EQ(progressWindows(), 0);
}

// Messages pass once per slice, not per hit: a click is still handled within one slice, and the
// search stops long before its last hit.
TEST(SearchSlice, ACancelClickIsHandledWithinOneSliceOfALongSearch)
{
    const DoEventsSliceFor slice(std::chrono::milliseconds(1));
    ConnectedGlobals globals;
    const word::DocumentPtr doc =
        globals.open(DocxBuilder().body(wordxml::para(wordxml::run(QString(frmQLFResult::kMaxHits, QLatin1Char('a'))))));
    {
        EveryHit cancel([] {
            if (frmCOMProgress* progress = visibleProgress())
                progress->cmdCancel()->click();
        });
        clsQLFFind().find(condition(doc, QStringLiteral("a"), false));
    }
    const int hits = g_frmResult->grdResult()->Rows() - 1;
    EXPECT_LT(hits, frmQLFResult::kMaxHits / 2);
    EXPECT_EQ(progressWindows(), 0);
    EXPECT_TRUE(g_objApplication->ScreenUpdating());
}

// The search without a window (the command line's): the same hits in the same order as the result
// window lists, no window opened, and it stops at the hit where it is told to.
TEST_F(Search, WithoutAWindowFindsTheSameHitsAndStopsWhenTold)
{
    struct Recorded : clsQLFHitList {
        std::vector<std::string> calls;
        void clear() override { calls.push_back("clear"); }
        void setDocument(word::DocumentPtr d) override { calls.push_back(d ? "document" : "none"); }
        void appendResult(const word::Range& r, int chainIndex) override
        {
            calls.push_back(r.Text().toStdString() + " " + std::to_string(r.StoryType()) + " " + std::to_string(chainIndex));
        }
    };
    std::vector<std::string> expected = {"clear", "document"};
    for (const Row& row : kEveryStoryRows)
        expected.push_back((row.text + ' ' + row.typeCode + ' ' + row.chainIndex).toStdString());

    const qsizetype windows = QApplication::topLevelWidgets().size();
    Recorded all;
    int asked = 0;
    EXPECT_TRUE(mdlQLFSearch::searchDocument(condition(doc, QStringLiteral("K[0-9]"), true), all, [&] {
        ++asked;
        return QApplication::topLevelWidgets().size() == windows;
    }));
    EXPECT_EQ(all.calls, expected);
    EXPECT_GE(asked, static_cast<int>(kEveryStoryRows.size()));

    Recorded three;   // told to stop once it holds three hits
    EXPECT_FALSE(mdlQLFSearch::searchDocument(condition(doc, QStringLiteral("K[0-9]"), true), three,
                                              [&] { return three.calls.size() < 2 + 3; }));
    EXPECT_EQ(three.calls, std::vector<std::string>(expected.begin(), expected.begin() + 5));
}
