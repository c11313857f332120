// Editing in the document window: keystrokes go through the object model, the views draw what the
// model changed, refusals change nothing, and the window knows what is unsaved.
#include "host/StoryEditor.h"
#include "platform/core/Error.h"
#include "platform/docx/Package.h"
#include "platform/docx/ZipReader.h"
#include "platform/word/Document.h"
#include "platform/word/Range.h"
#include "tests/host/HostFixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QInputMethodEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QScrollBar>
#include <QStatusBar>
#include <QAbstractTextDocumentLayout>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <QWindow>

using namespace hostfixture;

namespace {

// Puts the caret just after the first occurrence of text in the view's story, or selects it.
void caretAfter(host::StoryView* view, const word::DocumentPtr& doc, const QString& text, bool select = false)
{
    const auto at = static_cast<int32_t>(doc->story(view->storyIndex()).text.indexOf(text));
    ASSERT_GE(at, 0) << text.toStdString();
    view->selectStory(select ? at : at + static_cast<int32_t>(text.size()), at + static_cast<int32_t>(text.size()));
}

void typeText(QWidget* view, const QString& text) { QTest::sendKeyEvent(QTest::Click, view, Qt::Key_unknown, text, {}); }

QString drawn(host::StoryView* view) { return view->document()->toPlainText(); }

QColor colorAt(host::StoryView* view, int32_t storyPos)
{
    QTextCursor c(view->document());
    c.setPosition(view->displayPosition(storyPos));
    return c.charFormat().foreground().color();
}

// Clicks the button of each caption in the message boxes as they open, one box each.
void answerBoxes(QStringList captions)
{
    auto* poll = new QTimer;
    // A guarded pointer: the next box may be built where the last one was freed.
    QObject::connect(poll, &QTimer::timeout, [poll, captions, last = QPointer<QMessageBox>()]() mutable {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box && box != last.data() && !captions.isEmpty()) {
            last = box;
            const QString caption = captions.takeFirst();
            const auto buttons = box->buttons();
            const auto it = std::find_if(buttons.begin(), buttons.end(), [&](auto* b) { return b->text() == caption; });
            it == buttons.end() ? box->accept() : (*it)->click();   // a message with one button: accepted
        }
        if (captions.isEmpty()) {
            poll->stop();
            poll->deleteLater();
        }
    });
    poll->start(10);
}

QString savedMainText(const QString& path) { return docx::load(path).stories.front().text; }

} // namespace

TEST_F(HostTest, TypingDeletingCuttingAndPastingGoThroughTheModelAndRedrawOnlyWhatChanged)
{
    start({report});
    const word::DocumentPtr doc = app()->ActiveDocument();
    host::StoryView* main = windowOf(1)->mainView();
    const QTextDocument* drawnBefore = main->document();

    caretAfter(main, doc, QStringLiteral("re"));   // inside the red word: new letters are red too
    QTest::keyClicks(main, "xy");
    typeText(main, QStringLiteral("資"));
    EXPECT_TRUE(doc->story(0).text.startsWith(QStringLiteral("Alpha rexy資d ")));
    EXPECT_TRUE(drawn(main).startsWith(QStringLiteral("Alpha rexy資d ")));
    EXPECT_EQ(main->document(), drawnBefore) << "a keystroke drew the whole story again";
    EXPECT_EQ(colorAt(main, 9), QColor(Qt::red));

    QTest::keyClick(main, Qt::Key_Backspace);
    main->selectStory(7, 7);
    QTest::keyClick(main, Qt::Key_Delete);
    EXPECT_TRUE(doc->story(0).text.startsWith(QStringLiteral("Alpha rxyd ")));
    EXPECT_TRUE(drawn(main).startsWith(QStringLiteral("Alpha rxyd ")));

    caretAfter(main, doc, QStringLiteral("marked"), true);
    QTest::keyClick(main, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("marked"));
    QApplication::clipboard()->setText(QStringLiteral("貼付"));
    caretAfter(main, doc, QStringLiteral("Alpha rx"));
    QTest::keyClick(main, Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(doc->story(0).text.startsWith(QStringLiteral("Alpha rx貼付yd  struck")));
    EXPECT_EQ(colorAt(main, 9), QColor(Qt::red)) << "pasted text takes the formatting at the caret";

    // The context menu does the same.
    caretAfter(main, doc, QStringLiteral("commented"), true);
    std::unique_ptr<QMenu> context(main->findChild<host::StoryEditor*>()->contextMenu());
    const auto action = [&context](const char* text) {
        for (QAction* a : context->actions())
            if (a->text() == QString::fromUtf8(text))
                return a;
        return static_cast<QAction*>(nullptr);
    };
    action("コピー(&C)")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("commented"));
    EXPECT_TRUE(action("切り取り(&T)")->isEnabled() && action("貼り付け(&P)")->isEnabled());

    // A selection typed over is replaced, and the map still finds later text where it is drawn.
    caretAfter(main, doc, QStringLiteral("last"), true);
    QTest::keyClicks(main, "final");
    for (const char* text : {"commented", "final", "cell B"}) {
        caretAfter(main, doc, QString::fromUtf8(text), true);
        EXPECT_EQ(main->textCursor().selectedText(), QString::fromUtf8(text));
    }
}

