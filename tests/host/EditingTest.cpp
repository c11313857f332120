// Editing in the document window: every keystroke goes through the object model, the views draw
// what the model changed, refusals change nothing, and the window knows what is unsaved.
#include "host/DocumentWindow.h"
#include "host/StoryView.h"
#include "platform/core/Error.h"
#include "platform/docx/Package.h"
#include "platform/word/Document.h"
#include "platform/word/Find.h"
#include "platform/word/Range.h"
#include "tests/host/HostFixture.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QInputMethodEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QPointer>
#include <QTimer>
#include <QWindow>

using namespace hostfixture;

namespace {

int storyOfType(const word::DocumentPtr& doc, int type)
{
    const auto& stories = doc->model().stories;
    for (size_t i = 0; i < stories.size(); ++i)
        if (stories[i].type == type)
            return static_cast<int>(i);
    return -1;
}

// Puts the view's caret just after the first occurrence of text in its story (or selects it).
void caretAfter(host::StoryView* view, const word::DocumentPtr& doc, const QString& text, bool select = false)
{
    const int32_t at = static_cast<int32_t>(doc->story(view->storyIndex()).text.indexOf(text));
    ASSERT_GE(at, 0) << text.toStdString();
    const int32_t end = at + static_cast<int32_t>(text.size());
    view->selectStory(select ? at : end, end);
}

void typeText(QWidget* view, const QString& text)
{
    QTest::sendKeyEvent(QTest::Click, view, Qt::Key_unknown, text, Qt::NoModifier);
}

// The drawn text of a view's whole document, paragraphs joined by U+2029.
QString drawnText(host::StoryView* view)
{
    return view->document()->toPlainText();
}

// Answers the next message boxes that open, one caption each: the button with that caption is
// clicked (an empty caption accepts the box). A box still open after two seconds fails the test.
void answerMessageBoxes(QStringList captions)
{
    auto* poll = new QTimer;
    auto* answered = new QPointer<QMessageBox>;
    int* waited = new int(0);
    QObject::connect(poll, &QTimer::timeout, [=]() mutable {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        const bool fresh = box && box != *answered && !captions.isEmpty();
        if (fresh) {
            const QString caption = captions.takeFirst();
            *answered = box;
            QAbstractButton* target = nullptr;
            for (QAbstractButton* b : box->buttons())
                if (b->text() == caption)
                    target = b;
            if (caption.isEmpty())
                box->accept();
            else if (target)
                target->click();
            else {
                ADD_FAILURE() << "no button " << caption.toStdString();
                box->reject();
            }
        }
        if (captions.isEmpty() || ++*waited > 200) {
            if (!captions.isEmpty()) {
                ADD_FAILURE() << "no message box for " << captions.join(u',').toStdString();
                if (box)
                    box->reject();
            }
            poll->stop();
            poll->deleteLater();
            delete answered;
            delete waited;
        }
    });
    poll->start(10);
}

QString storyText(const QString& path, int type)
{
    const docx::Document model = docx::load(path);
    for (const docx::Story& s : model.stories)
        if (s.type == type)
            return s.text;
    return {};
}

} // namespace

TEST_F(HostTest, TypingAndDeletingGoThroughTheModelAndDrawOnlyTheChangedCharacters)
{
    start({report});
    const word::DocumentPtr doc = app()->ActiveDocument();
    host::StoryView* main = windowOf(1)->mainView();
    const QTextDocument* drawnBefore = main->document();

    // Typed inside "red": the new letters take its colour, as the model gives them.
    caretAfter(main, doc, QStringLiteral("re"));
    QTest::keyClicks(main, "xy");
    typeText(main, QStringLiteral("資"));
    EXPECT_TRUE(doc->story(0).text.startsWith(QStringLiteral("Alpha rexy資d ")));
    EXPECT_TRUE(drawnText(main).startsWith(QStringLiteral("Alpha rexy資d ")));
    EXPECT_EQ(main->document(), drawnBefore) << "a keystroke drew the whole story again";
    QTextCursor typed(main->document());
    typed.setPosition(main->displayPosition(9));   // after "Alpha rex"
    EXPECT_EQ(typed.charFormat().foreground().color(), QColor(Qt::red));

    // Backspace and Delete remove one character each side of the caret.
    QTest::keyClick(main, Qt::Key_Backspace);
    main->selectStory(7, 7);   // between "r" and "e"
    QTest::keyClick(main, Qt::Key_Delete);
    EXPECT_TRUE(doc->story(0).text.startsWith(QStringLiteral("Alpha rxyd ")));
    EXPECT_TRUE(drawnText(main).startsWith(QStringLiteral("Alpha rxyd ")));

    // The map from story to drawn positions followed: later text is still found where it is drawn.
    for (const char* text : {"commented", "last", "cell B"}) {
        caretAfter(main, doc, QString::fromUtf8(text), true);
        EXPECT_EQ(main->textCursor().selectedText(), QString::fromUtf8(text));
    }
    // A selection typed over is replaced.
    caretAfter(main, doc, QStringLiteral("last"), true);
    QTest::keyClicks(main, "final");
    EXPECT_TRUE(doc->story(0).text.contains(QStringLiteral("final")));
    EXPECT_FALSE(doc->story(0).text.contains(QStringLiteral("last")));
    EXPECT_TRUE(drawnText(main).contains(QStringLiteral("final")));
}

