#include "host/HelpDialogs.h"
#include "host/StoryView.h"
#include "platform/addin/AddinManager.h"
#include "platform/word/Comments.h"
#include "platform/word/Document.h"
#include "platform/word/Find.h"
#include "platform/word/Range.h"
#include "platform/word/Window.h"
#include "tests/host/HostFixture.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QTextBlock>
#include <QWindow>

#include <functional>

using namespace hostfixture;

namespace {

// A range over the chain-th story of the type, narrowed to its first "資料".
word::RangePtr hitIn(const word::DocumentPtr& doc, int storyType, int chain)
{
    word::RangePtr r = doc->StoryRanges()->Item(storyType);
    for (int i = 0; i < chain && r; ++i)
        r = r->NextStoryRange();
    if (!r)
        return nullptr;
    r->Find()->setText(QStringLiteral("資料"));
    return r->Find()->Execute() ? r : nullptr;
}

// The character format drawn at the first occurrence of text in a view.
QTextCharFormat formatOf(host::StoryView* view, const QString& text)
{
    const int at = view->toPlainText().indexOf(text);
    QTextCursor c(view->document());
    c.setPosition(at + 1);
    return c.charFormat();
}

} // namespace

TEST_F(HostTest, OneWindowPerFileAndAnUnreadableFileOnlyGetsItsMessage)
{
    const QString damaged = dir.filePath("damaged.docx");
    const QString text = dir.filePath("notes.txt");
    for (const QString& path : {damaged, text}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("this is not a package");
    }
    const QString second = dir.filePath("second.docx");
    reportDocument().save(second);

    start({report, damaged, text, second});

    ASSERT_EQ(app()->Documents()->Count(), 2);
    // The title as shown: with no unsaved change, the placeholder for its mark draws nothing.
    EXPECT_EQ(windowOf(1)->windowHandle()->title(), QStringLiteral("report.docx - Tarvelin"));
    EXPECT_EQ(windowOf(2)->windowHandle()->title(), QStringLiteral("second.docx - Tarvelin"));
    EXPECT_TRUE(windowOf(1)->isVisible());
    EXPECT_FALSE(host->applicationWindow()->isVisible());
    ASSERT_EQ(messages.messages().size(), 2);
    EXPECT_TRUE(messages.messages()[0].prompt.contains(QStringLiteral("damaged.docx")));
    EXPECT_TRUE(messages.messages()[1].prompt.contains(QStringLiteral("notes.txt")));
}

TEST_F(HostTest, ImportedContentNoSearchSeesStaysNamedInTheStatusBar)
{
    const QString path = dir.filePath("imports.docx");
    DocxBuilder()
        .body(para(run("before")) + "<w:altChunk r:id=\"c1\"/>")
        .raw("word/a.rtf", "{\\rtf1 x}")
        .relationship("c1", "aFChunk", "a.rtf")
        .save(path);
    start({path, report});
    const auto* notices = windowOf(1)->findChild<QLabel*>(QStringLiteral("notices"));
    ASSERT_NE(notices, nullptr);
    windowOf(1)->showView();   // the view's own status message leaves it in place
    EXPECT_TRUE(notices->isVisible());
    EXPECT_EQ(notices->text(), QStringLiteral("取り込まれた部分 /word/a.rtf は RTF 形式のため検索されません。"));
    EXPECT_EQ(windowOf(2)->findChild<QLabel*>(QStringLiteral("notices")), nullptr);
}

TEST_F(HostTest, WithoutFilesTheApplicationWindowShowsAndComesBackWhenTheLastDocumentCloses)
{
    start({});
    EXPECT_TRUE(host->applicationWindow()->isVisible());
    EXPECT_NE(menu(host->applicationWindow(), QStringLiteral("ファイル(&F)")), nullptr);

    host->openFiles({report});
    EXPECT_FALSE(host->applicationWindow()->isVisible());
    menuItem(windowOf(1), QStringLiteral("ファイル(&F)"), QStringLiteral("閉じる"))->trigger();
    EXPECT_EQ(app()->Documents()->Count(), 0);
    EXPECT_TRUE(host->applicationWindow()->isVisible());
    EXPECT_TRUE(messages.messages().isEmpty());
}