TEST_F(HostTest, TheInputMethodComposesInTheViewAndCommitsToTheModel)
{
    start({report});
    const word::DocumentPtr doc = app()->ActiveDocument();
    host::StoryView* note = windowOf(1)->shownView(doc->StoryRanges()->Item(docx::wdFootnotesStory)->storyIndex());
    ASSERT_NE(note, nullptr);
    const docx::StoryText& model = doc->story(note->storyIndex()).text;
    const auto send = [note](const QString& preedit, const QString& commit) {
        QInputMethodEvent e(preedit, {});
        e.setCommitString(commit);
        QCoreApplication::sendEvent(note, &e);
    };
    caretAfter(note, doc, QStringLiteral("text"));
    send(QStringLiteral("しりょう"), {});
    EXPECT_TRUE(model.endsWith(QStringLiteral("Note 資料 text\r"))) << "a composition reached the model";
    EXPECT_EQ(note->textCursor().block().layout()->preeditAreaText(), QStringLiteral("しりょう"));
    send({}, QStringLiteral("資料"));
    EXPECT_TRUE(model.endsWith(QStringLiteral("Note 資料 text資料\r")));
    EXPECT_TRUE(drawn(note).contains(QStringLiteral("Note 資料 text資料")));
    EXPECT_TRUE(note->textCursor().block().layout()->preeditAreaText().isEmpty());

    // Composing over a selection deletes it at once; the composed text still waits for its commit.
    caretAfter(note, doc, QStringLiteral("text"), true);
    send(QStringLiteral("ぶん"), {});
    EXPECT_TRUE(model.endsWith(QStringLiteral("Note 資料 資料\r")));
    send({}, QStringLiteral("文"));
    EXPECT_TRUE(drawn(note).contains(QStringLiteral("Note 資料 文資料")));

    // A header takes a commit as well; both views show ink where the new text is drawn.
    host::StoryView* header = windowOf(1)->headerView();
    caretAfter(header, doc, QStringLiteral("Head one"));
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("：日本語の見出し"));
    QCoreApplication::sendEvent(header, &commit);
    EXPECT_TRUE(drawn(header).contains(QStringLiteral("Head one：日本語の見出し")));
    windowOf(1)->resize(1000, 900);
    windowOf(1)->show();
    for (host::StoryView* view : {header, note}) {
        const QImage shot = view->viewport()->grab().toImage();
        QTextCursor at(view->document());
        at.setPosition(view->textCursor().position() - 1);
        const QRect glyph = view->cursorRect(at).adjusted(0, 0, 12, 0).intersected(shot.rect());
        int ink = 0;
        for (int y = glyph.top(); y <= glyph.bottom(); ++y)
            for (int x = glyph.left(); x <= glyph.right(); ++x)
                ink += qGray(shot.pixel(x, y)) < 128;
        EXPECT_GT(ink, 10);
    }
    if (const QString out = qEnvironmentVariable("TARVELIN_TEST_PNG_DIR"); !out.isEmpty())
        windowOf(1)->grab().save(QDir(out).filePath(QStringLiteral("typed-japanese.png")));
}

