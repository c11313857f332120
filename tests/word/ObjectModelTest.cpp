#include "platform/core/Error.h"
#include "platform/word/Application.h"
#include "platform/word/Comments.h"
#include "platform/word/Dialogs.h"
#include "platform/word/Document.h"
#include "platform/word/Find.h"
#include "platform/word/Font.h"
#include "platform/word/Range.h"
#include "platform/word/Window.h"
#include "tests/support/DocxBuilder.h"
#include "tests/support/WordXml.h"

#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace word;

namespace {

using namespace wordxml;

QString sectPr(const QString& headerId)
{
    const QString ref = headerId.isEmpty() ? QString()
        : "<w:headerReference w:type=\"default\" r:id=\"" + headerId + "\"/>";
    return "<w:sectPr>" + ref + "</w:sectPr>";
}

QString header(const QString& text) { return part("hdr", para(run(text))); }

// Three sections; the second has no header of its own and links to the first.
// Main text: "Alpha {field} beta" with a comment on "beta", a one-cell table, a footnote.
DocxBuilder threeSectionDocument()
{
    const QString body =
        "<w:p><w:pPr>" + sectPr("rIdH1") + "</w:pPr>" + run("Alpha ")
        + "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText> PAGE </w:instrText></w:r>"
          "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r>" + run("7")
        + "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r>" + run(" ")
        + "<w:commentRangeStart w:id=\"0\"/>" + run("beta") + "<w:commentRangeEnd w:id=\"0\"/>"
          "<w:r><w:commentReference w:id=\"0\"/></w:r>"
          "<w:r><w:footnoteReference w:id=\"1\"/></w:r></w:p>"
        + "<w:tbl><w:tr><w:tc>" + para(run("cell")) + "</w:tc></w:tr></w:tbl>"
        + "<w:p><w:pPr>" + sectPr("") + "</w:pPr>" + run("second") + "</w:p>"
        + para(run("third")) + sectPr("rIdH3");
    DocxBuilder b;
    b.body(body)
        .part("word/header1.xml", header("Head one"))
        .part("word/header3.xml", header("Head three"))
        .relationship("rIdH1", "header", "header1.xml")
        .relationship("rIdH3", "header", "header3.xml")
        .part("word/comments.xml", QString("<w:comments %1><w:comment w:id=\"0\" w:author=\"Sato\" w:initials=\"S\">%2</w:comment></w:comments>")
              .arg(DocxBuilder::kNamespaces, para("<w:r><w:annotationRef/></w:r>" + run("Check this"))))
        .part("word/footnotes.xml", QString("<w:footnotes %1>"
              "<w:footnote w:type=\"separator\" w:id=\"-1\"><w:p><w:r><w:separator/></w:r></w:p></w:footnote>"
              "<w:footnote w:type=\"continuationSeparator\" w:id=\"0\"><w:p><w:r><w:continuationSeparator/></w:r></w:p></w:footnote>"
              "<w:footnote w:id=\"1\">%2</w:footnote></w:footnotes>")
              .arg(DocxBuilder::kNamespaces, para("<w:r><w:footnoteRef/></w:r>" + run(" Note text"))));
    return b;
}

class ObjectModel : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = dir.filePath("three.docx");
        threeSectionDocument().save(path);
        app = Application::create();
    }
    QTemporaryDir dir;
    QString path;
    ApplicationPtr app;
};

int errorNumber(const std::function<void()>& f)
{
    try {
        f();
    } catch (const core::Error& e) {
        EXPECT_FALSE(e.description().isEmpty());
        return e.number();
    }
    return 0;
}

} // namespace

TEST_F(ObjectModel, ActiveDocumentRaises4248UntilADocumentIsOpen)
{
    try {
        app->ActiveDocument();
        FAIL() << "no error";
    } catch (const core::Error& e) {
        EXPECT_EQ(e.number(), 4248);
        EXPECT_EQ(e.description(), QString("文書が開かれていないため、このコマンドは使用できません。"));
    }
    DocumentPtr doc = app->Documents()->Open(path);
    EXPECT_EQ(app->ActiveDocument(), doc);
    EXPECT_EQ(app->Documents()->Item(1), doc);
    EXPECT_EQ(app->Documents()->Count(), 1);
}

TEST_F(ObjectModel, ClosedDocumentLeavesTheCollectionButItsHandleStaysUsable)
{
    DocumentPtr first = app->Documents()->Open(path);
    DocumentPtr second = app->Documents()->Open(path);
    EXPECT_NE(first, second);  // the same file opened twice is two documents
    EXPECT_EQ(app->ActiveDocument(), second);
    second->Close();
    EXPECT_EQ(app->Documents()->Count(), 1);
    EXPECT_EQ(app->ActiveDocument(), first);
    EXPECT_EQ(second->StoryRanges()->Item(1)->Text().left(5), "Alpha");
    first->Close();
    EXPECT_EQ(errorNumber([&] { app->ActiveDocument(); }), 4248);
    EXPECT_EQ(errorNumber([&] { app->Documents()->Item(1); }), 5941);
}