TEST_F(HostTest, MainTextShowsItsFormattingAndHidesFieldCodesAndHiddenText)
{
    start({report});
    host::StoryView* main = windowOf(1)->mainView();
    const QString shown = main->toPlainText();

    EXPECT_TRUE(shown.startsWith(QStringLiteral("Alpha red marked struck twice 7gone commented[S1]1")));
    EXPECT_FALSE(shown.contains(QStringLiteral("PAGE")));
    EXPECT_FALSE(shown.contains(QStringLiteral("secret")));
    QTextTable* table = firstTable(main);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(cellText(table, 0, 0), QStringLiteral("cell A"));
    EXPECT_EQ(cellText(table, 0, 1), QStringLiteral("cell B"));

    EXPECT_EQ(formatOf(main, QStringLiteral("red")).foreground().color(), QColor(Qt::red));
    EXPECT_EQ(formatOf(main, QStringLiteral("marked")).background().color(), QColor(Qt::yellow));
    EXPECT_TRUE(formatOf(main, QStringLiteral("struck")).fontStrikeOut());
    EXPECT_FALSE(formatOf(main, QStringLiteral("twice")).fontStrikeOut());  // two lines, drawn by the view
    const QTextCharFormat deleted = formatOf(main, QStringLiteral("gone"));
    EXPECT_TRUE(deleted.fontStrikeOut());
    EXPECT_EQ(deleted.foreground().color(), QColor(Qt::red));
    EXPECT_FALSE(formatOf(main, QStringLiteral("Alpha")).fontStrikeOut());
}