TEST_F(HostTest, ARefusedEditShowsWhyAndChangesNeitherModelNorView)
{
    start({report});
    const word::DocumentPtr doc = app()->ActiveDocument();
    host::DocumentWindow* window = windowOf(1);
    host::StoryView* main = window->mainView();
    const QString model = doc->story(0).text;
    const QString shown = drawn(main);

    // Backspace just after the footnote's number would remove its reference mark.
    const auto mark = static_cast<int32_t>(model.indexOf(QChar(docx::cp::NoteMark)));
    QString reason;
    try {
        word::Range(doc, 0, mark, mark + 1).Delete();
    } catch (const core::Error& e) {
        reason = e.description();
    }
    ASSERT_FALSE(reason.isEmpty()) << "the model took the mark's deletion";
    main->selectStory(mark + 1, mark + 1);
    QTest::keyClick(main, Qt::Key_Backspace);
    EXPECT_EQ(window->statusBar()->currentMessage(), reason);
    EXPECT_EQ(doc->story(0).text, model);
    EXPECT_EQ(drawn(main), shown);
    EXPECT_FALSE(window->isWindowModified());

}

// Outside laid-out pages (a note, a text box, a long main text) splits and joins are drawn in
// place, as a fresh drawing of the story would draw them, and the map still finds later text.
TEST_F(HostTest, ASplitOrJoinOutsidePagesIsDrawnInPlace)
{
    start({report});
    const word::DocumentPtr doc = app()->ActiveDocument();
    const auto& stories = doc->model().stories;
    for (const char* text : {" Note 資料", "second box 資料"}) {
        const auto it = std::find_if(stories.begin(), stories.end(), [&](const docx::Story& s) { return s.text.contains(text); });
        host::StoryView* view = windowOf(1)->shownView(static_cast<int>(it - stories.begin()));
        ASSERT_NE(view, nullptr) << text;
        const QTextDocument* drawnBefore = view->document();
        for (const QString after : {QStringLiteral("資"), QStringLiteral("資\r\r")}) {   // two splits, then two joins
            caretAfter(view, doc, after);
            for (int i = 0; i < 2; ++i)
                QTest::keyClick(view, after.size() == 1 ? Qt::Key_Return : Qt::Key_Backspace);
            EXPECT_EQ(drawn(view).contains(QStringLiteral("資\n\n料")), after.size() == 1) << text;
            // A drawing without the window's context lacks the note's number, on the first line.
            std::unique_ptr<QTextDocument> fresh(host::drawStoryDocument(*it, {}, nullptr).doc);
            EXPECT_EQ(drawn(view).split(u'\n').mid(1), fresh->toPlainText().split(u'\n').mid(1));
            caretAfter(view, doc, QStringLiteral("料"), true);
            EXPECT_EQ(view->textCursor().selectedText(), QStringLiteral("料"));
        }
        EXPECT_TRUE(it->text.contains(text));
        EXPECT_EQ(view->document(), drawnBefore) << "the story was drawn again";
    }
}

