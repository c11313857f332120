// Floating pictures and text boxes stand on the page of their anchor, where their anchor says,
// drawn once; text wrapped above and below them starts under them; a hit in a text box is still
// selected and shown.
#include "host/PageObjects.h"
#include "host/StoryEditor.h"
#include "platform/word/Document.h"
#include "platform/word/Find.h"
#include "platform/word/Range.h"
#include "tests/host/HostFixture.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QTest>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

using namespace hostfixture;

namespace {

// 70 one-line paragraphs: what follows them is on the second page.
QString fillFirstPage()
{
    QString body;
    for (int i = 0; i < 70; ++i)
        body += para(run(QStringLiteral("Paragraph %1 fills a line of the page.").arg(i)));
    return body;
}

QByteArray bluePng()
{
    QImage png(40, 20, QImage::Format_RGB32);
    png.fill(Qt::blue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    png.save(&buffer, "PNG");
    return bytes;
}

word::RangePtr found(const word::RangePtr& story, const QString& text)
{
    story->Find()->setText(text);
    return story->Find()->Execute() ? story : nullptr;
}

// Where the drawn character at story position pos stands: its left and its line's top.
QPointF drawnAt(const host::StoryView* view, int32_t pos)
{
    const int drawn = view->displayPosition(pos);
    const QTextBlock block = view->document()->findBlock(drawn);
    const QTextLine line = block.layout()->lineForTextPosition(drawn - block.position());
    const QRectF rect = view->document()->documentLayout()->blockBoundingRect(block);
    return {rect.left() + line.cursorToX(drawn - block.position()), rect.top() + line.y()};
}

// The top of the drawn line holding story position pos, in document coordinates.
double lineTop(const host::StoryView* view, int32_t pos) { return drawnAt(view, pos).y(); }

// Where the drawn character at story position pos stands, as wide as it is drawn and as tall as
// its line.
QRectF drawnBox(const host::StoryView* view, int32_t pos)
{
    const int drawn = view->displayPosition(pos);
    const QTextBlock block = view->document()->findBlock(drawn);
    const QTextLine line = block.layout()->lineForTextPosition(drawn - block.position());
    const QRectF rect = view->document()->documentLayout()->blockBoundingRect(block);
    const double left = line.cursorToX(drawn - block.position()), right = line.cursorToX(drawn + 1 - block.position());
    return {rect.left() + std::min(left, right), rect.top() + line.y(), std::abs(right - left), line.height()};
}

int picturesDrawnInline(const QTextDocument* doc)
{
    int count = 0;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat()
                && it.fragment().charFormat().toImageFormat().name().startsWith(QStringLiteral("picture:")))
                ++count;
    return count;
}

} // namespace

