#include "platform/core/Error.h"
#include "platform/docx/Package.h"
#include "platform/word/Application.h"
#include "platform/word/Document.h"
#include "platform/word/Find.h"
#include "platform/word/Range.h"
#include "tests/support/DocxBuilder.h"
#include "tests/support/WordXml.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace word;
using namespace wordxml;

namespace {

struct ReplaceFixture : ::testing::Test {
    QTemporaryDir dir;
    ApplicationPtr app = Application::create();
    DocumentPtr doc;

    void open(const QString& body, const DocxBuilder& more = DocxBuilder())
    {
        DocxBuilder b = more;
        b.body(body);
        const QString path = dir.filePath("r.docx");
        b.save(path);
        doc = app->Documents()->Open(path);
    }
    QString mainText() const { return doc->story(0).text; }
    // Replace All over the main story; the count replaced.
    int replaceAll(const QString& find, const QString& with, bool matchCase = false, bool wildcards = false)
    {
        RangePtr r = doc->StoryRanges()->Item(1);
        FindPtr f = r->Find();
        f->setText(find);
        f->setMatchCase(matchCase);
        f->setMatchWildcards(wildcards);
        f->Replacement()->setText(with);
        f->Execute(wdReplaceAll);
        return f->replacedCount();
    }
    int errorOf(const std::function<void()>& fn)
    {
        try {
            fn();
        } catch (const core::Error& e) {
            return e.number();
        }
        return 0;
    }
};

} // namespace

TEST_F(ReplaceFixture, CodesGroupsAndCase)
{
    open(para(run("hello Hello HELLO x1-y2")));
    EXPECT_EQ(replaceAll("hello", "bye"), 3);
    EXPECT_EQ(mainText(), "bye Bye BYE x1-y2\r");
    EXPECT_EQ(replaceAll("bye", "ciao", true), 1);   // Match case: only the exact one, text as typed
    EXPECT_EQ(replaceAll("Bye", "Ok"), 2);           // typed with a capital: as typed
    EXPECT_EQ(mainText(), "ciao Ok Ok x1-y2\r");
    EXPECT_EQ(replaceAll("(x)([0-9])", "\\2\\1", false, true), 1);
    EXPECT_EQ(replaceAll("-", "[^&^^^t]"), 1);
    EXPECT_EQ(mainText(), "ciao Ok Ok 1x[-^\t]y2\r");

    const QString before = mainText();
    EXPECT_EQ(errorOf([&] { replaceAll("y", "^?"); }), 5625);
    EXPECT_EQ(errorOf([&] { replaceAll("y", "^m"); }), 4605);
    EXPECT_EQ(mainText(), before);
}

// Hits that could not be saved exactly are left; the rest are one undo step.
TEST_F(ReplaceFixture, AllIsOneStepAndLeavesWhatCannotBeSaved)
{
    // A paragraph cannot be split inside a hyperlink.
    open(para(run("ab")) + para(run("ab ") + "<w:hyperlink w:anchor=\"x\">" + run("ab") + "</w:hyperlink>"));
    const QString original = mainText();
    RangePtr r = doc->StoryRanges()->Item(1);
    FindPtr f = r->Find();
    f->setText("a");
    f->Replacement()->setText("^p");
    f->Execute(wdReplaceAll);
    EXPECT_EQ(f->replacedCount(), 2);
    EXPECT_EQ(f->skippedCount(), 1);
    ASSERT_TRUE(doc->Undo());
    EXPECT_EQ(mainText(), original);
    ASSERT_FALSE(doc->Undo());
    open(para(run("ab")) + para(run("ab ab")));

    EXPECT_EQ(replaceAll("ab", "xyz"), 3);
    EXPECT_EQ(mainText(), "xyz\rxyz xyz\r");
    ASSERT_TRUE(doc->Undo());
    EXPECT_EQ(mainText(), "ab\rab ab\r");
    EXPECT_TRUE(doc->Saved());

    // Replace one: the range becomes the new text, and the next one goes on after it.
    RangePtr one = doc->StoryRanges()->Item(1);
    one->setEnd(0);
    FindPtr g = one->Find();
    g->setText("ab");
    g->Replacement()->setText("Q");
    ASSERT_TRUE(g->Execute(wdReplaceOne));
    EXPECT_EQ(one->Start(), 0);
    EXPECT_EQ(one->End(), 1);
    ASSERT_TRUE(g->Execute(wdReplaceOne));
    EXPECT_EQ(mainText(), "Q\rQ ab\r");
    EXPECT_EQ(one->Start(), 2);
}