// Enter splits a paragraph and Backspace at a paragraph's start joins it to the one before, in
// the model and on screen; a split list paragraph takes the next number. Paragraphs of different
// styles are not joined. The file saved keeps the split.
TEST_F(HostTest, EnterSplitsAndBackspaceJoinsParagraphsThroughTheModel)
{
    const QString numPr = "<w:numPr><w:ilvl w:val=\"0\"/><w:numId w:val=\"1\"/></w:numPr>";
    const QString path = dir.filePath("paras.docx");
    DocxBuilder()
        .body(para(run("first item"), numPr) + para(run("second item"), numPr) + para(run("plain text"))
              + para(run("quoted 資料"), "<w:pStyle w:val=\"Quote\"/>"))
        .part("word/numbering.xml",
              part("numbering", "<w:abstractNum w:abstractNumId=\"0\"><w:lvl w:ilvl=\"0\"><w:numFmt w:val=\"decimal\"/>"
                                "<w:lvlText w:val=\"%1.\"/></w:lvl></w:abstractNum><w:num w:numId=\"1\"><w:abstractNumId w:val=\"0\"/></w:num>"))
        .relationship("rIdNum", "numbering", "numbering.xml")
        .part("word/styles.xml", part("styles", "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"/>"
                                                "<w:style w:type=\"paragraph\" w:styleId=\"Quote\"/>"))
        .relationship("rIdSt", "styles", "styles.xml")
        .save(path);
    start({path});
    const word::DocumentPtr doc = app()->ActiveDocument();
    host::DocumentWindow* window = windowOf(1);
    host::StoryView* main = window->mainView();
    const docx::StoryText& model = doc->story(0).text;

    caretAfter(main, doc, QStringLiteral("first"));
    QTest::keyClick(main, Qt::Key_Return);
    QTest::keyClicks(main, "new");
    EXPECT_TRUE(model.startsWith(QStringLiteral("first\rnew item\rsecond item\r")));
    EXPECT_TRUE(drawn(main).startsWith(QStringLiteral("1.\tfirst\n2.\tnew item\n3.\tsecond item\nplain text\n")));
    caretAfter(main, doc, QStringLiteral("first\r"));
    QTest::keyClick(main, Qt::Key_Backspace);
    EXPECT_TRUE(drawn(main).startsWith(QStringLiteral("1.\tfirstnew item\n2.\tsecond item\nplain text\n")));

    const QString before = model, shown = drawn(main);
    caretAfter(main, doc, QStringLiteral("plain text\r"));
    QTest::keyClick(main, Qt::Key_Backspace);
    EXPECT_TRUE(window->statusBar()->currentMessage().contains(QStringLiteral("スタイルの異なる段落")));
    EXPECT_TRUE(model == before && drawn(main) == shown);

    menuItem(window, QStringLiteral("編集(&E)"), QStringLiteral("元に戻す"))->trigger();   // the join
    EXPECT_TRUE(drawn(main).startsWith(QStringLiteral("1.\tfirst\n2.\tnew item\n3.\tsecond item\n")));
    menuItem(window, QStringLiteral("ファイル(&F)"), QStringLiteral("上書き保存"))->trigger();
    const docx::Document saved = docx::load(path, {false, true});
    EXPECT_TRUE(saved.stories.front().text.startsWith(QStringLiteral("first\rnew item\rsecond item\rplain text\r")));
    EXPECT_EQ(saved.stories.front().look.paras[1].label, QStringLiteral("2."));
}

TEST_F(HostTest, UndoAndRedoAreInTheEditMenuAndTheTitleMarksUnsavedChanges)
{
    start({report});
    const word::DocumentPtr doc = app()->ActiveDocument();
    host::DocumentWindow* window = windowOf(1);
    // The menu is built again when an item's state changes: each look-up finds the current item.
    const auto item = [window](const char* caption) { return menuItem(window, QStringLiteral("編集(&E)"), QString::fromUtf8(caption)); };
    EXPECT_EQ(item("元に戻す")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(item("やり直し")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Y));
    EXPECT_FALSE(item("元に戻す")->isEnabled() || item("やり直し")->isEnabled());

    caretAfter(window->mainView(), doc, QStringLiteral("Alpha"));
    QTest::keyClicks(window->mainView(), "!");
    EXPECT_EQ(window->windowHandle()->title(), QStringLiteral("report.docx* - Tarvelin"));
    ASSERT_TRUE(item("元に戻す")->isEnabled());
    caretAfter(window->mainView(), doc, QStringLiteral("last"));
    item("元に戻す")->trigger();
    EXPECT_TRUE(drawn(window->mainView()).startsWith(QStringLiteral("Alpha red")));
    EXPECT_EQ(window->mainView()->textCursor().position(), window->mainView()->displayPosition(5)) << "the caret went back";
    EXPECT_EQ(window->windowHandle()->title(), QStringLiteral("report.docx - Tarvelin"));
    EXPECT_FALSE(item("元に戻す")->isEnabled());
    ASSERT_TRUE(item("やり直し")->isEnabled());
    item("やり直し")->trigger();
    EXPECT_TRUE(doc->story(0).text.startsWith(QStringLiteral("Alpha! red")));
    EXPECT_TRUE(drawn(window->mainView()).startsWith(QStringLiteral("Alpha! red")));
    EXPECT_TRUE(window->isWindowModified());
    EXPECT_FALSE(item("やり直し")->isEnabled());
}