TEST_F(HostTest, RangeSelectSelectsExactlyTheHitInTheStoryItBelongsTo)
{
    start({report});
    const word::DocumentPtr doc = app()->ActiveDocument();
    host::DocumentWindow* window = windowOf(1);

    struct Case {
        const char* name;
        int storyType;
        int chain;  // 0: first story of the type, 1: the next one
        int seek;   // -1: open the comment instead
        std::function<host::StoryView*()> expectedView;
    };
    const std::vector<Case> cases{
        {"second section's header", 7, 1, 1, [&] { return window->headerView(); }},
        {"second section's footer", 9, 1, 4, [&] { return window->footerView(); }},
        {"second text box", 5, 1, 0, [&] { return window->shownView(doc->StoryRanges()->Item(5)->NextStoryRange()->storyIndex()); }},
        {"footnote", 2, 0, 0, [&] { return window->shownView(doc->StoryRanges()->Item(2)->storyIndex()); }},
        {"comment", 4, 0, -1, [&] { return window->commentsView(); }},
        {"main text", 1, 0, 0, [&] { return window->mainView(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const word::RangePtr hit = hitIn(doc, c.storyType, c.chain);
        ASSERT_NE(hit, nullptr);
        ASSERT_EQ(hit->Text(), QStringLiteral("資料"));
        const word::ViewPtr view = doc->ActiveWindow()->View();
        view->setType(word::wdPrintView);
        if (c.seek < 0)
            hit->Comments()->Item(1)->Edit();
        else
            view->setSeekView(c.seek);
        hit->Select();

        host::StoryView* shown = window->shownView(hit->storyIndex());
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(shown, c.expectedView());
        EXPECT_EQ(shown->textCursor().selectedText(), hit->Text());
    }
    EXPECT_TRUE(window->commentPaneShown());
}

TEST_F(HostTest, TableRowsBreakWhereTheModelSaysEvenAfterAnEmptyCell)
{
    const QString path = dir.filePath("table.docx");
    DocxBuilder()
        .body("<w:tbl><w:tr><w:tc><w:p/></w:tc><w:tc>" + para(run("b")) + "</w:tc></w:tr>"
              "<w:tr><w:tc>" + para(run("c")) + "</w:tc><w:tc><w:p/></w:tc></w:tr></w:tbl>" + para(run("after")))
        .save(path);
    start({path});
    QTextTable* table = firstTable(windowOf(1)->mainView());
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->rows(), 2);
    ASSERT_EQ(table->columns(), 2);
    EXPECT_EQ(cellText(table, 0, 0), QString());
    EXPECT_EQ(cellText(table, 0, 1), QStringLiteral("b"));
    EXPECT_EQ(cellText(table, 1, 0), QStringLiteral("c"));
    EXPECT_EQ(cellText(table, 1, 1), QString());
    EXPECT_TRUE(windowOf(1)->mainView()->toPlainText().endsWith(QStringLiteral("after\n")));
}

TEST_F(HostTest, AnEditThroughARangeShowsAtOnce)
{
    start({report});
    host::StoryView* main = windowOf(1)->mainView();
    word::RangePtr first = app()->Documents()->Item(1)->StoryRanges()->Item(1);
    first->setEnd(5);
    first->setText(QStringLiteral("改訂"));
    EXPECT_TRUE(main->toPlainText().startsWith(QStringLiteral("改訂 red marked"))) << main->toPlainText().toStdString();
}

TEST_F(HostTest, SeekViewViewTypeAndCommentPaneSwitchWhatIsShown)
{
    start({report});
    const word::DocumentPtr doc = app()->ActiveDocument();
    host::DocumentWindow* window = windowOf(1);
    const word::ViewPtr view = doc->ActiveWindow()->View();
    const int head1 = doc->StoryRanges()->Item(7)->storyIndex();
    const int head2 = doc->StoryRanges()->Item(7)->NextStoryRange()->storyIndex();
    const int first1 = doc->StoryRanges()->Item(10)->storyIndex();
    const auto caption = [window] { return window->headerView()->parentWidget()->findChild<QLabel*>()->text(); };

    EXPECT_EQ(window->shownView(head1), window->headerView());  // the selection starts in section 1
    EXPECT_EQ(caption(), QStringLiteral("ヘッダー -セクション 1-"));

    view->setSeekView(word::wdSeekFirstPageHeader);
    EXPECT_EQ(window->headerView()->storyIndex(), first1);
    EXPECT_EQ(caption(), QStringLiteral("先頭ページのヘッダー -セクション 1-"));

    view->setSeekView(word::wdSeekMainDocument);
    const word::RangePtr second = doc->StoryRanges()->Item(1);
    second->Find()->setText(QStringLiteral("second section"));
    ASSERT_TRUE(second->Find()->Execute());
    second->Select();
    EXPECT_EQ(window->currentSection(), 1);
    EXPECT_EQ(window->shownView(head2), window->headerView());
    EXPECT_EQ(window->mainView()->textCursor().selectedText(), QStringLiteral("second section"));

    view->setType(word::wdNormalView);
    EXPECT_EQ(window->shownView(head2), nullptr);  // no headers outside print layout
    view->setType(word::wdPrintView);
    EXPECT_EQ(window->shownView(head2), window->headerView());

    EXPECT_FALSE(window->commentPaneShown());
    view->setSplitSpecial(word::wdPaneComments);
    EXPECT_TRUE(window->commentPaneShown());
    view->setSplitSpecial(word::wdPaneNone);
    EXPECT_FALSE(window->commentPaneShown());
}

TEST_F(HostTest, MenuBarFollowsTheCommandBarsLive)
{
    start({report});
    host::DocumentWindow* window = windowOf(1);
    auto edit = std::static_pointer_cast<office::CommandBarPopup>(
        app()->CommandBars()->Item(QStringLiteral("Menu Bar"))->Controls()->Item(QStringLiteral("編集(&E)")));
    auto button = std::static_pointer_cast<office::CommandBarButton>(
        edit->CommandBar()->Controls()->Add(office::msoControlButton, office::kCustomControlId, {}, 1, true));
    button->setCaption(QStringLiteral("検索して一覧表示する"));

    EXPECT_EQ(menu(window, QStringLiteral("編集(&E)"))->actions().first()->text(), QStringLiteral("検索して一覧表示する"));
    int clicks = 0;
    office::WithEventsButton holder([&clicks](const std::shared_ptr<office::CommandBarButton>&, bool&) { ++clicks; });
    holder = button;
    menu(window, QStringLiteral("編集(&E)"))->actions().first()->trigger();
    EXPECT_EQ(clicks, 1);

    button->setVisible(false);
    EXPECT_FALSE(menuItem(window, QStringLiteral("編集(&E)"), QStringLiteral("検索して一覧表示する"))->isVisible());
    button->Delete();
    EXPECT_EQ(menuItem(window, QStringLiteral("編集(&E)"), QStringLiteral("検索して一覧表示する")), nullptr);
    EXPECT_EQ(menu(window, QStringLiteral("編集(&E)"))->actions().first()->text(), QStringLiteral("元に戻す"));
    EXPECT_EQ(menuItem(window, QStringLiteral("ファイル(&F)"), QStringLiteral("開く…"))->shortcut(), QKeySequence(QKeySequence::Open));
}

TEST_F(HostTest, BuiltinMenuCommandsActOnTheActiveDocument)
{
    start({report});
    const word::DocumentPtr doc = app()->ActiveDocument();
    host::DocumentWindow* window = windowOf(1);
    const word::ViewPtr view = doc->ActiveWindow()->View();
    const auto item = [window](const char* menuCaption, const char* caption) {
        return menuItem(window, QString::fromUtf8(menuCaption), QString::fromUtf8(caption));
    };

    view->setType(word::wdNormalView);
    item("表示(&V)", "印刷レイアウト")->trigger();
    EXPECT_EQ(view->Type(), word::wdPrintView);

    item("表示(&V)", "コメント")->trigger();
    EXPECT_EQ(view->SplitSpecial(), word::wdPaneComments);
    EXPECT_TRUE(window->commentPaneShown());
    item("表示(&V)", "コメント")->trigger();
    EXPECT_EQ(view->SplitSpecial(), word::wdPaneNone);

    item("表示(&V)", "ヘッダーとフッター")->trigger();
    EXPECT_EQ(view->SeekView(), word::wdSeekPrimaryHeader);
    item("表示(&V)", "ヘッダーとフッター")->trigger();
    EXPECT_EQ(view->SeekView(), word::wdSeekMainDocument);

    hitIn(doc, 2, 0)->Select();
    item("編集(&E)", "すべて選択")->trigger();
    const word::RangePtr notes = doc->StoryRanges()->Item(2);
    EXPECT_EQ(doc->ActiveWindow()->selectionStart(), 0);
    EXPECT_EQ(doc->ActiveWindow()->selectionEnd(), notes->End());
    item("編集(&E)", "コピー")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), notes->Text());

    item("ファイル(&F)", "閉じる")->trigger();
    EXPECT_EQ(app()->Documents()->Count(), 0);
    EXPECT_EQ(host->windowOf(doc.get()), nullptr);
    item("ファイル(&F)", "閉じる")->trigger();  // no document: Word's message, nothing else
    ASSERT_EQ(messages.messages().size(), 1);
    EXPECT_EQ(messages.messages()[0].prompt, QStringLiteral("文書が開かれていないため、このコマンドは使用できません。"));
}

