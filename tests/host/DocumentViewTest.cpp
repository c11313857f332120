// The document window draws the document as a document: tables, list labels, pictures, zoom,
// one selection per document.
#include "host/StoryView.h"
#include "host/ZoomDialog.h"
#include "platform/word/Document.h"
#include "platform/word/Find.h"
#include "platform/word/Range.h"
#include "platform/word/Window.h"
#include "tests/host/HostFixture.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QAbstractButton>
#include <QBuffer>
#include <QButtonGroup>
#include <QImage>
#include <QLabel>
#include <QScrollBar>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTextTable>
#include <QTimer>

using namespace hostfixture;

namespace {

word::RangePtr found(const word::DocumentPtr& doc, const QString& text)
{
    word::RangePtr r = doc->StoryRanges()->Item(1);
    r->Find()->setText(text);
    return r->Find()->Execute() ? r : nullptr;
}

QString tc(const QString& text, const QString& tcPr = {})
{
    return "<w:tc>" + (tcPr.isEmpty() ? QString() : "<w:tcPr>" + tcPr + "</w:tcPr>") + para(run(text)) + "</w:tc>";
}

} // namespace

TEST_F(HostTest, TablesAreDrawnWithTheirMergedCellsAndAHitInOneIsSelected)
{
    const QString path = dir.filePath("merged.docx");
    DocxBuilder()
        .body("<w:tbl><w:tblGrid><w:gridCol w:w=\"1500\"/><w:gridCol w:w=\"1500\"/><w:gridCol w:w=\"1500\"/></w:tblGrid>"
              "<w:tr>" + tc("wide 資料", "<w:gridSpan w:val=\"2\"/>") + tc("tall", "<w:vMerge w:val=\"restart\"/>") + "</w:tr>"
              "<w:tr>" + tc("a") + tc("b") + tc("", "<w:vMerge/>") + "</w:tr></w:tbl>" + para(run("after")))
        .save(path);
    start({path});
    host::StoryView* main = windowOf(1)->mainView();
    QTextTable* table = firstTable(main);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rows(), 2);
    EXPECT_EQ(table->columns(), 3);
    EXPECT_EQ(table->cellAt(0, 0).columnSpan(), 2);
    EXPECT_EQ(table->cellAt(0, 2).rowSpan(), 2);
    EXPECT_EQ(cellText(table, 0, 0), QStringLiteral("wide 資料"));
    EXPECT_EQ(cellText(table, 1, 1), QStringLiteral("b"));
    EXPECT_EQ(main->document()->lastBlock().previous().text(), QStringLiteral("after"));

    const word::DocumentPtr doc = app()->ActiveDocument();
    for (const char* text : {"資料", "b", "after"}) {
        const word::RangePtr hit = found(doc, QString::fromUtf8(text));
        ASSERT_NE(hit, nullptr) << text;
        hit->Select();
        EXPECT_EQ(main->textCursor().selectedText(), QString::fromUtf8(text));
    }
}