TEST_F(HostTest, TheInputMethodComposesInTheViewAndCommitsToTheModel)
{
    start({report});
    const word::DocumentPtr doc = app()->ActiveDocument();
    host::DocumentWindow* window = windowOf(1);
    const int noteStory = storyOfType(doc, docx::wdFootnotesStory);
    host::StoryView* note = window->shownView(noteStory);
    ASSERT_NE(note, nullptr);
    const QString before = doc->story(noteStory).text;
    caretAfter(note, doc, QStringLiteral("Note"));

    QInputMethodEvent composing(QStringLiteral("しりょう"), {});
    QCoreApplication::sendEvent(note, &composing);
    EXPECT_EQ(doc->story(noteStory).text, before) << "a composition reached the model";
    EXPECT_EQ(note->textCursor().block().layout()->preeditAreaText(), QStringLiteral("しりょう"));
    EXPECT_FALSE(drawnText(note).contains(QStringLiteral("しりょう")));

    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("資料"));
    QCoreApplication::sendEvent(note, &commit);
    EXPECT_TRUE(doc->story(noteStory).text.contains(QStringLiteral("Note資料 資料 text")));
    EXPECT_TRUE(drawnText(note).contains(QStringLiteral("Note資料 資料 text")));
    EXPECT_TRUE(note->textCursor().block().layout()->preeditAreaText().isEmpty());

    // A composition begun over a selection replaces it once committed.
    caretAfter(note, doc, QStringLiteral("text"), true);
    QInputMethodEvent over(QStringLiteral("ぶん"), {});
    QCoreApplication::sendEvent(note, &over);
    QInputMethodEvent done;
    done.setCommitString(QStringLiteral("文"));
    QCoreApplication::sendEvent(note, &done);
    EXPECT_TRUE(doc->story(noteStory).text.contains(QStringLiteral("Note資料 資料 文")));
    EXPECT_TRUE(drawnText(note).contains(QStringLiteral("Note資料 資料 文")));
    EXPECT_FALSE(doc->story(noteStory).text.contains(QStringLiteral("text")));
}