TEST_F(HostTest, ScreenUpdatingAndActivateReachTheWindows)
{
    const QString second = dir.filePath("second.docx");
    reportDocument().save(second);
    start({report, second});

    app()->setScreenUpdating(false);
    EXPECT_FALSE(windowOf(1)->updatesEnabled());
    EXPECT_FALSE(windowOf(2)->mainView()->updatesEnabled());
    host->openFiles({dir.filePath("report.docx")});
    EXPECT_FALSE(windowOf(3)->updatesEnabled());  // opened while updating is off
    app()->setScreenUpdating(true);
    for (int i = 1; i <= 3; ++i)
        EXPECT_TRUE(windowOf(i)->updatesEnabled());

    // A window system hands the focus over asynchronously: the last opened window gets it first.
    ASSERT_TRUE(QTest::qWaitForWindowActive(windowOf(3)));
    EXPECT_EQ(app()->ActiveDocument(), app()->Documents()->Item(3));
    app()->Documents()->Item(1)->Activate();
    app()->Activate();
    EXPECT_TRUE(QTest::qWaitFor([this] { return QApplication::activeWindow() == windowOf(1); }, 5000));
    EXPECT_EQ(app()->ActiveDocument(), app()->Documents()->Item(1));
}

TEST_F(HostTest, RegisteredAddinAddsItsItemAndIsDisconnectedBeforeTemporaryItemsGo)
{
    addin::registerLibrary(QStringLiteral(HOST_FIXTURE_ADDIN), store);
    start({report});
    EXPECT_EQ(host->addins().connected(), QStringList{QStringLiteral("HostFixture.Connect")});
    QMenu* tools = menu(windowOf(1), QStringLiteral("ツール(&T)"));
    ASSERT_EQ(tools->actions().first()->text(), QStringLiteral("フィクスチャの項目"));

    tools->actions().first()->trigger();
    EXPECT_TRUE(windowOf(1)->commentPaneShown());

    host->shutdown();
    EXPECT_TRUE(host->addins().errors().isEmpty()) << host->addins().errors().join('\n').toStdString();
    EXPECT_TRUE(host->addins().connected().isEmpty());
    EXPECT_EQ(app()->CommandBars()->FindControl({}, {}, QStringLiteral("host-fixture.item")), nullptr);
    EXPECT_EQ(menuItem(windowOf(1), QStringLiteral("ツール(&T)"), QStringLiteral("フィクスチャの項目")), nullptr);
    EXPECT_TRUE(messages.messages().isEmpty());
}