TEST_F(HostTest, AFloatingPictureStandsOnItsAnchorsPageAtItsOffsetOnceAndWrappedTextStartsBelowIt)
{
    // 100 x 50 px pictures: one 1000 twips right of the column and 300 twips below its paragraph's
    // top, text above and below it; one over the text at the page's right margin.
    const QString png = picture("rIdImg");
    const QString body = fillFirstPage()
        + para(anchored(position("H", "column", "635000") + position("V", "paragraph", "190500"), "<wp:wrapTopAndBottom/>",
                        png, 952500, 476250)
               + run("below the picture"))
        + para(run("over this ")
               + anchored(position("H", "margin", "right") + position("V", "paragraph", "0"), "<wp:wrapNone/>", png,
                          952500, 476250)
               + run("line"));
    const QString path = dir.filePath("floating.docx");
    DocxBuilder().body(body).relationship("rIdImg", "image", "media/blue.png").raw("word/media/blue.png", bluePng()).save(path);
    start({path});
    host::DocumentWindow* window = windowOf(1);
    host::StoryView* main = window->mainView();
    const word::DocumentPtr doc = app()->ActiveDocument();
    const docx::Look& look = doc->model().stories[0].look;
    ASSERT_EQ(look.pictures.size(), 2u);
    const std::vector<host::PageObject>& objects = window->pageObjects();
    ASSERT_EQ(objects.size(), 2u);

    // Drawn once, on the page: not in the text.
    EXPECT_EQ(picturesDrawnInline(main->document()), 0);

    const host::PageObject& wrapped = objects[0];
    const int32_t anchor = look.pictures[wrapped.look].pos;
    const int page = main->pageOfPosition(main->displayPosition(anchor));
    EXPECT_GE(page, 1);
    EXPECT_EQ(wrapped.page, page);
    const host::PageFrame& frame = main->frameOf(main->pages()[static_cast<size_t>(page)]);
    EXPECT_NEAR(wrapped.rect.left(), frame.left + 1000 / 15.0, 1);
    EXPECT_NEAR(wrapped.rect.top(), lineTop(main, anchor) + 20, 1);
    EXPECT_NEAR(wrapped.rect.width(), 100, 1);
    EXPECT_NEAR(wrapped.rect.height(), 50, 1);
    EXPECT_FALSE(wrapped.behind);
    // The paragraph's text starts below the picture.
    const word::RangePtr below = found(doc->StoryRanges()->Item(1), QStringLiteral("below the picture"));
    ASSERT_NE(below, nullptr);
    EXPECT_GE(lineTop(main, below->Start()), wrapped.rect.bottom());

    // The other lies over its line, right-aligned in the column, the line unmoved.
    const host::PageObject& over = objects[1];
    const int32_t overAnchor = look.pictures[over.look].pos;
    EXPECT_EQ(over.page, main->pageOfPosition(main->displayPosition(overAnchor)));
    EXPECT_NEAR(over.rect.right(), frame.width - frame.right, 1);
    const word::RangePtr overText = found(doc->StoryRanges()->Item(1), QStringLiteral("over this"));
    ASSERT_NE(overText, nullptr);
    EXPECT_NEAR(over.rect.top(), lineTop(main, overText->Start()), 1);
    EXPECT_EQ(lineTop(main, overText->Start()), lineTop(main, overAnchor + 1));
    EXPECT_EQ(main->displayPosition(overAnchor), main->displayPosition(overAnchor + 1));
}

TEST_F(HostTest, ATextBoxIsFramedOnItsPageWithItsTextAndAHitInItIsSelectedAndShown)
{
    // Anchored on the second page, 2000 twips from the page's left edge and 4000 from its top, as
    // tall as its text.
    const QString body = fillFirstPage()
        + para(run("anchor here")
               + anchored(position("H", "page", "1270000") + position("V", "page", "2540000"), "<wp:wrapSquare/>",
                          textBoxShape(QStringLiteral("箱の中 boxed words"))
                              .replace("<wps:bodyPr/>", "<wps:bodyPr><a:spAutoFit/></wps:bodyPr>"),
                          1905000, 1905000));
    const QString path = dir.filePath("textbox.docx");
    DocxBuilder().body(body).save(path);
    start({path});
    host::DocumentWindow* window = windowOf(1);
    host::StoryView* main = window->mainView();
    const word::DocumentPtr doc = app()->ActiveDocument();
    const std::vector<host::PageObject>& objects = window->pageObjects();
    ASSERT_EQ(objects.size(), 1u);
    const host::PageObject box = objects[0];
    const docx::PictureLook& look = doc->model().stories[0].look.pictures[box.look];
    EXPECT_TRUE(look.textBox);
    const int page = main->pageOfPosition(main->displayPosition(look.pos));
    EXPECT_GE(page, 1);
    EXPECT_EQ(box.page, page);
    const host::Page& onPage = main->pages()[static_cast<size_t>(page)];
    EXPECT_NEAR(box.rect.left(), 2000 / 15.0, 1);
    EXPECT_NEAR(box.rect.top(), onPage.top + 4000 / 15.0, 1);
    EXPECT_NEAR(box.rect.width(), 3000 / 15.0, 1);
    // Fitted to its one line of text, not the 200 px its extent says.
    EXPECT_GT(box.rect.height(), 10);
    EXPECT_LT(box.rect.height(), 50);

    // Its text is its own story's, which the box draws; the main text does not hold it.
    const std::vector<int> stories = window->textBoxStories(main->storyIndex(), box.look);
    ASSERT_EQ(stories.size(), 1u);
    EXPECT_TRUE(doc->model().stories[static_cast<size_t>(stories[0])].text.startsWith(QStringLiteral("箱の中 boxed words")));
    EXPECT_FALSE(main->toPlainText().contains(QStringLiteral("boxed")));

    // A hit in it is selected and its box scrolled into view.
    main->verticalScrollBar()->setValue(0);
    const word::RangePtr hit = found(doc->StoryRanges()->Item(docx::wdTextFrameStory), QStringLiteral("boxed"));
    ASSERT_NE(hit, nullptr);
    hit->Select();
    host::StoryView* boxView = window->shownView(stories[0]);
    ASSERT_NE(boxView, nullptr);
    EXPECT_EQ(boxView->textCursor().selectedText(), QStringLiteral("boxed"));
    const int shownFrom = main->verticalScrollBar()->value();
    EXPECT_GE(box.rect.top(), shownFrom);
    EXPECT_LE(box.rect.bottom(), shownFrom + main->viewport()->height());

    // Its text grown by an edit, the box grows with it.
    hit->setText(QStringLiteral("words enough to fill several lines of the box. ").repeated(4));
    ASSERT_EQ(window->pageObjects().size(), 1u);
    EXPECT_GT(window->pageObjects()[0].rect.height(), box.rect.height() + 30);
}

