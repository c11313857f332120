#include "platform/core/Error.h"
#include "platform/word/Application.h"
#include "platform/word/Document.h"
#include "platform/word/Find.h"
#include "platform/word/Font.h"
#include "platform/word/Range.h"
#include "tests/support/DocxBuilder.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace word;

namespace {

using Spans = std::vector<std::pair<int32_t, int32_t>>;

class FindExecute : public ::testing::Test {
protected:
    // Opens a document whose main story is the given body XML.
    DocumentPtr open(const QString& body)
    {
        const QString path = dir.filePath(QString("doc%1.docx").arg(++count));
        DocxBuilder().body(body).save(path);
        return app->Documents()->Open(path);
    }
    DocumentPtr openText(const QString& text)
    {
        return open("<w:p><w:r><w:t xml:space=\"preserve\">" + text + "</w:t></w:r></w:p>");
    }

    // The search engine's loop: Execute until a hit does not start after the previous one.
    static Spans engineLoop(const RangePtr& range)
    {
        Spans hits;
        int32_t last = -1;
        range->Find()->Execute();
        while (range->Find()->Found()) {
            if (last >= range->Start())
                break;
            last = range->Start();
            hits.emplace_back(range->Start(), range->End());
            range->Find()->Execute();
        }
        return hits;
    }

    QTemporaryDir dir;
    int count = 0;
    ApplicationPtr app = Application::create();
};

RangePtr mainStory(const DocumentPtr& doc) { return doc->StoryRanges()->Item(1); }

} // namespace

TEST_F(FindExecute, ContinueWrapsBackToTheFirstHitWhichEndsTheEnginesLoop)
{
    DocumentPtr doc = openText("one two one two one");
    RangePtr r = mainStory(doc);
    r->Find()->setText("one");
    r->Find()->setWrap(wdFindContinue);
    EXPECT_EQ(engineLoop(r), (Spans{{0, 3}, {8, 11}, {16, 19}}));
    // The loop ended on the wrapped repeat of the first hit.
    EXPECT_TRUE(r->Find()->Found());
    EXPECT_EQ(r->Start(), 0);

    RangePtr single = mainStory(doc);
    single->Find()->setText("two one two");
    single->Find()->setWrap(wdFindContinue);
    EXPECT_TRUE(single->Find()->Execute());
    EXPECT_TRUE(single->Find()->Execute());  // a single hit comes back
    EXPECT_EQ(single->Start(), 4);
    EXPECT_EQ(engineLoop(mainStory(doc)), Spans{});  // empty text, no formatting: nothing

    RangePtr none = mainStory(doc);
    none->Find()->setText("three");
    none->Find()->setWrap(wdFindContinue);
    EXPECT_FALSE(none->Find()->Execute());
    EXPECT_EQ(none->Start(), 0);
    EXPECT_EQ(none->End(), 20);  // a miss leaves the range as it was
}

TEST_F(FindExecute, StopEndsAtTheStoryEndAndBackwardSearchesBackwards)
{
    DocumentPtr doc = openText("ab ab ab");
    RangePtr r = mainStory(doc);
    FindPtr f = r->Find();
    f->setText("ab");
    Spans hits;
    while (f->Execute())
        hits.emplace_back(r->Start(), r->End());
    EXPECT_EQ(hits, (Spans{{0, 2}, {3, 5}, {6, 8}}));
    EXPECT_FALSE(f->Found());
    EXPECT_EQ(r->Start(), 6);

    RangePtr back = mainStory(doc);
    back->Find()->setText("ab");
    back->Find()->setForward(false);
    hits.clear();
    while (back->Find()->Execute())
        hits.emplace_back(back->Start(), back->End());
    EXPECT_EQ(hits, (Spans{{6, 8}, {3, 5}, {0, 2}}));
}