TEST_F(HostTest, HelpNamesTheConnectedAddinsAndListsTheKeysOfTheMenusAsTheyStand)
{
    addin::registerLibrary(QStringLiteral(HOST_FIXTURE_ADDIN), store);
    start({report});
    ASSERT_NE(menuItem(windowOf(1), QStringLiteral("ヘルプ(&H)"), QStringLiteral("Tarvelin について")), nullptr);
    const QString about = host::aboutText(host->addins().connectedRecords());
    EXPECT_TRUE(about.contains(QStringLiteral("バージョン 0.1.0")));
    EXPECT_TRUE(about.contains(QStringLiteral("HostFixture（HostFixture.Connect）")));

    auto edit = std::static_pointer_cast<office::CommandBarPopup>(
        app()->CommandBars()->Item(QStringLiteral("Menu Bar"))->Controls()->Item(QStringLiteral("編集(&E)")));
    edit->CommandBar()->Controls()->Add(office::msoControlButton, office::kCustomControlId, {}, 1, true)
        ->setCaption(QStringLiteral("一覧表示(&L)"));
    const auto rows = host::shortcutRows(*app()->CommandBars()->Item(QStringLiteral("Menu Bar")));
    using Row = QPair<QString, QString>;
    EXPECT_TRUE(rows.contains(Row("編集", "Alt+E")));
    EXPECT_TRUE(rows.contains(Row("編集 → 一覧表示", "Alt+E, L")));
    EXPECT_TRUE(rows.contains(Row("ファイル → 開く…", QKeySequence(QKeySequence::Open).toString(QKeySequence::NativeText))));
}

TEST_F(HostTest, AddinWhoseLibraryIsMissingLeavesTheHostUsable)
{
    const QString missing = dir.filePath("gone/libMissing.so");
    addin::Registry(store).write({QStringLiteral("Missing.Connect"), QStringLiteral("Missing"), QStringLiteral("なし"),
                                  addin::kLoadAtStartup, missing});
    start({report});

    ASSERT_EQ(messages.messages().size(), 1);
    EXPECT_TRUE(messages.messages()[0].prompt.contains(missing));
    EXPECT_EQ(app()->Documents()->Count(), 1);
    menuItem(windowOf(1), QStringLiteral("表示(&V)"), QStringLiteral("コメント"))->trigger();
    EXPECT_TRUE(windowOf(1)->commentPaneShown());
}

// The sample opened with a hit selected in the second section's header. Set
// TARVELIN_SCREENSHOT_DIR to keep the pictures (under a real display, the screen too).
TEST_F(HostTest, SampleWindowShowsAHeaderHitSelected)
{
    start({QStringLiteral(TARVELIN_SAMPLE)});
    const word::DocumentPtr doc = app()->ActiveDocument();
    host::DocumentWindow* window = windowOf(1);
    window->resize(1200, 900);
    const word::RangePtr hit = hitIn(doc, 7, 1);
    ASSERT_NE(hit, nullptr);
    doc->ActiveWindow()->View()->setSeekView(word::wdSeekPrimaryHeader);
    hit->Select();
    doc->Activate();
    QApplication::processEvents();

    ASSERT_EQ(window->shownView(hit->storyIndex()), window->headerView());
    EXPECT_EQ(window->headerView()->textCursor().selectedText(), QStringLiteral("資料"));
    const QColor highlight = window->headerView()->palette().color(QPalette::Inactive, QPalette::Highlight);
    const QImage header = window->headerView()->viewport()->grab().toImage();
    int selected = 0;
    for (int y = 0; y < header.height(); ++y)
        for (int x = 0; x < header.width(); ++x)
            selected += header.pixelColor(x, y) == highlight;
    EXPECT_GT(selected, 100);

    const QString out = qEnvironmentVariable("TARVELIN_SCREENSHOT_DIR");
    if (out.isEmpty())
        return;
    EXPECT_TRUE(window->grab().save(out + QStringLiteral("/document-window.png")));
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
        EXPECT_TRUE(QGuiApplication::primaryScreen()->grabWindow(0).save(out + QStringLiteral("/screen.png")));
    }
}