TEST_F(HostTest, AHeadersFloatingTextBoxStandsOnEveryPageAtItsPlace)
{
    // A text box 1000 twips from each page's left edge and 500 from its top.
    const QString header = part("hdr", para(anchored(position("H", "page", "635000") + position("V", "page", "317500"),
                                                     "<wp:wrapNone/>", textBoxShape("letterhead"), 1905000, 317500)));
    const QString path = dir.filePath("header.docx");
    DocxBuilder()
        .body(para(run("one")) + para("<w:r><w:br w:type=\"page\"/></w:r>" + run("two"))
              + "<w:sectPr><w:headerReference w:type=\"default\" r:id=\"rIdH\"/></w:sectPr>")
        .part("word/header1.xml", header)
        .relationship("rIdH", "header", "header1.xml")
        .save(path);
    start({path});
    host::DocumentWindow* window = windowOf(1);
    const std::vector<host::Page>& pages = window->mainView()->pages();
    ASSERT_EQ(pages.size(), 2u);
    const int headerStory = window->headerFooterOfPage(0, false);
    ASSERT_GE(headerStory, 0);
    for (int page : {0, 1}) {
        const std::vector<host::PageObject> objects = window->headerFooterObjects(page, false);
        ASSERT_EQ(objects.size(), 1u) << page;
        EXPECT_EQ(objects[0].page, page);
        EXPECT_NEAR(objects[0].rect.left(), 1000 / 15.0, 1);
        EXPECT_NEAR(objects[0].rect.top(), pages[static_cast<size_t>(page)].top + 500 / 15.0, 1);
        const std::vector<int> boxes = window->textBoxStories(headerStory, objects[0].look);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_TRUE(app()->ActiveDocument()->model().stories[static_cast<size_t>(boxes[0])].text.startsWith(QStringLiteral("letterhead")));
    }
    EXPECT_TRUE(window->footerView()->storyIndex() < 0 || window->headerFooterObjects(0, true).empty());
}