TEST_F(HostTest, SavingKeepsWhatWasTypedAndClosingAsksAboutUnsavedChanges)
{
    start({report});
    word::DocumentPtr doc = app()->ActiveDocument();
    host::DocumentWindow* window = windowOf(1);
    caretAfter(window->mainView(), doc, QStringLiteral("Alpha"));
    typeText(window->mainView(), QStringLiteral("版"));
    menuItem(window, QStringLiteral("ファイル(&F)"), QStringLiteral("上書き保存"))->trigger();
    EXPECT_FALSE(window->isWindowModified());
    EXPECT_TRUE(savedMainText(report).startsWith(QStringLiteral("Alpha版 red")));
    // Read back from the saved file, the model still carries what the window draws with.
    EXPECT_TRUE(doc->model().looks);
    EXPECT_FALSE(doc->model().stories.front().look.empty());

    QTest::keyClicks(window->mainView(), "?");
    answerBoxes({QStringLiteral("キャンセル"), QStringLiteral("キャンセル")});
    menuItem(window, QStringLiteral("ファイル(&F)"), QStringLiteral("終了"))->trigger();
    EXPECT_FALSE(window->close());
    answerBoxes({QStringLiteral("保存しない(&N)")});
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(doc->isOpen());
    EXPECT_TRUE(savedMainText(report).startsWith(QStringLiteral("Alpha版 red")));

    // 保存 goes through the save path; when that fails, the window stays with its changes.
    for (const bool writable : {false, true}) {
        host->openFiles({report});
        doc = app()->ActiveDocument();
        window = windowOf(1);
        caretAfter(window->mainView(), doc, QStringLiteral("Alpha版"));
        QTest::keyClicks(window->mainView(), "s");
        QFile::setPermissions(report, QFile::ReadOwner | (writable ? QFile::WriteOwner : QFile::Permissions()));
        answerBoxes(writable ? QStringList{QStringLiteral("保存(&S)")} : QStringList{QStringLiteral("保存(&S)"), QString()});
        EXPECT_EQ(window->close(), writable);
        EXPECT_EQ(doc->isOpen(), !writable);
        if (!writable)
            doc->Close();
    }
    EXPECT_TRUE(savedMainText(report).startsWith(QStringLiteral("Alpha版s red")));
}