TEST_F(FindExecute, ScopeCollapsedRangesAndARangeThatIsAHit)
{
    DocumentPtr doc = openText("cat cat cat");
    RangePtr r = mainStory(doc);
    r->setStart(2);
    r->setEnd(2);
    r->Find()->setText("cat");
    ASSERT_TRUE(r->Find()->Execute());  // collapsed: from the point on
    EXPECT_EQ(r->Start(), 4);

    RangePtr exact = mainStory(doc);
    exact->setStart(4);
    exact->setEnd(7);
    exact->Find()->setText("cat");
    ASSERT_TRUE(exact->Find()->Execute());  // it does not find itself
    EXPECT_EQ(exact->Start(), 8);

    RangePtr scope = mainStory(doc);
    scope->setStart(3);
    scope->setEnd(9);
    scope->Find()->setText("cat");
    ASSERT_TRUE(scope->Find()->Execute());
    EXPECT_EQ(scope->Start(), 4);
}

TEST_F(FindExecute, InvalidPatternRaises5560AtExecuteNotAtAssignment)
{
    DocumentPtr doc = openText("text");
    RangePtr r = mainStory(doc);
    r->Find()->setMatchWildcards(true);
    r->Find()->setText("[a-");
    try {
        r->Find()->Execute();
        FAIL() << "no error";
    } catch (const core::Error& e) {
        EXPECT_EQ(e.number(), 5560);
        EXPECT_FALSE(e.description().isEmpty());
    }
    r->Find()->setText("t?x");
    EXPECT_TRUE(r->Find()->Execute());
    EXPECT_EQ(r->Text(), "tex");
}

TEST_F(FindExecute, FormattingAloneFindsWholeHighlightedStretches)
{
    DocumentPtr doc = open(
        "<w:p><w:r><w:t xml:space=\"preserve\">plain </w:t></w:r>"
        "<w:r><w:rPr><w:highlight w:val=\"yellow\"/></w:rPr><w:t>marked</w:t></w:r>"
        "<w:r><w:t xml:space=\"preserve\"> plain </w:t></w:r>"
        "<w:r><w:rPr><w:color w:val=\"FF0000\"/><w:highlight w:val=\"green\"/></w:rPr><w:t>red</w:t></w:r></w:p>");
    RangePtr r = mainStory(doc);
    r->Find()->setHighlight(-1);
    r->Find()->setWrap(wdFindContinue);
    EXPECT_EQ(engineLoop(r), (Spans{{6, 12}, {19, 22}}));

    RangePtr red = mainStory(doc);
    red->Find()->Font()->setColor(255);
    red->Find()->setFormat(true);
    red->Find()->setText("e");
    red->Find()->setWrap(wdFindContinue);
    EXPECT_EQ(engineLoop(red), (Spans{{20, 21}}));  // only the e of "red" is red
}

TEST_F(FindExecute, FuzzyUsesTheApplicationsRulesAndEditsRefreshThePreparedText)
{
    DocumentPtr doc = openText(QString::fromUtf8("ひらがなとカタカナ"));
    RangePtr r = mainStory(doc);
    r->Find()->setText(QString::fromUtf8("かたかな"));
    r->Find()->setMatchFuzzy(true);
    ASSERT_TRUE(r->Find()->Execute());
    EXPECT_EQ(r->Start(), 5);

    app->fuzzyOptions().matchFuzzyHiragana = false;
    RangePtr strict = mainStory(doc);
    strict->Find()->setText(QString::fromUtf8("かたかな"));
    strict->Find()->setMatchFuzzy(true);
    EXPECT_FALSE(strict->Find()->Execute());

    RangePtr edited = mainStory(doc);
    edited->setEnd(4);
    edited->setText(QString::fromUtf8("かたかな"));
    RangePtr again = mainStory(doc);
    again->Find()->setText(QString::fromUtf8("かたかな"));
    again->Find()->setMatchFuzzy(true);
    ASSERT_TRUE(again->Find()->Execute());
    EXPECT_EQ(again->Start(), 0);
}