TEST_F(HostTest, LinesRunBesideASquareWrappedDrawingAtTheLeftOfTheColumnAndAtTheSideOfACentredOneItsWrapAllows)
{
    // 150 x 100 px pictures at the top of their paragraphs; the lines beside a centred one take
    // its left, the wider side when even, unless its wrap keeps them to the right.
    const QString words = QStringLiteral("beside the picture 図の横 ").repeated(50);
    const auto drawing = [](const char* align, const char* wrap = "<wp:wrapSquare/>") {
        return anchored(position("H", "column", align) + position("V", "paragraph", "0"), wrap, picture("rIdImg"),
                        1428750, 952500);
    };
    const QString path = dir.filePath("beside.docx");
    DocxBuilder().body(para(drawing("left") + run(words)) + para(drawing("center") + run(QStringLiteral("left of it ").repeated(40)))
                       + para(drawing("center", "<wp:wrapSquare wrapText=\"right\"/>") + run(QStringLiteral("right of it ").repeated(40)))
                       // In the left margin, clear of the column: the text keeps no room for it.
                       + para(anchored(position("H", "page", "0") + position("V", "paragraph", "0"), "<wp:wrapSquare/>",
                                       picture("rIdImg"), 952500, 476250) + run("unmoved")))
        .relationship("rIdImg", "image", "media/blue.png").raw("word/media/blue.png", bluePng()).save(path);
    start({path});
    host::StoryView* main = windowOf(1)->mainView();
    const docx::Story& story = app()->ActiveDocument()->model().stories[0];
    const std::vector<host::PageObject>& objects = windowOf(1)->pageObjects();
    ASSERT_EQ(objects.size(), 4u);
    const QRectF left = objects[0].rect, centred = objects[1].rect, toTheRight = objects[2].rect;
    const int32_t anchor = story.look.pictures[objects[0].look].pos, end = anchor + 1 + static_cast<int32_t>(words.size());

    // The first line starts right of the drawing at its top; the last, below it, at the column's left.
    EXPECT_NEAR(drawnAt(main, anchor + 1).y(), left.top(), 1);
    EXPECT_GE(drawnAt(main, anchor + 1).x(), left.right());
    const QPointF last = drawnAt(main, end - 1);
    EXPECT_GE(last.y(), left.bottom());
    int32_t lineStart = end - 1;
    while (drawnAt(main, lineStart - 1).y() == last.y())
        --lineStart;
    EXPECT_NEAR(drawnAt(main, lineStart).x(), left.left(), 1);
    // Each character is drawn at its own position and maps back to it; the anchor, drawn nowhere,
    // shares the first one.
    for (int32_t q = anchor + 1; q < end; ++q) {
        ASSERT_EQ(main->document()->characterAt(main->displayPosition(q)), story.text[q]) << q;
        ASSERT_EQ(main->storyPosition(main->displayPosition(q)), q == anchor + 1 ? anchor : q) << q;
    }
    const host::PageFrame& frame = main->frameOf(main->pages()[0]);
    const int32_t centredText = story.look.pictures[objects[1].look].pos + 1;
    EXPECT_NEAR(drawnAt(main, centredText).y(), centred.top(), 1);
    EXPECT_NEAR(drawnAt(main, centredText).x(), frame.left, 1);
    EXPECT_LE(drawnAt(main, centredText + 9).x(), centred.left());   // "left of it" ends before it
    const int32_t rightText = story.look.pictures[objects[2].look].pos + 1;
    EXPECT_NEAR(drawnAt(main, rightText).y(), toTheRight.top(), 1);
    EXPECT_GE(drawnAt(main, rightText).x(), toTheRight.right());
    const int32_t unmoved = story.look.pictures[objects[3].look].pos + 1;
    EXPECT_NEAR(drawnAt(main, unmoved).y(), objects[3].rect.top(), 1);
    EXPECT_NEAR(drawnAt(main, unmoved).x(), frame.left, 1);
}