TEST_F(HostTest, TypingAndEnterInALongParagraphOnPagesAreDrawnInPlaceAndSavedExactly)
{
    // Over 400,000 letters in one run: the paragraph drawn in pieces of some three quarters of a
    // page, going on over the pages.
    QString letters;
    for (int i = 0; i < 450000; ++i)
        letters += QChar(u'a' + i % 26);
    const QString path = dir.filePath("long.docx"), original = dir.filePath("long-was.docx");
    DocxBuilder().body(para(run(letters))).save(path);
    ASSERT_TRUE(QFile::copy(path, original));
    start({path});
    host::StoryView* main = windowOf(1)->mainView();
    const word::DocumentPtr doc = app()->ActiveDocument();
    const QTextDocument* drawnDoc = main->document();
    std::vector<QTextBlock> pieces;
    for (QTextBlock b = drawnDoc->begin(); b.isValid(); b = b.next())
        pieces.push_back(b);
    ASSERT_GT(pieces.size(), 50u);

    // Typing and erasing inside a piece and at the start of the next; Enter splits a piece, the
    // new half flowing on, and Backspace joins it again: all drawn in place.
    const int32_t next = main->storyPosition(pieces[40].position()), inside = next - 700;
    main->selectStory(inside, inside);
    for (const char* key : {"X", "Y", "\b", "Z"})
        *key == '\b' ? QTest::keyClick(main, Qt::Key_Backspace) : typeText(main, QString::fromUtf8(key));
    main->selectStory(next + 2, next + 2);
    typeText(main, QStringLiteral("漢"));
    QTest::keyClick(main, Qt::Key_Return);
    EXPECT_NE(drawnDoc->findBlock(main->displayPosition(next + 4)), drawnDoc->findBlock(main->displayPosition(next + 2)));
    QString expected = letters;
    expected.insert(next, QStringLiteral("漢\r"));
    expected.insert(inside, QStringLiteral("XZ"));
    ASSERT_EQ(doc->story(0).text.left(expected.size()), expected);
    EXPECT_EQ(main->document(), drawnDoc);
    // Every story position is drawn as its own character, the breaks between pieces taking none.
    const QString shown = drawnDoc->toPlainText();
    for (int32_t p = 0; p < static_cast<int32_t>(expected.size()); ++p) {
        const int d = main->displayPosition(p);
        ASSERT_EQ(main->storyPosition(d), p);
        ASSERT_EQ(shown[d], expected[p] == u'\r' ? QChar(u'\n') : expected[p]) << p;
    }
    QTest::keyClick(main, Qt::Key_Backspace);
    EXPECT_EQ(main->document(), drawnDoc);
    // Paged again, every piece's lines stand inside their pages' bodies.
    ASSERT_TRUE(QTest::qWaitFor([main] { return main->pagingDone(); }, 60000));
    for (const QTextBlock& piece : pieces) {
        const QRectF r = drawnDoc->documentLayout()->blockBoundingRect(piece);
        for (int k = 0; k < piece.layout()->lineCount(); ++k) {
            const double top = r.top() + piece.layout()->lineAt(k).y() - piece.layout()->lineAt(0).y();
            const host::Page& page = main->pages()[static_cast<size_t>(main->pageAt(top + 1))];
            const host::PageFrame& frame = main->frameOf(page);
            ASSERT_GE(top, page.top + frame.top - 0.5) << k;
            ASSERT_LE(top + piece.layout()->lineAt(k).height(), page.top + frame.height - frame.bottom + 0.5) << k;
        }
    }

    // Saved, the main part is the one read with the typed letters in its text, byte for byte.
    menuItem(windowOf(1), QStringLiteral("ファイル(&F)"), QStringLiteral("上書き保存"))->trigger();
    std::string part = docx::ZipReader(original).read("word/document.xml");
    const std::size_t text = part.find(letters.left(100).toStdString());
    ASSERT_NE(text, std::string::npos);
    part.insert(text + static_cast<std::size_t>(next), QStringLiteral("漢").toStdString());
    part.insert(text + static_cast<std::size_t>(inside), "XZ");
    EXPECT_EQ(docx::ZipReader(path).read("word/document.xml"), part);
}