TEST_F(ObjectModel, StoryRangesEnumerateTypesInAscendingOrderAndChainHeaders)
{
    DocumentPtr doc = app->Documents()->Open(path);
    std::vector<int> types;
    for (const RangePtr& r : doc->StoryRanges()->items())
        types.push_back(r->StoryType());
    EXPECT_EQ(types, (std::vector<int>{1, 2, 4, 7, 12, 13}));
    EXPECT_EQ(errorNumber([&] { doc->StoryRanges()->Item(3); }), 5941);

    RangePtr h = doc->StoryRanges()->Item(7);
    EXPECT_EQ(h->Text(), "Head one\r");
    EXPECT_EQ(h->chainIndex(), 0);
    RangePtr next = h->NextStoryRange();
    ASSERT_TRUE(next);
    EXPECT_EQ(next->Text(), "Head three\r");  // the linked second section is not revisited
    EXPECT_EQ(next->StoryType(), 7);
    EXPECT_EQ(next->chainIndex(), 1);
    EXPECT_FALSE(next->NextStoryRange());
    EXPECT_FALSE(doc->StoryRanges()->Item(1)->NextStoryRange());
}

TEST_F(ObjectModel, RangeTextHidesFieldCodesAndShowsCellMarksAsTwoCharacters)
{
    DocumentPtr doc = app->Documents()->Open(path);
    RangePtr main = doc->StoryRanges()->Item(1);
    const QString text = main->Text();
    EXPECT_TRUE(text.startsWith("Alpha 7 beta\x05\x02\x0c")) << text.toStdString();
    EXPECT_TRUE(text.contains("cell\r\a\r\a")) << text.toStdString();
    // Positions count the hidden field characters: "Alpha " + begin + " PAGE " + separator.
    main->setStart(6 + 1 + 6 + 1);
    main->setEnd(6 + 1 + 6 + 1 + 1);
    EXPECT_EQ(main->Text(), "7");
    EXPECT_EQ(main->Document(), doc);
}

TEST_F(ObjectModel, RangeBoundsFollowWordsRules)
{
    DocumentPtr doc = app->Documents()->Open(path);
    RangePtr r = doc->StoryRanges()->Item(1);
    const int32_t length = r->End();
    r->setStart(10);
    r->setEnd(4);  // End below Start pulls Start down
    EXPECT_EQ(r->Start(), 4);
    EXPECT_EQ(r->End(), 4);
    r->setStart(8);  // Start above End pushes End up
    EXPECT_EQ(r->End(), 8);
    EXPECT_EQ(errorNumber([&] { r->setEnd(length + 1); }), 4608);
    EXPECT_EQ(errorNumber([&] { r->setStart(-1); }), 4608);
    EXPECT_EQ(r->Start(), 8);
}

TEST_F(ObjectModel, EditingShiftsLaterPositionsAndStaleBoundsRaise)
{
    DocumentPtr doc = app->Documents()->Open(path);
    RangePtr r = doc->StoryRanges()->Item(1);
    const int32_t length = r->End();
    r->setEnd(5);
    r->setText(QString::fromUtf8("アルファ・ベータ"));
    EXPECT_EQ(r->Start(), 0);
    EXPECT_EQ(r->End(), 8);
    RangePtr whole = doc->StoryRanges()->Item(1);
    EXPECT_EQ(whole->End(), length + 3);
    EXPECT_TRUE(whole->Text().startsWith(QString::fromUtf8("アルファ・ベータ 7 beta")));
    // The comment's anchor moved with the text.
    EXPECT_EQ(doc->Comments()->Item(1)->Scope()->Text(), "beta");

    // Deleting across the field and the comment could not be saved exactly: refused, nothing changes.
    whole->setStart(0);
    whole->setEnd(whole->End() - 10);
    EXPECT_EQ(errorNumber([&] { whole->Delete(); }), 4605);
    EXPECT_EQ(doc->StoryRanges()->Item(1)->End(), length + 3);
    r->Delete();
    RangePtr after = doc->StoryRanges()->Item(1);
    EXPECT_EQ(after->End(), length - 5);
    EXPECT_EQ(errorNumber([&] { after->setEnd(length); }), 4608);
}