TEST_F(HostTest, TypingDeletingAndEnterAtTheStartOfAParagraphBesideADrawingReachTheModelWhereTheCaretIs)
{
    const QString words = QStringLiteral("beside the picture ").repeated(20);
    const QString drawing = anchored(position("H", "column", "left") + position("V", "paragraph", "0"), "<wp:wrapSquare/>",
                                     picture("rIdImg"), 1428750, 952500);
    const QString path = dir.filePath("typing.docx");
    DocxBuilder().body(para(run("first")) + para(drawing + run(words)))
        .relationship("rIdImg", "image", "media/blue.png").raw("word/media/blue.png", bluePng()).save(path);
    start({path});
    host::StoryView* main = windowOf(1)->mainView();
    const word::DocumentPtr doc = app()->ActiveDocument();
    const auto text = [&] { return doc->story(0).text; };
    const auto anchor = [&] { return doc->story(0).look.pictures.at(0).pos; };
    const int32_t start = anchor();
    ASSERT_EQ(text().mid(start - 1, 3), QStringLiteral("\r") + QChar(docx::cp::ShapeAnchor) + u'b');
    const auto caret = [&] { return main->storyPosition(main->textCursor().position()); };
    const auto besideDrawing = [&] {
        const std::vector<host::PageObject>& objects = windowOf(1)->pageObjects();
        return objects.size() == 1 && drawnAt(main, anchor() + 1).x() >= objects[0].rect.right()
               && std::abs(drawnAt(main, anchor() + 1).y() - objects[0].rect.top()) < 1;
    };
    ASSERT_TRUE(besideDrawing());
    QString refused;
    QObject::connect(main->findChild<host::StoryEditor*>(), &host::StoryEditor::refused, [&](const QString& r) { refused = r; });

    // Typed where the paragraph starts, on either side of the anchor, the letters go there in
    // order, the caret after them, and the lines still run beside the drawing.
    for (const int32_t at : {start, start + 1}) {
        main->selectStory(at, at);
        QTest::keyClicks(main, "XY");
        EXPECT_EQ(text().mid(start, 5).remove(QChar(docx::cp::ShapeAnchor)), QStringLiteral("XYbe")) << at;
        EXPECT_EQ(text().mid(caret() - 2, 3), QStringLiteral("XYb")) << at;
        EXPECT_EQ(refused, QString()) << at;
        EXPECT_TRUE(besideDrawing()) << at;
        EXPECT_EQ(main->document()->toPlainText().count(QStringLiteral("XYbeside")), 1) << at;
        QTest::keyClick(main, Qt::Key_Backspace);
        QTest::keyClick(main, Qt::Key_Backspace);
        EXPECT_EQ(text().mid(start - 1, 3), QStringLiteral("\r") + QChar(docx::cp::ShapeAnchor) + u'b') << at;
        EXPECT_EQ(main->displayPosition(caret()), main->displayPosition(start)) << at;
    }

    // The arrow keys step over the room kept for the drawing: Left from the text's start goes to
    // the end of the paragraph before, Right from there back to the text's start.
    main->selectStory(start + 1, start + 1);
    QTest::keyClick(main, Qt::Key_Left);
    EXPECT_EQ(caret(), start - 1);
    EXPECT_FALSE(main->textCursor().hasSelection());
    QTest::keyClick(main, Qt::Key_Right);
    EXPECT_EQ(main->textCursor().position(), main->displayPosition(start + 1));

    // Delete there takes the paragraph's first letter; Backspace there joins the paragraph to
    // the one before, as the drawing's anchor goes with its text.
    main->selectStory(start + 1, start + 1);
    QTest::keyClick(main, Qt::Key_Delete);
    EXPECT_EQ(text().mid(start + 1, 3), QStringLiteral("esi"));
    QTest::keyClick(main, Qt::Key_Backspace);
    EXPECT_EQ(text().left(7), QStringLiteral("first") + QChar(docx::cp::ShapeAnchor) + u'e');
    EXPECT_EQ(caret(), start - 1);
    // Enter splits them again: the drawing stays with its text, the caret at its paragraph's start.
    QTest::keyClick(main, Qt::Key_Return);
    EXPECT_EQ(text().left(8), QStringLiteral("first\r") + QChar(docx::cp::ShapeAnchor) + u'e');
    EXPECT_EQ(anchor(), start);
    EXPECT_GE(caret(), start);
    EXPECT_LE(caret(), start + 1);
    EXPECT_TRUE(besideDrawing());
}

TEST_F(HostTest, AWrappedDrawingPlacedAgainstThePageKeepsTheTextClearOfItOnItsPage)
{
    // 150 x 100 px pictures anchored at their page's first paragraph, 300 px down the page: the
    // lines run beside the square wrapped one, and go on below the one wrapped above and below.
    const QString words = QStringLiteral("around the drawing 図の周り ").repeated(40);
    const auto drawing = [](const char* wrap) {
        return anchored(position("H", "column", "left") + position("V", "page", "2857500"), wrap, picture("rIdImg"),
                        1428750, 952500);
    };
    const QString path = dir.filePath("page-anchored.docx");
    DocxBuilder().body(para(drawing("<wp:wrapSquare/>") + run("first")) + para(run(words))
                       + para(drawing("<wp:wrapTopAndBottom/>") + run("second"), "<w:pageBreakBefore/>") + para(run(words)))
        .relationship("rIdImg", "image", "media/blue.png").raw("word/media/blue.png", bluePng()).save(path);
    start({path});
    host::StoryView* main = windowOf(1)->mainView();
    const docx::Story& story = app()->ActiveDocument()->model().stories[0];
    const std::vector<host::PageObject>& objects = windowOf(1)->pageObjects();
    ASSERT_EQ(objects.size(), 2u);
    for (size_t k = 0; k < 2; ++k) {
        const host::PageObject& object = objects[k];
        EXPECT_EQ(object.page, static_cast<int>(k));
        EXPECT_NEAR(object.rect.top(), main->pages()[k].top + 300, 1);
        int beside = 0, clashes = 0;
        const int32_t from = story.look.pictures[object.look].pos + 1;
        const int32_t to = from + 7 + static_cast<int32_t>(words.size());   // "first" or "second", then the words
        for (int32_t q = from; q < to; ++q) {
            if (story.text[q] == QChar(docx::cp::ParagraphMark))
                continue;
            const QRectF box = drawnBox(main, q);
            clashes += box.intersects(object.rect);
            beside += box.bottom() > object.rect.top() && box.top() < object.rect.bottom();
        }
        EXPECT_EQ(clashes, 0) << k;
        if (k == 0)
            EXPECT_GT(beside, 100) << "the lines run beside it";
        else
            EXPECT_EQ(beside, 0) << "the lines go on below it";
    }
}