TEST_F(HostTest, EnterInAParagraphThePagesMovedToTheNextPageLeavesTheNewHalfRightBelowTheFirst)
{
    // A paragraph of some eight lines kept together does not fit below twenty lines of 40 px on
    // a body of 864: the pages move it to the next page's top.
    QString body;
    for (int i = 0; i < 20; ++i)
        body += para(run(QStringLiteral("line %1").arg(i)), "<w:spacing w:line=\"600\" w:lineRule=\"exact\"/>");
    const QString words = QStringLiteral("kept together on one page ").repeated(30);
    body += para(run(words), "<w:keepLines/>") + para(run("after"))
            + "<w:sectPr><w:pgSz w:w=\"12240\" w:h=\"15840\"/><w:pgMar w:top=\"1440\" w:right=\"1440\" "
              "w:bottom=\"1440\" w:left=\"1440\" w:header=\"720\" w:footer=\"720\"/></w:sectPr>";
    const QString path = dir.filePath("pushed.docx");
    DocxBuilder().body(body).save(path);
    start({path});
    host::StoryView* main = windowOf(1)->mainView();
    const word::DocumentPtr doc = app()->ActiveDocument();
    const int32_t start = static_cast<int32_t>(doc->story(0).text.indexOf(words));
    const auto lineTop = [main](int32_t pos) {
        const QTextBlock block = main->document()->findBlock(main->displayPosition(pos));
        const QTextLine line = block.layout()->lineForTextPosition(main->displayPosition(pos) - block.position());
        return main->document()->documentLayout()->blockBoundingRect(block).top() + line.y() - block.layout()->lineAt(0).y();
    };
    ASSERT_EQ(main->pageOfPosition(main->displayPosition(start)), 1);
    const auto secondPageTop = [main] { return main->pages()[1].top + main->frameOf(main->pages()[1]).top; };
    ASSERT_NEAR(lineTop(start), secondPageTop(), 1);
    const double lineHeight = main->document()->findBlock(main->displayPosition(start)).layout()->lineAt(0).height();
    const int32_t at = start + static_cast<int32_t>(words.size()) / 2;
    main->selectStory(at, at);
    QTest::keyClick(main, Qt::Key_Return);
    ASSERT_EQ(doc->story(0).text.mid(at, 1), QStringLiteral("\r"));
    ASSERT_TRUE(QTest::qWaitFor([main] { return main->pagingDone(); }, 60000));
    // Both halves stay on that page, the new one's first line right below the first's last.
    EXPECT_EQ(main->pageOfPosition(main->displayPosition(at + 1)), 1);
    EXPECT_NEAR(lineTop(start), secondPageTop(), 1);
    const double gap = lineTop(at + 1) - lineTop(at - 1);
    EXPECT_GT(gap, 0);
    EXPECT_LT(gap, lineHeight * 2) << "one line down, not the room the pages gave the first half";
}

TEST_F(HostTest, TypingInATableRowGoingOnToTheNextPageKeepsItsLinesThere)
{
    // One row of 90 paragraphs, taller than a page: its cell's lines go on page after page.
    QString cellText;
    for (int i = 0; i < 90; ++i)
        cellText += para(run(QStringLiteral("line%1").arg(i)));
    DocxBuilder().body("<w:tbl><w:tr><w:tc>" + cellText + "</w:tc></w:tr></w:tbl>").save(dir.filePath("tall-row.docx"));
    start({dir.filePath("tall-row.docx")});
    host::StoryView* main = windowOf(1)->mainView();
    const word::DocumentPtr doc = app()->ActiveDocument();
    const auto lineTops = [&] {   // of the paragraphs after the first; the last ends with its cell's mark
        std::vector<double> tops;
        for (int i = 1; i < 89; ++i) {
            const QTextBlock b = main->document()->findBlock(main->displayPosition(static_cast<int32_t>(doc->story(0).text.indexOf(QStringLiteral("line%1\r").arg(i)))));
            tops.push_back(main->document()->documentLayout()->blockBoundingRect(b).top() + b.layout()->lineAt(0).y());
        }
        return tops;
    };
    const std::vector<double> before = lineTops();
    ASSERT_GE(main->pages().size(), 2u);
    caretAfter(main, doc, QStringLiteral("line0"));
    typeText(main, QStringLiteral("x"));
    EXPECT_TRUE(doc->story(0).text.startsWith(QStringLiteral("line0x")));
    EXPECT_EQ(lineTops(), before);
}