TEST_F(HostTest, ListLabelsAreDrawnButAreNotTextAndPicturesShowAtTheirSize)
{
    QImage png(40, 20, QImage::Format_RGB32);
    png.fill(Qt::blue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    png.save(&buffer, "PNG");
    const QString numPr = "<w:numPr><w:ilvl w:val=\"0\"/><w:numId w:val=\"1\"/></w:numPr>";
    const QString path = dir.filePath("list.docx");
    DocxBuilder()
        .body(para(run("first"), numPr) + para(run("second"), numPr)
              + para(run("logo ") + "<w:r><w:drawing><wp:inline><wp:extent cx=\"952500\" cy=\"476250\"/>"
                     "<a:graphic><a:graphicData><a:blip r:embed=\"rIdImg\"/></a:graphicData></a:graphic></wp:inline></w:drawing></w:r>"))
        .part("word/numbering.xml",
              part("numbering", "<w:abstractNum w:abstractNumId=\"0\"><w:lvl w:ilvl=\"0\"><w:start w:val=\"1\"/>"
                                "<w:numFmt w:val=\"decimal\"/><w:lvlText w:val=\"%1.\"/></w:lvl></w:abstractNum>"
                                "<w:num w:numId=\"1\"><w:abstractNumId w:val=\"0\"/></w:num>"))
        .relationship("rIdNum", "numbering", "numbering.xml")
        .relationship("rIdImg", "image", "media/logo.png")
        .raw("word/media/logo.png", bytes)
        .save(path);
    start({path});
    host::StoryView* main = windowOf(1)->mainView();
    EXPECT_TRUE(main->toPlainText().startsWith(QStringLiteral("1.\tfirst\n2.\tsecond\n"))) << main->toPlainText().toStdString();
    const word::DocumentPtr doc = app()->ActiveDocument();
    EXPECT_EQ(found(doc, QStringLiteral("2.")), nullptr);
    found(doc, QStringLiteral("second"))->Select();
    EXPECT_EQ(main->textCursor().selectedText(), QStringLiteral("second"));

    // 952500 EMU is 100 px at 96 dpi; the picture is the image read from the package.
    QTextCursor at(main->document());
    at.setPosition(main->displayPosition(doc->StoryRanges()->Item(1)->Text().indexOf(QChar(1))) + 1);
    const QTextImageFormat image = at.charFormat().toImageFormat();
    ASSERT_TRUE(image.isValid());
    EXPECT_EQ(image.width(), 100);
    EXPECT_EQ(image.height(), 50);
    const QImage drawn = main->document()->resource(QTextDocument::ImageResource, QUrl(image.name())).value<QImage>();
    EXPECT_EQ(drawn.pixelColor(5, 5), QColor(Qt::blue));
}

TEST_F(HostTest, ADocumentHasOneSelectionAndTheStatusBarFollowsTheKeyboardCaret)
{
    start({report});
    const word::DocumentPtr doc = app()->ActiveDocument();
    host::DocumentWindow* window = windowOf(1);
    word::RangePtr note = doc->StoryRanges()->Item(2);
    note->Find()->setText(QStringLiteral("資料"));
    ASSERT_TRUE(note->Find()->Execute());
    note->Select();
    host::StoryView* noteView = window->shownView(note->storyIndex());
    ASSERT_NE(noteView, nullptr);
    EXPECT_TRUE(noteView->textCursor().hasSelection());

    found(doc, QStringLiteral("Alpha"))->Select();
    EXPECT_FALSE(noteView->textCursor().hasSelection());
    EXPECT_EQ(window->mainView()->textCursor().selectedText(), QStringLiteral("Alpha"));

    window->mainView()->setFocus();
    QTest::keyClick(window->mainView(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(window->currentSection(), 1);
    EXPECT_TRUE(window->statusBar()->currentMessage().endsWith(QStringLiteral("セクション 2")))
        << window->statusBar()->currentMessage().toStdString();
}

TEST_F(HostTest, ZoomRedrawsEveryStoryLargerAndThePageIndicatorCountsPages)
{
    start({report});
    host::DocumentWindow* window = windowOf(1);
    host::StoryView* main = window->mainView();
    const auto sizeOfAlpha = [main] {
        QTextCursor c(main->document());
        c.setPosition(1);
        return c.charFormat().fontPointSize();
    };
    const double before = sizeOfAlpha();
    const qreal headerWidth = window->headerView()->document()->idealWidth();
    window->setZoom(2.0);
    EXPECT_DOUBLE_EQ(sizeOfAlpha(), before * 2);
    EXPECT_GT(window->headerView()->document()->idealWidth(), headerWidth * 1.5);
    const word::RangePtr hit = found(app()->ActiveDocument(), QStringLiteral("last"));
    hit->Select();
    EXPECT_EQ(main->textCursor().selectedText(), QStringLiteral("last"));

    QStringList shown;
    for (QLabel* label : window->statusBar()->findChildren<QLabel*>())
        shown << label->text();
    EXPECT_TRUE(shown.contains(QStringLiteral("200%"))) << shown.join(u'|').toStdString();
    EXPECT_TRUE(shown.filter(QRegularExpression(QStringLiteral("^\\d+ / \\d+ ページ$"))).size() == 1)
        << shown.join(u'|').toStdString();
}

TEST_F(HostTest, TheViewMenuChecksPrintLayoutAndHeadersAsTheActiveViewHasThem)
{
    start({report});
    QMainWindow* window = windowOf(1);
    const word::ViewPtr view = app()->ActiveDocument()->ActiveWindow()->View();
    const auto checked = [&window](const char* caption) {
        const QAction* a = menuItem(window, QStringLiteral("表示(&V)"), QString::fromUtf8(caption));
        return a && a->isCheckable() && a->isChecked();
    };
    view->setType(word::wdPrintView);
    EXPECT_TRUE(checked("印刷レイアウト"));
    EXPECT_FALSE(checked("ヘッダーとフッター"));
    menuItem(window, QStringLiteral("表示(&V)"), QStringLiteral("ヘッダーとフッター"))->trigger();
    EXPECT_TRUE(checked("ヘッダーとフッター"));
    view->setType(word::wdNormalView);
    EXPECT_FALSE(checked("印刷レイアウト"));
    app()->ActiveDocument()->Close();
    window = host->applicationWindow();   // no document: nothing is checked
    EXPECT_FALSE(checked("ヘッダーとフッター"));
}

TEST_F(HostTest, PagesBreakWhereTheTextSaysAndOnlyASectionsFirstPageTakesItsFirstPageHeader)
{
    const QString pageBreak = "<w:r><w:br w:type=\"page\"/></w:r>";
    const QString path = dir.filePath("pages.docx");
    DocxBuilder()
        .body(para(run("one")) + para(pageBreak + run("two")) + para(run("end of section"),
              "<w:sectPr><w:headerReference w:type=\"default\" r:id=\"rIdH\"/><w:headerReference w:type=\"first\" r:id=\"rIdF\"/>"
              "<w:titlePg/></w:sectPr>")
              + para(run("second section")) + "<w:sectPr><w:titlePg/></w:sectPr>")
        .part("word/header1.xml", headerFooter("hdr", "Every page"))
        .part("word/header2.xml", headerFooter("hdr", "First page"))
        .relationship("rIdH", "header", "header1.xml")
        .relationship("rIdF", "header", "header2.xml")
        .save(path);
    start({path});
    host::DocumentWindow* window = windowOf(1);
    const word::DocumentPtr doc = app()->ActiveDocument();
    ASSERT_EQ(window->mainView()->pages().size(), 3u);
    const int first = doc->StoryRanges()->Item(docx::wdFirstPageHeaderStory)->storyIndex();
    const int every = doc->StoryRanges()->Item(docx::wdPrimaryHeaderStory)->storyIndex();
    EXPECT_EQ(window->headerFooterOfPage(0, false), first);
    EXPECT_EQ(window->headerFooterOfPage(1, false), every);
    EXPECT_EQ(window->headerFooterOfPage(2, false), first);   // the second section's first page, linked
    EXPECT_EQ(window->headerFooterOfPage(0, true), -1);

    const word::RangePtr hit = found(doc, QStringLiteral("second section"));
    hit->Select();
    EXPECT_EQ(window->mainView()->textCursor().selectedText(), QStringLiteral("second section"));
    EXPECT_EQ(window->mainView()->pageOfPosition(window->mainView()->textCursor().position()), 2);
}

TEST_F(HostTest, ANestedTableIsDrawnInsideItsCellAndAnEditBeforeATableKeepsItDrawn)
{
    const QString inner = "<w:tbl><w:tr>" + tc("in 1") + tc("in 2") + "</w:tr></w:tbl>";
    const QString path = dir.filePath("nested.docx");
    DocxBuilder()
        .body(para(run("lead")) + "<w:tbl><w:tr><w:tc>" + inner + para(run("after inner")) + "</w:tc>" + tc("right")
              + "</w:tr></w:tbl>" + para(run("tail")))
        .save(path);
    start({path});
    host::StoryView* main = windowOf(1)->mainView();
    const auto check = [&] {
        QTextTable* outer = firstTable(main);
        ASSERT_NE(outer, nullptr);
        ASSERT_EQ(outer->columns(), 2);
        EXPECT_EQ(cellText(outer, 0, 1), QStringLiteral("right"));
        QTextTable* nested = nullptr;
        for (QTextFrame* f : outer->childFrames())
            nested = qobject_cast<QTextTable*>(f);
        ASSERT_NE(nested, nullptr);
        EXPECT_EQ(cellText(nested, 0, 1), QStringLiteral("in 2"));
        EXPECT_TRUE(cellText(outer, 0, 0).endsWith(QStringLiteral("after inner")));
    };
    check();
    // Looks move with the text an edit inserts before them.
    word::RangePtr lead = app()->ActiveDocument()->StoryRanges()->Item(1);
    lead->setEnd(4);
    lead->setText(QStringLiteral("a longer lead"));
    check();
    // Replace All changes many places in one step, its undo puts them back: the looks follow both.
    word::RangePtr all = app()->ActiveDocument()->StoryRanges()->Item(1);
    all->Find()->setText(QStringLiteral("in"));
    all->Find()->Replacement()->setText(QStringLiteral("inside"));
    ASSERT_TRUE(all->Find()->Execute(word::wdReplaceAll));
    QTextTable* nestedAfter = nullptr;
    for (QTextFrame* f : firstTable(main)->childFrames())
        nestedAfter = qobject_cast<QTextTable*>(f);
    ASSERT_NE(nestedAfter, nullptr);
    EXPECT_EQ(cellText(nestedAfter, 0, 1), QStringLiteral("inside 2"));
    ASSERT_TRUE(app()->ActiveDocument()->Undo());
    check();
    const word::RangePtr hit = found(app()->ActiveDocument(), QStringLiteral("in 2"));
    hit->Select();
    EXPECT_EQ(main->textCursor().selectedText(), QStringLiteral("in 2"));
}

TEST_F(HostTest, AFootnoteIsDrawnAtTheFootOfItsPageAndEachSectionHasItsOwnPageSize)
{
    // 70 paragraphs of text push the reference onto the second page; the second section is a
    // landscape A4 page with its own margins.
    QString body;
    for (int i = 0; i < 70; ++i)
        body += para(run(QStringLiteral("Paragraph %1 fills a line of the page.").arg(i)));
    body += para(run("noted") + "<w:r><w:footnoteReference w:id=\"1\"/></w:r>");
    body += para(run("end of portrait"), "<w:sectPr><w:pgSz w:w=\"11906\" w:h=\"16838\"/></w:sectPr>");
    body += para(run("landscape text")) + "<w:sectPr><w:pgSz w:w=\"16838\" w:h=\"11906\" w:orient=\"landscape\"/>"
            "<w:pgMar w:top=\"900\" w:bottom=\"900\" w:left=\"3000\" w:right=\"900\" w:header=\"400\" w:footer=\"400\"/></w:sectPr>";
    const QString path = dir.filePath("notes.docx");
    DocxBuilder()
        .body(body)
        .part("word/footnotes.xml",
              QString("<w:footnotes %1><w:footnote w:id=\"1\">%2</w:footnote></w:footnotes>")
                  .arg(DocxBuilder::kNamespaces, para("<w:r><w:footnoteRef/></w:r>" + run(" The note 脚注 text"))))
        .save(path);
    start({path});
    host::DocumentWindow* window = windowOf(1);
    host::StoryView* main = window->mainView();
    const word::DocumentPtr doc = app()->ActiveDocument();
    const std::vector<host::Page>& pages = main->pages();
    ASSERT_GE(pages.size(), 3u);

    const word::RangePtr ref = found(doc, QStringLiteral("noted"));
    ASSERT_NE(ref, nullptr);
    const int refPage = main->pageOfPosition(main->displayPosition(ref->End()));
    EXPECT_GE(refPage, 1);
    for (size_t k = 0; k < pages.size(); ++k)
        EXPECT_EQ(pages[k].notes.size(), static_cast<int>(k) == refPage ? 1u : 0u) << k;
    const host::Page& notePage = pages[static_cast<size_t>(refPage)];
    const host::PageFrame& portrait = main->frameOf(notePage);
    EXPECT_EQ(portrait.width, 11906 / 15);
    // The note stands above the page's bottom margin, below the page's text.
    const double noteTop = notePage.notes.front().y;
    EXPECT_LT(noteTop, notePage.top + portrait.height - portrait.bottom);
    EXPECT_GT(noteTop, notePage.top + portrait.height / 2.0);
    QTextBlock block = main->document()->findBlock(main->displayPosition(ref->End()));
    EXPECT_LT(main->document()->documentLayout()->blockBoundingRect(block).bottom(), notePage.footnotesTop);

    // The landscape section's page is its own: wider than tall, its text at its left margin.
    const host::Page& last = pages.back();
    const host::PageFrame& landscape = main->frameOf(last);
    EXPECT_EQ(landscape.width, 16838 / 15);
    EXPECT_EQ(landscape.height, 11906 / 15);
    EXPECT_EQ(landscape.left, 3000 / 15);
    const word::RangePtr wide = found(doc, QStringLiteral("landscape text"));
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(main->pageOfPosition(main->displayPosition(wide->Start())), static_cast<int>(pages.size()) - 1);
    const QTextBlock wideBlock = main->document()->findBlock(main->displayPosition(wide->Start()));
    EXPECT_NEAR(wideBlock.layout()->position().x() + wideBlock.layout()->lineAt(0).x(), landscape.left, 1);

    // A hit in the note scrolls the main text to where its page draws it.
    main->verticalScrollBar()->setValue(0);
    word::RangePtr note = doc->StoryRanges()->Item(docx::wdFootnotesStory);
    note->Find()->setText(QStringLiteral("脚注"));
    ASSERT_TRUE(note->Find()->Execute());
    note->Select();
    const int shownFrom = main->verticalScrollBar()->value();
    EXPECT_GE(noteTop, shownFrom);
    EXPECT_LE(noteTop, shownFrom + main->viewport()->height());

    // A longer note takes more of its page's foot.
    note->setText(QStringLiteral("a note grown long enough to need several lines at the foot of the page. ").repeated(8));
    const std::vector<host::Page>& repaged = main->pages();
    ASSERT_GT(repaged.size(), static_cast<size_t>(refPage));
    ASSERT_EQ(repaged[static_cast<size_t>(refPage)].notes.size(), 1u);
    EXPECT_LT(repaged[static_cast<size_t>(refPage)].notes.front().y, noteTop - 40);
}

TEST_F(HostTest, AVeryLongParagraphIsDrawnInPiecesAndItsHitsAreStillSelectedExactly)
{
    // 30,000 characters in one run, a hit at its very end; and one 24,000-letter word.
    const QString words = QStringLiteral("word ").repeated(6000);
    const QString word = QString(24000, u'x');
    const QString path = dir.filePath("long.docx");
    DocxBuilder().body(para(run(words + "needle")) + para(run(word + "pin")) + para(run("after"))).save(path);
    start({path});
    host::StoryView* main = windowOf(1)->mainView();
    int longest = 0;
    for (QTextBlock b = main->document()->begin(); b.isValid(); b = b.next())
        longest = std::max(longest, b.length());
    EXPECT_LE(longest, 11001);
    EXPECT_GT(main->document()->blockCount(), 6);
    // The pieces are the story's text, in order, with nothing added but the breaks between them.
    QString drawn = main->toPlainText();
    drawn.remove(u'\n');
    EXPECT_TRUE(drawn.startsWith(words + "needle" + word + "pin" + "after")) << drawn.size();

    const word::DocumentPtr doc = app()->ActiveDocument();
    for (const char* text : {"needle", "pin", "after"}) {
        const word::RangePtr hit = found(doc, QString::fromUtf8(text));
        ASSERT_NE(hit, nullptr) << text;
        hit->Select();
        EXPECT_EQ(main->textCursor().selectedText(), QString::fromUtf8(text));
        EXPECT_EQ(main->storyPosition(main->textCursor().selectionStart()), hit->Start());
    }
    // A selection across a break reports the story's span, the break taking no position.
    const int end = main->displayPosition(12000);
    QTextCursor across(main->document());
    across.setPosition(main->displayPosition(9000));
    across.setPosition(end, QTextCursor::KeepAnchor);
    ASSERT_GT(end - main->displayPosition(9000), 3000);   // the break is drawn in between
    EXPECT_EQ(main->storyPosition(across.selectionStart()), 9000);
    EXPECT_EQ(main->storyPosition(across.selectionEnd()), 12000);
}

TEST_F(HostTest, ALongStoryIsPagedInStepsWithEachSectionsPagesAndItsFootnotesAtTheirPagesFoot)
{
    // Over 400,000 characters in two sections, the second on landscape pages, with a footnote near
    // the end: the first pages are there at once, the rest come from the event loop.
    QString body;
    for (int i = 0; i < 4200; ++i)
        body += para(run(QStringLiteral("Line %1 of a long story, padded out to about a hundred characters of text in all.").arg(i, 5)),
                     i == 2100 ? "<w:sectPr><w:pgSz w:w=\"11906\" w:h=\"16838\"/></w:sectPr>" : "");
    body += para(run("noted") + "<w:r><w:footnoteReference w:id=\"1\"/></w:r>");
    body += para("<w:r><w:br w:type=\"page\"/></w:r>" + run("after the break"))
            + "<w:sectPr><w:pgSz w:w=\"16838\" w:h=\"11906\" w:orient=\"landscape\"/></w:sectPr>";
    const QString path = dir.filePath("longstory.docx");
    DocxBuilder()
        .body(body)
        .part("word/footnotes.xml", QString("<w:footnotes %1><w:footnote w:id=\"1\">%2</w:footnote></w:footnotes>")
                                        .arg(DocxBuilder::kNamespaces, para("<w:r><w:footnoteRef/></w:r>" + run(" The note"))))
        .save(path);
    start({path});
    host::DocumentWindow* window = windowOf(1);
    host::StoryView* main = window->mainView();
    const auto indicator = [&] {
        QStringList shown;
        for (QLabel* label : window->statusBar()->findChildren<QLabel*>())
            shown << label->text();
        return shown.filter(QRegularExpression(QStringLiteral("^\\d+ / %1 ページ$").arg(main->pages().size())));
    };
    ASSERT_FALSE(main->pagingDone());
    EXPECT_LT(main->pages().size(), 20u);
    EXPECT_EQ(indicator().size(), 1);   // the pages paged so far
    ASSERT_TRUE(QTest::qWaitFor([main] { return main->pagingDone(); }, 60000));
    const std::vector<host::Page>& pages = main->pages();
    ASSERT_GT(pages.size(), 50u);
    EXPECT_EQ(indicator().size(), 1);
    // Every line stands inside its page's body, on pages of its section.
    const QAbstractTextDocumentLayout* layout = main->document()->documentLayout();
    for (QTextBlock b = main->document()->begin(); b.isValid(); b = b.next()) {
        const QRectF r = layout->blockBoundingRect(b);
        for (int k = 0; k < b.layout()->lineCount(); ++k) {
            const QTextLine line = b.layout()->lineAt(k);
            const double top = r.top() + line.y() - b.layout()->lineAt(0).y();
            const host::Page& page = pages[static_cast<size_t>(main->pageAt(top + 1))];
            const host::PageFrame& frame = main->frameOf(page);
            ASSERT_GE(top, page.top + frame.top - 0.5) << b.blockNumber();
            ASSERT_LE(top + line.height(), page.top + frame.height - frame.bottom + 0.5) << b.blockNumber();
        }
    }
    const auto pageOf = [&](const QString& text) {
        const word::RangePtr hit = found(app()->ActiveDocument(), text);
        EXPECT_NE(hit, nullptr) << text.toStdString();
        hit->Select();
        return main->pageOfPosition(main->textCursor().selectionStart());
    };
    const host::PageFrame& first = main->frameOf(pages.front());
    const host::PageFrame& last = main->frameOf(pages.back());
    EXPECT_LT(first.width, first.height);
    EXPECT_GT(last.width, last.height);
    EXPECT_EQ(pages[static_cast<size_t>(pageOf(QStringLiteral("Line  2101")))].section, 1);
    // The footnote at the foot of its reference's page; the page break starts the last page.
    const host::Page& noted = pages[static_cast<size_t>(pageOf(QStringLiteral("noted")))];
    ASSERT_EQ(noted.notes.size(), 1u);
    EXPECT_GT(noted.footnotesTop, noted.top + last.height / 2);
    EXPECT_EQ(pageOf(QStringLiteral("after the break")), static_cast<int>(pages.size()) - 1);
    const double top = layout->blockBoundingRect(main->document()->findBlock(main->textCursor().selectionStart())).top();
    EXPECT_NEAR(top, pages.back().top + last.top, 1);
}

TEST_F(HostTest, TheViewMenusZoomDialogIsWorkedByTheKeyboardAndFitsThePageWidth)
{
    start({report});
    host::DocumentWindow* window = windowOf(1);
    window->resize(1000, 760);
    QAction* zoom = menuItem(window, QStringLiteral("表示(&V)"), QStringLiteral("ズーム…"));
    ASSERT_NE(zoom, nullptr);
    // Each time the dialog opens, `act` works it, then Return accepts it.
    const auto choose = [&](const std::function<void(host::ZoomDialog*)>& act) {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<host::ZoomDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            seen = true;
            act(dialog);
            QTest::keyClick(dialog, Qt::Key_Return);
        });
        zoom->trigger();
        return seen;
    };
    // Alt+2 chooses 200 %: a mnemonic clicks as a mouse would, released a moment later.
    ASSERT_TRUE(choose([](host::ZoomDialog* dialog) {
        dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
        QTest::keyClick(dialog, Qt::Key_2, Qt::AltModifier);
        EXPECT_TRUE(QTest::qWaitFor([dialog] { return dialog->percentBox()->value() == 200; }, 3000));
    }));
    EXPECT_DOUBLE_EQ(window->zoom(), 2.0);
    ASSERT_TRUE(choose([](host::ZoomDialog* dialog) {
        QAbstractButton* pageWidth = dialog->choices()->buttons().last();
        EXPECT_EQ(pageWidth->text(), QStringLiteral("ページ幅(&P)"));
        QTest::mouseClick(pageWidth, Qt::LeftButton);
    }));
    const host::StoryView* main = window->mainView();
    const double page = main->frameOf(main->pages().front()).width;
    const int room = main->width();
    EXPECT_LE(page, room - main->verticalScrollBar()->sizeHint().width());
    EXPECT_GT(page, room * 0.85);
}

TEST_F(HostTest, AFootnoteIsLaidOutAtTheWidthOfItsOwnSectionsPage)
{
    // The same long note referred to from a portrait page and from a landscape one.
    const QString note = run(QStringLiteral("a note long enough to wrap over several lines of its page. ").repeated(6));
    QString body = para(run("portrait") + "<w:r><w:footnoteReference w:id=\"1\"/></w:r>",
                        "<w:sectPr><w:pgSz w:w=\"11906\" w:h=\"16838\"/></w:sectPr>");
    body += para(run("landscape") + "<w:r><w:footnoteReference w:id=\"2\"/></w:r>")
            + "<w:sectPr><w:pgSz w:w=\"16838\" w:h=\"11906\" w:orient=\"landscape\"/></w:sectPr>";
    const QString path = dir.filePath("wide-notes.docx");
    DocxBuilder()
        .body(body)
        .part("word/footnotes.xml",
              QString("<w:footnotes %1><w:footnote w:id=\"1\">%2</w:footnote><w:footnote w:id=\"2\">%2</w:footnote></w:footnotes>")
                  .arg(DocxBuilder::kNamespaces, para("<w:r><w:footnoteRef/></w:r>" + note)))
        .save(path);
    start({path});
    host::StoryView* main = windowOf(1)->mainView();
    const std::vector<host::Page>& pages = main->pages();
    ASSERT_EQ(pages.size(), 2u);
    // A page's notes reach from below the separator's gap down to its body's foot.
    const auto notesHeight = [&](const host::Page& page) {
        const host::PageFrame& frame = main->frameOf(page);
        EXPECT_EQ(page.notes.size(), 1u);
        return page.top + frame.height - frame.bottom - (page.notes.empty() ? 0 : page.notes.front().y);
    };
    const double narrow = notesHeight(pages[0]), wide = notesHeight(pages[1]);
    EXPECT_GT(narrow, 0);
    EXPECT_LT(wide, narrow);   // fewer lines on the wider page
}

TEST_F(HostTest, AContinuousSectionGoesOnOnItsPageAndAnOddPageSectionLeavesABlankPage)
{
    const QString path = dir.filePath("section-starts.docx");
    DocxBuilder()
        .body(para(run("one")) + para(run("end of first"), "<w:sectPr/>")
              + para(run("continuous text"), "<w:sectPr><w:type w:val=\"continuous\"/></w:sectPr>")
              + para(run("odd text")) + "<w:sectPr><w:type w:val=\"oddPage\"/></w:sectPr>")
        .save(path);
    start({path});
    host::StoryView* main = windowOf(1)->mainView();
    const word::DocumentPtr doc = app()->ActiveDocument();
    const auto pageOf = [&](const QString& text) {
        const word::RangePtr hit = found(doc, text);
        return hit ? main->pageOfPosition(main->displayPosition(hit->Start())) : -1;
    };
    ASSERT_EQ(main->pages().size(), 3u);
    EXPECT_EQ(pageOf(QStringLiteral("continuous text")), 0);
    EXPECT_EQ(pageOf(QStringLiteral("odd text")), 2);   // page 3, page 2 left blank
}

TEST_F(HostTest, AHeaderTallerThanItsMarginMovesTheTextBelowIt)
{
    QString tall;
    for (int i = 0; i < 12; ++i)
        tall += para(run(QStringLiteral("header line %1").arg(i)));
    const QString path = dir.filePath("tall-header.docx");
    DocxBuilder()
        .body(para(run("body text")) + "<w:sectPr><w:headerReference w:type=\"default\" r:id=\"rIdH\"/></w:sectPr>")
        .part("word/header1.xml", part("hdr", tall))
        .relationship("rIdH", "header", "header1.xml")
        .save(path);
    start({path});
    host::StoryView* main = windowOf(1)->mainView();
    ASSERT_EQ(main->pages().size(), 1u);
    const host::PageFrame& frame = main->frameOf(main->pages().front());
    EXPECT_GT(frame.top, 1985 / 15);   // more than the default margin: the header's twelve lines
    const QRectF first = main->document()->documentLayout()->blockBoundingRect(main->document()->begin());
    EXPECT_GE(first.top(), frame.top - 1);
}

TEST_F(HostTest, EachPagesTextStartsBelowItsOwnHeaderWhoseDrawingsWrappedAboveAndBelowCount)
{
    // The first page's header: a 300 px tall text box the header's line goes on below; the other
    // pages' header: one line.
    const QString box = anchored(position("H", "column", "0") + position("V", "paragraph", "0"), "<wp:wrapTopAndBottom/>",
                                 textBoxShape("letterhead"), 1905000, 2857500);
    QString body;
    for (int i = 0; i < 120; ++i)
        body += para(run(QStringLiteral("body line %1").arg(i)));
    const QString path = dir.filePath("first-header.docx");
    DocxBuilder()
        .body(body + "<w:sectPr><w:headerReference w:type=\"default\" r:id=\"rIdH\"/>"
                     "<w:headerReference w:type=\"first\" r:id=\"rIdF\"/><w:titlePg/></w:sectPr>")
        .part("word/header1.xml", part("hdr", para(run("every page"))))
        .part("word/header2.xml", part("hdr", para(box + run("under the letterhead"))))
        .relationship("rIdH", "header", "header1.xml")
        .relationship("rIdF", "header", "header2.xml")
        .save(path);
    start({path});
    host::StoryView* main = windowOf(1)->mainView();
    ASSERT_TRUE(QTest::qWaitFor([main] { return main->pagingDone(); }, 60000));
    ASSERT_GE(main->pages().size(), 3u);
    const QTextDocument* doc = main->document();
    const auto firstLineOn = [&](size_t page) {   // the top of the first line of body text on a page
        for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
            const double top = doc->documentLayout()->blockBoundingRect(b).top();
            if (main->pageAt(top + 1) == static_cast<int>(page))
                return top - main->pages()[page].top;
        }
        return -1.0;
    };
    const host::PageFrame first = main->frameOf(main->pages()[0]);
    EXPECT_GT(first.top, first.header + 300) << "below the letterhead and the line under it";
    EXPECT_NEAR(firstLineOn(0), first.top, 1);
    for (size_t page : {1, 2}) {
        const host::PageFrame frame = main->frameOf(main->pages()[page]);
        EXPECT_LT(frame.top, first.header + 100) << page;
        EXPECT_NEAR(firstLineOn(page), frame.top, 1) << page;
    }
}