TEST_F(HostTest, CutAndPasteArePlainTextThatTakesTheFormattingAtTheCaret)
{
    start({report});
    const word::DocumentPtr doc = app()->ActiveDocument();
    host::StoryView* main = windowOf(1)->mainView();
    caretAfter(main, doc, QStringLiteral("marked"), true);
    QTest::keyClick(main, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("marked"));
    EXPECT_FALSE(doc->story(0).text.contains(QStringLiteral("marked")));

    caretAfter(main, doc, QStringLiteral("re"));   // inside the red word
    QApplication::clipboard()->setText(QStringLiteral("貼り\n付け"));
    QTest::keyClick(main, Qt::Key_V, Qt::ControlModifier);
    // A line break in pasted text would end a paragraph: either the model takes it, or nothing changed.
    const bool split = doc->story(0).text.contains(QStringLiteral("re貼り\r付けd"));
    EXPECT_TRUE(split || doc->story(0).text.startsWith(QStringLiteral("Alpha red ")));

    QApplication::clipboard()->setText(QStringLiteral("貼付"));
    caretAfter(main, doc, QStringLiteral("Alpha re"));
    QTest::keyClick(main, Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(doc->story(0).text.startsWith(QStringLiteral("Alpha re貼付d")));
    QTextCursor pasted(main->document());
    pasted.setPosition(main->displayPosition(9));
    EXPECT_EQ(pasted.charFormat().foreground().color(), QColor(Qt::red));
    EXPECT_EQ(pasted.charFormat().background().style(), Qt::NoBrush) << "the cut text's highlight came along";
}

TEST_F(HostTest, ARefusedEditShowsWhyAndChangesNeitherModelNorView)
{
    start({report});
    const word::DocumentPtr doc = app()->ActiveDocument();
    host::DocumentWindow* window = windowOf(1);
    host::StoryView* main = window->mainView();
    const QString model = doc->story(0).text;
    const QString drawn = drawnText(main);

    // Backspace just after the footnote's number would remove its reference mark.
    const int32_t mark = static_cast<int32_t>(model.indexOf(QChar(docx::cp::NoteMark)));
    ASSERT_GE(mark, 0);
    main->selectStory(mark + 1, mark + 1);
    QString reason;
    try {
        word::Range(doc, 0, mark, mark + 1).Delete();
    } catch (const core::Error& e) {
        reason = e.description();
    }
    ASSERT_FALSE(reason.isEmpty()) << "the model took the mark's deletion";
    QTest::keyClick(main, Qt::Key_Backspace);
    EXPECT_EQ(window->statusBar()->currentMessage(), reason);
    EXPECT_EQ(doc->story(0).text, model);
    EXPECT_EQ(drawnText(main), drawn);
    EXPECT_TRUE(doc->Saved());
    EXPECT_FALSE(window->isWindowModified());

    // Enter splits the paragraph where the model takes it, and is refused the same way where not.
    caretAfter(main, doc, QStringLiteral("second"));
    QTest::keyClick(main, Qt::Key_Return);
    if (doc->story(0).text == model) {
        EXPECT_FALSE(window->statusBar()->currentMessage().isEmpty());
        EXPECT_EQ(drawnText(main), drawn);
    } else {
        EXPECT_TRUE(doc->story(0).text.contains(QStringLiteral("second\r section")));
        EXPECT_TRUE(drawnText(main).contains(QStringLiteral("second\u2029 section")));
    }
}

TEST_F(HostTest, UndoAndRedoAreInTheEditMenuAndTheTitleMarksUnsavedChanges)
{
    start({report});
    const word::DocumentPtr doc = app()->ActiveDocument();
    host::DocumentWindow* window = windowOf(1);
    host::StoryView* main = window->mainView();
    QAction* undo = menuItem(window, QStringLiteral("編集(&E)"), QStringLiteral("元に戻す"));
    QAction* redo = menuItem(window, QStringLiteral("編集(&E)"), QStringLiteral("やり直し"));
    ASSERT_NE(undo, nullptr);
    ASSERT_NE(redo, nullptr);
    EXPECT_EQ(undo->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(redo->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Y));
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_FALSE(redo->isEnabled());
    EXPECT_TRUE(window->windowTitle().contains(QStringLiteral("[*]")));
    EXPECT_FALSE(window->isWindowModified());

    caretAfter(main, doc, QStringLiteral("Alpha"));
    QTest::keyClicks(main, "!");
    const QString typed = doc->story(0).text;
    EXPECT_TRUE(window->isWindowModified());
    EXPECT_EQ(window->windowHandle()->title(), QStringLiteral("report.docx* - Tarvelin"));
    // The menu is rebuilt when an item's state changes: look the items up again.
    undo = menuItem(window, QStringLiteral("編集(&E)"), QStringLiteral("元に戻す"));
    ASSERT_TRUE(undo->isEnabled());
    undo->trigger();
    EXPECT_TRUE(doc->story(0).text.startsWith(QStringLiteral("Alpha red")));
    EXPECT_TRUE(drawnText(main).startsWith(QStringLiteral("Alpha red")));
    EXPECT_FALSE(window->isWindowModified());

    redo = menuItem(window, QStringLiteral("編集(&E)"), QStringLiteral("やり直し"));
    ASSERT_TRUE(redo->isEnabled());
    EXPECT_FALSE(menuItem(window, QStringLiteral("編集(&E)"), QStringLiteral("元に戻す"))->isEnabled());
    redo->trigger();
    EXPECT_EQ(doc->story(0).text, typed);
    EXPECT_TRUE(drawnText(main).startsWith(QStringLiteral("Alpha! red")));
    EXPECT_TRUE(window->isWindowModified());
    EXPECT_FALSE(menuItem(window, QStringLiteral("編集(&E)"), QStringLiteral("やり直し"))->isEnabled());
}

TEST_F(HostTest, SavingKeepsWhatWasTypedAndClosingAsksAboutUnsavedChanges)
{
    start({report});
    const word::DocumentPtr doc = app()->ActiveDocument();
    host::DocumentWindow* window = windowOf(1);
    const int headerStory = window->headerView()->storyIndex();
    ASSERT_GE(headerStory, 0);
    caretAfter(window->headerView(), doc, QStringLiteral("Head"));
    typeText(window->headerView(), QStringLiteral("見出し"));
    caretAfter(window->mainView(), doc, QStringLiteral("Alpha"));
    typeText(window->mainView(), QStringLiteral("版"));
    menuItem(window, QStringLiteral("ファイル(&F)"), QStringLiteral("上書き保存"))->trigger();
    EXPECT_FALSE(window->isWindowModified());
    EXPECT_TRUE(storyText(report, docx::wdMainTextStory).startsWith(QStringLiteral("Alpha版 red")));
    EXPECT_TRUE(doc->story(headerStory).text.startsWith(QStringLiteral("Head見出し one")));
    EXPECT_TRUE(docx::load(report).stories.at(static_cast<size_t>(headerStory)).text.startsWith(QStringLiteral("Head見出し one")));

    // Unsaved again: キャンセル keeps the window, 保存しない closes it and leaves the file alone.
    caretAfter(window->mainView(), doc, QStringLiteral("Alpha版"));
    QTest::keyClicks(window->mainView(), "?");
    answerMessageBoxes({QStringLiteral("キャンセル")});
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(doc->isOpen());
    answerMessageBoxes({QStringLiteral("保存しない(&N)")});
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(doc->isOpen());
    EXPECT_TRUE(storyText(report, docx::wdMainTextStory).startsWith(QStringLiteral("Alpha版 red")));

    // 保存 saves through the same path before the window goes.
    host->openFiles({report});
    const word::DocumentPtr again = app()->ActiveDocument();
    host::DocumentWindow* reopened = windowOf(1);
    caretAfter(reopened->mainView(), again, QStringLiteral("Alpha版"));
    QTest::keyClicks(reopened->mainView(), "s");
    answerMessageBoxes({QStringLiteral("保存(&S)")});
    EXPECT_TRUE(reopened->close());
    EXPECT_TRUE(storyText(report, docx::wdMainTextStory).startsWith(QStringLiteral("Alpha版s red")));
}

TEST_F(HostTest, AFailedSaveOnClosingKeepsTheWindowOpen)
{
    start({report});
    const word::DocumentPtr doc = app()->ActiveDocument();
    host::DocumentWindow* window = windowOf(1);
    caretAfter(window->mainView(), doc, QStringLiteral("Alpha"));
    QTest::keyClicks(window->mainView(), "z");
    QFile::setPermissions(report, QFile::ReadOwner);
    // The save's failure is told in a second box.
    answerMessageBoxes({QStringLiteral("保存(&S)"), QString()});
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(doc->isOpen());
    EXPECT_TRUE(window->isWindowModified());
    QFile::setPermissions(report, QFile::ReadOwner | QFile::WriteOwner);
}

TEST_F(HostTest, JapaneseTypedIntoAFootnoteAndAHeaderIsDrawnThere)
{
    start({report});
    const word::DocumentPtr doc = app()->ActiveDocument();
    host::DocumentWindow* window = windowOf(1);
    window->resize(1000, 900);
    window->show();
    host::StoryView* header = window->headerView();
    host::StoryView* note = window->shownView(storyOfType(doc, docx::wdFootnotesStory));
    ASSERT_NE(note, nullptr);
    caretAfter(header, doc, QStringLiteral("Head one"));
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("：日本語の見出し"));
    QCoreApplication::sendEvent(header, &commit);
    caretAfter(note, doc, QStringLiteral("Note 資料 text"));
    typeText(note, QStringLiteral("、脚注に追記"));
    EXPECT_TRUE(drawnText(header).contains(QStringLiteral("Head one：日本語の見出し")));
    EXPECT_TRUE(drawnText(note).contains(QStringLiteral("text、脚注に追記")));

    // Where the typed text is drawn, the grabbed views show ink, not an empty page.
    for (host::StoryView* view : {header, note}) {
        const QImage shot = view->viewport()->grab().toImage();
        QTextCursor at(view->document());
        at.setPosition(view->textCursor().position() - 3);
        const QRect glyphs = view->cursorRect(at).adjusted(0, 0, 30, 0).intersected(shot.rect());
        int dark = 0;
        for (int y = glyphs.top(); y <= glyphs.bottom(); ++y)
            for (int x = glyphs.left(); x <= glyphs.right(); ++x)
                dark += qGray(shot.pixel(x, y)) < 128;
        EXPECT_GT(dark, 20) << view->document()->toPlainText().toStdString();
    }
    if (const QString out = qEnvironmentVariable("TARVELIN_TEST_PNG_DIR"); !out.isEmpty())
        window->grab().save(QDir(out).filePath(QStringLiteral("typed-japanese.png")));
}