TEST_F(HostTest, ARubyIsDrawnOverItsBaseOnATallerLineAndTypingInTheBaseKeepsIt)
{
    const QString path = dir.filePath("ruby.docx");
    DocxBuilder()
        .body(para(run("plain")) + para(run(QStringLiteral("前")) + "<w:r><w:ruby><w:rubyPr><w:hps w:val=\"10\"/>"
              "<w:hpsRaise w:val=\"18\"/></w:rubyPr><w:rt>" + run(QStringLiteral("かんじ")) + "</w:rt><w:rubyBase>"
              + run(QStringLiteral("漢字")) + "</w:rubyBase></w:ruby></w:r>")
              + para("<w:r><w:ruby><w:rubyPr><w:hps w:val=\"10\"/></w:rubyPr><w:rt>" + run(QStringLiteral("たんぼのなか"))
                     + "</w:rt><w:rubyBase>" + run(QStringLiteral("田")) + "</w:rubyBase></w:ruby></w:r>"))
        .save(path);
    start({path});
    const word::DocumentPtr doc = app()->ActiveDocument();
    host::StoryView* main = windowOf(1)->mainView();
    const QTextDocument* drawnBefore = main->document();
    const auto at = [&](const QString& text) {
        const int pos = main->displayPosition(static_cast<int32_t>(doc->story(0).text.indexOf(text)));
        const QTextBlock b = main->document()->findBlock(pos);
        return std::pair(b, b.layout()->lineForTextPosition(pos - b.position()));
    };
    const double plain = at("plain").second.ascent();
    // Dark pixels over a drawn text, between its line's top and the top of a plain line's text.
    const auto inkAbove = [&](const QString& text) {
        const QImage shot = main->viewport()->grab().toImage();
        const auto [b, line] = at(text);
        const QPointF origin = main->document()->documentLayout()->blockBoundingRect(b).topLeft()
                               - QPointF(main->horizontalScrollBar()->value(), main->verticalScrollBar()->value());
        const int from = main->displayPosition(static_cast<int32_t>(doc->story(0).text.indexOf(text))) - b.position();
        const int top = static_cast<int>(origin.y() + line.y());
        int ink = 0;
        for (int y = top; y < top + line.ascent() - plain; ++y)
            for (int x = static_cast<int>(origin.x() + line.cursorToX(from));
                 x < static_cast<int>(origin.x() + line.cursorToX(from + static_cast<int>(text.size()))); ++x)
                ink += qGray(shot.pixel(x, y)) < 128 ? 1 : 0;
        return ink;
    };
    EXPECT_GT(at(QStringLiteral("漢字")).second.ascent(), plain + 4) << "no room above the base";
    EXPECT_GT(inkAbove(QStringLiteral("漢字")), 10);
    EXPECT_EQ(inkAbove(QStringLiteral("前")), 0);
    // A base narrower than its ruby is spread out to the ruby's width.
    const auto [field, fieldLine] = at(QStringLiteral("田"));
    QFont small = QTextCursor(field).charFormat().font();
    small.setPointSizeF(5);
    EXPECT_GE(fieldLine.naturalTextWidth() + 1, QFontMetricsF(small).horizontalAdvance(QStringLiteral("たんぼのなか")));

    caretAfter(main, doc, QStringLiteral("漢"));
    typeText(main, QStringLiteral("語"));
    EXPECT_EQ(main->document(), drawnBefore) << "typing in the base drew the whole story again";
    ASSERT_EQ(doc->story(0).look.rubies.size(), 2u);
    const docx::RubyLook& ruby = doc->story(0).look.rubies[0];
    EXPECT_EQ(doc->story(0).text.mid(ruby.separator + 1, ruby.end - ruby.separator - 1), QStringLiteral("漢語字"));
    EXPECT_GT(inkAbove(QStringLiteral("漢語字")), 10);

    caretAfter(main, doc, QStringLiteral("漢語字"), true);
    QTest::keyClick(main, Qt::Key_Delete);
    EXPECT_EQ(doc->story(0).look.rubies.size(), 1u);
    EXPECT_NEAR(at(QStringLiteral("前")).second.ascent(), plain, 0.5) << "the room stayed without its ruby";
}