TEST_F(ObjectModel, CommentsOfARangeAndCommentEdit)
{
    DocumentPtr doc = app->Documents()->Open(path);
    RangePtr c = doc->StoryRanges()->Item(4);
    EXPECT_EQ(c->Text(), "\x05" "Check this\r");
    c->setStart(3);
    c->setEnd(6);
    CommentsPtr found = c->Comments();
    ASSERT_EQ(found->Count(), 1);
    CommentPtr comment = found->Item(1);
    EXPECT_EQ(comment->Author(), "Sato");
    EXPECT_EQ(comment->Scope()->Text(), "beta");

    QSignalSpy views(app.get(), &Application::viewChanged);
    comment->Edit();
    EXPECT_EQ(doc->ActiveWindow()->View()->SplitSpecial(), wdPaneComments);
    EXPECT_EQ(doc->model().stories.at(doc->ActiveWindow()->selectionStory()).type, 4);
    EXPECT_GE(views.count(), 1);

    RangePtr main = doc->StoryRanges()->Item(1);
    EXPECT_EQ(main->Comments()->Count(), 1);
    main->setEnd(3);
    EXPECT_EQ(main->Comments()->Count(), 0);
    EXPECT_EQ(errorNumber([&] { main->Comments()->Item(1); }), 5941);
}

TEST_F(ObjectModel, SelectAndViewsReachTheWindow)
{
    DocumentPtr doc = app->Documents()->Open(path);
    QSignalSpy selections(app.get(), &Application::selectionChanged);
    RangePtr h = doc->StoryRanges()->Item(7)->NextStoryRange();
    h->setStart(5);
    h->setEnd(10);
    h->Select();
    WindowPtr w = doc->ActiveWindow();
    EXPECT_EQ(w, doc->ActiveWindow());
    EXPECT_EQ(w->selectionStory(), h->storyIndex());
    EXPECT_EQ(w->selectionStart(), 5);
    EXPECT_EQ(w->selectionEnd(), 10);
    EXPECT_EQ(selections.count(), 1);

    ViewPtr v = w->View();
    EXPECT_EQ(w->ActivePane()->View(), v);
    v->setSeekView(wdSeekPrimaryHeader);
    EXPECT_EQ(v->SeekView(), wdSeekPrimaryHeader);
    v->setType(wdNormalView);
    EXPECT_EQ(errorNumber([&] { v->setSeekView(wdSeekEvenPagesHeader); }), 4605);
    v->setType(wdPrintView);
    v->setSeekView(wdSeekEvenPagesHeader);
    EXPECT_EQ(v->SeekView(), wdSeekEvenPagesHeader);
}

TEST_F(ObjectModel, FindStartsFromDefaultsAndSettingsNeverLeak)
{
    DocumentPtr doc = app->Documents()->Open(path);
    RangePtr a = doc->StoryRanges()->Item(1);
    FindPtr f = a->Find();
    EXPECT_EQ(a->Find(), f);  // one Find per range
    EXPECT_EQ(f->Highlight(), wdUndefined);
    EXPECT_EQ(f->Font()->Color(), wdUndefined);
    EXPECT_TRUE(f->Forward());
    EXPECT_EQ(f->Wrap(), wdFindStop);

    f->setText("beta");
    f->setMatchCase(true);
    f->setHighlight(-1);
    f->Font()->setStrikeThrough(-1);
    f->setFormat(true);
    FindPtr other = doc->StoryRanges()->Item(1)->Find();
    EXPECT_TRUE(other->Text().isEmpty());
    EXPECT_FALSE(other->MatchCase());
    EXPECT_EQ(other->Font()->StrikeThrough(), wdUndefined);

    f->ClearFormatting();
    EXPECT_EQ(f->Highlight(), wdUndefined);
    EXPECT_EQ(f->Font()->StrikeThrough(), wdUndefined);
    EXPECT_FALSE(f->Format());
    EXPECT_EQ(f->Text(), "beta");  // text and options are not formatting

    FontPtr standalone = Font::create();
    EXPECT_EQ(standalone->Color(), wdUndefined);
    standalone->setColor(255);
    EXPECT_EQ(standalone->Color(), 255);
    standalone->setColor(wdUndefined);
    EXPECT_EQ(standalone->Color(), wdUndefined);
}

TEST_F(ObjectModel, ApplicationCarriesTheMenuBarAndTheHostsDialogs)
{
    auto bar = app->CommandBars()->Item(QString("Menu Bar"));
    EXPECT_TRUE(bar->Controls()->Item(QString("編集(&E)")));
    EXPECT_EQ(app->CommandBars(), app->CommandBars());
    EXPECT_EQ(errorNumber([&] { app->Dialogs()->Item(790); }), 5941);
    int shown = 0;
    app->Dialogs()->install(790, [&shown] { ++shown; return -1; });
    EXPECT_EQ(app->Dialogs()->Item(790)->Show(), -1);
    EXPECT_EQ(shown, 1);
}