TEST_F(HostTest, AWrappedDrawingPlacedAgainstThePageOnAPagePagedLaterKeepsTheTextClearOfItAlsoAfterAnEditAbove)
{
    // A 150 x 100 px square wrapped picture 300 px down the page its anchor is on, the twelfth,
    // which is paged from the event loop after the window has opened; one-line paragraphs, then a
    // long one, beside it.
    const QString words = QStringLiteral("around the drawing 図の周り ").repeated(40);
    QString lines;
    for (int i = 0; i < 12; ++i)
        lines += para(run(QStringLiteral("line %1 around the drawing 図の周り").arg(i)));
    const QString drawing = anchored(position("H", "column", "left") + position("V", "page", "2857500"), "<wp:wrapSquare/>",
                                     picture("rIdImg"), 1428750, 952500);
    const QString path = dir.filePath("late-page.docx");
    DocxBuilder().body(fillFirstPage().repeated(11) + para(drawing + run("first")) + lines + para(run(words)))
        .relationship("rIdImg", "image", "media/blue.png").raw("word/media/blue.png", bluePng()).save(path);
    start({path});
    host::StoryView* main = windowOf(1)->mainView();
    const word::DocumentPtr doc = app()->ActiveDocument();
    const auto anchor = [&] { return doc->story(0).look.pictures.at(0).pos; };
    ASSERT_GE(main->displayPosition(anchor()), main->pagedTo()) << "paged at once";

    const auto check = [&](const char* when) {
        ASSERT_TRUE(QTest::qWaitFor([main] { return main->pagingDone(); }, 60000)) << when;
        const std::vector<host::PageObject>& objects = windowOf(1)->pageObjects();
        ASSERT_EQ(objects.size(), 1u) << when;
        const QRectF rect = objects[0].rect;
        EXPECT_NEAR(rect.top(), main->pages()[static_cast<size_t>(objects[0].page)].top + 300, 1) << when;
        const QString& text = doc->story(0).text;
        int beside = 0, clashes = 0;
        double below = std::numeric_limits<double>::max();   // the first line under the picture, across the column
        for (int32_t q = anchor() + 1; q + 1 < static_cast<int32_t>(text.size()); ++q) {
            if (text[q] == QChar(docx::cp::ParagraphMark))
                continue;
            const QRectF box = drawnBox(main, q);
            clashes += box.intersects(rect);
            beside += box.bottom() > rect.top() && box.top() < rect.bottom();
            if (box.top() >= rect.bottom() && box.left() < rect.right())
                below = std::min(below, box.top());
            if (q > anchor() + 1) {   // the anchor takes no drawn position: "f" is drawn where it is
                ASSERT_EQ(main->storyPosition(main->displayPosition(q)), q) << when;
            }
        }
        EXPECT_EQ(clashes, 0) << when;
        EXPECT_GT(beside, 50) << when << ": the lines run beside it";
        EXPECT_LT(below - rect.bottom(), 10) << when << ": and go on just below it";
    };
    check("opened");

    // Enter in the first paragraph moves every line after it down one: the room moves with the
    // picture's paragraph only as far as it stays clear of the picture, which stays where it is.
    const int32_t inside = 10;
    main->selectStory(inside, inside);
    const QTextDocument* drawn = main->document();
    QTest::keyClick(main, Qt::Key_Return);
    ASSERT_EQ(main->document(), drawn) << "drawn in place";
    ASSERT_EQ(doc->story(0).text.mid(inside, 1), QStringLiteral("\r"));
    check("after Enter above");
    // Typed there, the letters are drawn where the model has them.
    main->selectStory(inside + 1, inside + 1);
    QTest::keyClicks(main, "XY");
    ASSERT_EQ(doc->story(0).text.mid(inside, 3), QStringLiteral("\rXY"));
    EXPECT_EQ(main->document()->toPlainText().mid(main->displayPosition(inside + 1), 2), QStringLiteral("XY"));
    check("after typing above");
}