// Every story, in Word's order, as one step.
TEST_F(ReplaceFixture, EveryStory)
{
    const DocxBuilder notes = DocxBuilder()
        .part("word/footnotes.xml", part("footnotes", "<w:footnote w:id=\"1\">" + para(run("a cat")) + "</w:footnote>"))
        .relationship("rIdF", "footnotes", "footnotes.xml");
    open(para(run("cat") + "<w:r><w:footnoteReference w:id=\"1\"/></w:r>" + run(" cats")), notes);
    auto settings = doc->StoryRanges()->Item(1)->Find();
    settings->setText("cat");
    settings->Replacement()->setText("dog");
    const std::vector<int> counts = replaceInEveryStory(doc, *settings);
    EXPECT_EQ(counts, (std::vector<int>{2, 1}));
    EXPECT_EQ(doc->story(1).text, "a dog\r");
    ASSERT_TRUE(doc->Undo());
    EXPECT_EQ(doc->story(0).text, QString("cat\x02 cats\r"));
    EXPECT_EQ(doc->story(1).text, "a cat\r");
}

// Formatting alone keeps the text; part of a run gets runs of its own; saved, it reads back so.
TEST_F(ReplaceFixture, FormattingAloneAndWithText)
{
    open(para(run("ab", "<w:highlight w:val=\"green\"/>") + run("cdefgh", "<w:b/><w:color w:val=\"FF0000\"/>")
              + "<w:r><w:t>i</w:t><w:tab/><w:t>j</w:t></w:r>"));
    const QString text = mainText();
    RangePtr r = doc->StoryRanges()->Item(1);
    FindPtr f = r->Find();
    f->setText("");
    f->setHighlight(-1);
    f->Replacement()->setHighlight(0);
    ASSERT_TRUE(f->Execute(wdReplaceAll));
    EXPECT_EQ(mainText(), text);
    EXPECT_FALSE(doc->story(0).runAt(0).format.highlight);

    RangePtr r2 = doc->StoryRanges()->Item(1), r3 = doc->StoryRanges()->Item(1);
    FindPtr g = r2->Find();
    g->setText("de");
    g->Replacement()->Font()->setStrikeThrough(-1);
    ASSERT_TRUE(g->Execute(wdReplaceAll));
    FindPtr h = r3->Find();
    h->setText("i");
    h->Replacement()->setText("I^tK");
    h->Replacement()->Font()->setColor(0x00FF00);
    ASSERT_TRUE(h->Execute(wdReplaceAll));
    const docx::Document before = doc->model();
    ASSERT_TRUE(doc->Undo(3));
    EXPECT_TRUE(doc->story(0).runAt(0).format.highlight);
    EXPECT_EQ(doc->story(0).text, text);
    ASSERT_TRUE(doc->Redo(3));
    EXPECT_EQ(doc->story(0).runs, before.stories[0].runs);

    const QString saved = dir.filePath("saved.docx");
    doc->SaveAs2(saved);
    const docx::Document back = docx::load(saved);
    EXPECT_EQ(back.stories[0].text, before.stories[0].text);
    const auto& s = back.stories[0];
    for (int32_t p = 0; p < s.length() - 1; ++p) {
        SCOPED_TRACE(p);
        const docx::CharFormat f = s.runAt(p).format;
        EXPECT_EQ(f, before.stories[0].runAt(p).format);
        EXPECT_FALSE(f.highlight);
        EXPECT_EQ(f.strike, p == 3 || p == 4);
        EXPECT_EQ(f.color, p >= 2 && p < 8 ? 0x0000FF : p >= 8 && p < 11 ? 0x00FF00 : docx::kColorAutomatic);
    }
    EXPECT_EQ(s.text.mid(8), QString("I\tK\tj\r"));
}
