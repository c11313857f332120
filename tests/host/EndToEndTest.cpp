// The whole path a user takes: the host loads the registered add-in (libQLF.so), its items head
// the Edit and View menus, the search dialog runs a search, the result window lists the hits, and
// Next, Previous and a double-click show each hit selected in the window. The add-in's windows are
// reached only as widgets (class and object names), as the plugin's code is not linked here.
#include "platform/addin/AddinManager.h"
#include "platform/word/Document.h"
#include "platform/word/Find.h"
#include "platform/word/Range.h"
#include "platform/word/Window.h"
#include "tests/host/HostFixture.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <algorithm>
#include <functional>

using namespace hostfixture;

namespace {

constexpr int kTextColumn = 0;  // model column of the grid's "テキスト" column
constexpr int kTypeColumn = 1;  // model column of "タイプ"

// Hits of "資料[0-9]" in every kind of story a jump treats differently. The second text box and
// the second section's even-page header hold their hit at other positions than the first story
// of their chain, so a jump into the wrong story of the chain selects other text.
DocxBuilder everyStoryDocument()
{
    const QString sect1 = "<w:sectPr><w:headerReference w:type=\"default\" r:id=\"rIdH1\"/></w:sectPr>";
    const QString sect2 = "<w:sectPr><w:headerReference w:type=\"default\" r:id=\"rIdH2\"/>"
                          "<w:headerReference w:type=\"even\" r:id=\"rIdH2E\"/></w:sectPr>";
    const QString body =
        para(run("資料1 本文の段落 ") + "<w:r><w:footnoteReference w:id=\"1\"/></w:r>"
             + "<w:commentRangeStart w:id=\"0\"/>" + run("注釈付き") + "<w:commentRangeEnd w:id=\"0\"/>"
             + "<w:r><w:commentReference w:id=\"0\"/></w:r>" + textBox("資料5 一つ目の枠"))
        + para(run("第一節の終わり"), sect1)
        + para(run("第二節 資料2") + textBox("二つ目の枠の 資料6"))
        + sect2;
    return DocxBuilder()
        .body(body)
        .part("word/settings.xml", QString("<w:settings %1><w:evenAndOddHeaders/></w:settings>").arg(DocxBuilder::kNamespaces))
        .part("word/header1.xml", headerFooter("hdr", "資料7 第一節のヘッダー"))
        .part("word/header2.xml", headerFooter("hdr", "第二節のヘッダー"))
        .part("word/header2e.xml", headerFooter("hdr", "第二節 偶数ページの 資料8"))
        .relationship("rIdH1", "header", "header1.xml")
        .relationship("rIdH2", "header", "header2.xml")
        .relationship("rIdH2E", "header", "header2e.xml")
        .part("word/comments.xml",
              QString("<w:comments %1><w:comment w:id=\"0\" w:author=\"Sato\" w:initials=\"S\">%2</w:comment></w:comments>")
                  .arg(DocxBuilder::kNamespaces, para("<w:r><w:annotationRef/></w:r>" + run("コメントの 資料4"))))
        .part("word/footnotes.xml",
              QString("<w:footnotes %1>"
                      "<w:footnote w:type=\"separator\" w:id=\"-1\"><w:p><w:r><w:separator/></w:r></w:p></w:footnote>"
                      "<w:footnote w:id=\"1\">%2</w:footnote></w:footnotes>")
                  .arg(DocxBuilder::kNamespaces, para("<w:r><w:footnoteRef/></w:r>" + run(" 脚注の 資料3"))));
}

// The add-in's top-level window of the given class, or null.
QWidget* addinWindow(const char* className)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qstrcmp(w->metaObject()->className(), className) == 0)
            return w;
    return nullptr;
}

template<class T>
T* control(QWidget* window, const char* name)
{
    T* found = window ? window->findChild<T*>(QLatin1String(name)) : nullptr;
    EXPECT_NE(found, nullptr) << name;
    return found;
}

class EndToEnd : public HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        path = dir.filePath("every-story.docx");
        everyStoryDocument().save(path);
        // Registered as the installer does; the host finds the store through the variable.
        qputenv("TARVELIN_REGISTRY", store.toUtf8());
        addin::registerLibrary(QStringLiteral(QLF_PLUGIN_PATH));
        host = std::make_unique<host::Host>(word::Application::create());
        host->connectAddins();
        host->openFiles({path});
        ASSERT_EQ(host->addins().connected(), QStringList{QStringLiteral("QLF.Connect")});
        doc = app()->ActiveDocument();
        window = windowOf(1);
        ASSERT_NE(window, nullptr);
    }

    void TearDown() override
    {
        doc.reset();
        host.reset();
        qunsetenv("TARVELIN_REGISTRY");
    }

    // Opens the search dialog from the Edit menu, types the text, asks for wildcards and runs it.
    void searchFromMenu(const QString& text)
    {
        menu(window, QStringLiteral("編集(&E)"))->actions().first()->trigger();
        QWidget* find = addinWindow("frmQLFFind");
        ASSERT_NE(find, nullptr);
        ASSERT_TRUE(find->isVisible());
        auto* txtText = control<QLineEdit>(find, "txtText");
        auto* wildcards = control<QCheckBox>(find, "chkMatchWildcards");
        auto* execute = control<QPushButton>(find, "btnExecute");
        ASSERT_TRUE(txtText && wildcards && execute);
        txtText->setFocus();
        txtText->selectAll();  // the dialog keeps the last search's text
        QTest::sendKeyEvent(QTest::Click, txtText, Qt::Key_unknown, text, Qt::NoModifier);
        ASSERT_EQ(txtText->text(), text);
        if (!wildcards->isChecked())
            QTest::mouseClick(wildcards, Qt::LeftButton, {}, QPoint(8, wildcards->height() / 2));
        ASSERT_TRUE(wildcards->isChecked());
        QTest::mouseClick(execute, Qt::LeftButton);
        EXPECT_FALSE(find->isVisible());
    }

    QWidget* results() const { return addinWindow("frmQLFResult"); }
    QTableView* grid() const { return results() ? results()->findChild<QTableView*>(QStringLiteral("grdResult")) : nullptr; }

    // Waits until the grid's model has announced rows rows.
    bool gridHolds(int rows) const
    {
        return QTest::qWaitFor([this, rows] { return grid()->model()->rowCount() == rows; }, 2000);
    }

    QString cell(int row, int column) const { return grid()->model()->index(row, column).data().toString(); }

    // The model row listing the hit text, or -1.
    int rowOf(const QString& hit) const
    {
        for (int r = 0; r < grid()->model()->rowCount(); ++r)
            if (cell(r, kTextColumn) == hit)
                return r;
        return -1;
    }

    QPoint cellCentre(int row)
    {
        const QModelIndex index = grid()->model()->index(row, kTextColumn);
        grid()->scrollTo(index);
        return grid()->visualRect(index).center();
    }
    void clickRow(int row) { QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, cellCentre(row)); }
    void doubleClickRow(int row) { QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, cellCentre(row)); }
    void press(const char* button) { QTest::mouseClick(control<QPushButton>(results(), button), Qt::LeftButton); }

    // The index of the chain-th story of a type in the document model.
    int storyOf(int storyType, int chain) const
    {
        word::RangePtr r = doc->StoryRanges()->Item(storyType);
        for (int i = 0; i < chain; ++i)
            r = r->NextStoryRange();
        return r->storyIndex();
    }

    QString path;
    word::DocumentPtr doc;
    host::DocumentWindow* window = nullptr;
};

// Where each hit must show: the view drawing its story, and that view's caption where it has one.
struct Hit {
    const char* text;
    const char* typeName;
    std::function<host::StoryView*()> view;
    const char* caption;  // empty: not checked
};

} // namespace

TEST_F(EndToEnd, AddinItemsHeadTheEditAndViewMenusAndOpenItsWindows)
{
    EXPECT_EQ(menu(window, QStringLiteral("編集(&E)"))->actions().first()->text(), QStringLiteral("検索して一覧表示する"));
    QAction* showResults = menu(window, QStringLiteral("表示(&V)"))->actions().first();
    EXPECT_EQ(showResults->text(), QStringLiteral("検索結果画面を表示する"));
    EXPECT_EQ(addinWindow("frmQLFFind")->isVisible(), false);

    showResults->trigger();
    ASSERT_NE(results(), nullptr);
    EXPECT_TRUE(results()->isVisible());
    EXPECT_EQ(results()->windowTitle(), QStringLiteral("検索結果"));
    EXPECT_EQ(grid()->model()->rowCount(), 0);

    menu(window, QStringLiteral("編集(&E)"))->actions().first()->trigger();
    EXPECT_TRUE(addinWindow("frmQLFFind")->isVisible());
    EXPECT_EQ(addinWindow("frmQLFFind")->windowTitle(), QStringLiteral("検索"));
    EXPECT_TRUE(messages.messages().isEmpty());
}

TEST_F(EndToEnd, NextPreviousAndDoubleClickShowEveryHitSelectedInTheViewOfItsStory)
{
    searchFromMenu(QStringLiteral("資料[0-9]"));
    ASSERT_TRUE(results()->isVisible());
    ASSERT_TRUE(gridHolds(8)) << grid()->model()->rowCount();

    const std::vector<Hit> hits{
        {"資料1", "メイン文書", [this] { return window->mainView(); }, ""},
        {"資料2", "メイン文書", [this] { return window->mainView(); }, ""},
        {"資料3", "脚注", [this] { return window->shownView(storyOf(docx::wdFootnotesStory, 0)); }, "脚注"},
        {"資料4", "コメント", [this] { return window->commentsView(); }, "コメント"},
        {"資料5", "メイン文書のテキストボックス",
         [this] { return window->shownView(storyOf(docx::wdTextFrameStory, 0)); }, "テキスト ボックス 1"},
        {"資料6", "メイン文書のテキストボックス",
         [this] { return window->shownView(storyOf(docx::wdTextFrameStory, 1)); }, "テキスト ボックス 2"},
        {"資料7", "ヘッダーとフッター", [this] { return window->headerView(); }, "奇数ページのヘッダー -セクション 1-"},
        {"資料8", "ヘッダーとフッター", [this] { return window->headerView(); }, "偶数ページのヘッダー -セクション 2-"},
    };
    const auto expectShown = [this](const Hit& hit) {
        host::StoryView* expected = hit.view();
        ASSERT_NE(expected, nullptr);
        EXPECT_EQ(window->shownView(doc->ActiveWindow()->selectionStory()), expected);
        EXPECT_EQ(expected->textCursor().selectedText(), QString::fromUtf8(hit.text));
        EXPECT_TRUE(expected->isVisibleTo(window));
        if (*hit.caption) {
            EXPECT_EQ(expected->parentWidget()->findChild<QLabel*>()->text(), QString::fromUtf8(hit.caption));
        }
    };

    const auto expectRowShown = [&](int row) {
        const QString text = cell(row, kTextColumn);
        SCOPED_TRACE(text.toStdString());
        const auto hit = std::find_if(hits.begin(), hits.end(), [&](const Hit& h) { return text == QString::fromUtf8(h.text); });
        ASSERT_NE(hit, hits.end());
        expectShown(*hit);
    };

    for (const Hit& hit : hits) {
        SCOPED_TRACE(hit.text);
        const int row = rowOf(QString::fromUtf8(hit.text));
        ASSERT_GE(row, 0);
        EXPECT_EQ(cell(row, kTypeColumn), QString::fromUtf8(hit.typeName));
        doubleClickRow(row);
        expectShown(hit);
        // The jump brings the document's window to the front.
        EXPECT_TRUE(QTest::qWaitFor([this] { return QApplication::activeWindow() == window; }, 2000));
    }

    // Stepping: each step selects the next row's hit, whichever story it lies in.
    clickRow(0);
    for (int row = 1; row < grid()->model()->rowCount(); ++row) {
        press("cmdNext");
        EXPECT_EQ(grid()->currentIndex().row(), row);
        expectRowShown(row);
        EXPECT_EQ(grid()->selectionModel()->selectedRows().size(), 1);
    }
    for (int row = grid()->model()->rowCount() - 2; row >= 0; --row) {
        press("cmdPrevious");
        EXPECT_EQ(grid()->currentIndex().row(), row);
        expectRowShown(row);
    }
    EXPECT_TRUE(messages.messages().isEmpty());
}

TEST_F(EndToEnd, AJumpAfterTheDocumentWasClosedSaysSoAndMovesTheRow)
{
    searchFromMenu(QStringLiteral("資料[0-9]"));
    ASSERT_TRUE(gridHolds(8));
    clickRow(0);
    menuItem(window, QStringLiteral("ファイル(&F)"), QStringLiteral("閉じる"))->trigger();
    ASSERT_EQ(app()->Documents()->Count(), 0);

    press("cmdNext");
    EXPECT_EQ(grid()->currentIndex().row(), 1);
    ASSERT_EQ(messages.messages().size(), 1);
    EXPECT_EQ(messages.messages()[0],
              (forms::MessageRecorder::Message{QStringLiteral("ドキュメントが閉じられているため、検索結果場所へジャンプできません"),
                                               4160, QStringLiteral("情報")}));

    // The same file opened again is another document.
    host->openFiles({path});
    doubleClickRow(0);
    EXPECT_EQ(messages.messages().size(), 2);
    EXPECT_EQ(windowOf(1)->mainView()->textCursor().selectedText(), QString());
}

TEST_F(EndToEnd, AJumpToTextDeletedAfterTheSearchSaysItFailedAndASecondSearchReachesTheEditedText)
{
    searchFromMenu(QStringLiteral("資料[0-9]"));
    ASSERT_TRUE(gridHolds(8));
    // Text before 資料2 goes: its stored end now lies beyond the main text's end.
    word::RangePtr gone = doc->StoryRanges()->Item(1);
    gone->Find()->setText(QStringLiteral("本文の段落 "));
    ASSERT_TRUE(gone->Find()->Execute());
    gone->Delete();

    doubleClickRow(rowOf(QStringLiteral("資料2")));
    ASSERT_EQ(messages.messages().size(), 1);
    EXPECT_TRUE(messages.messages()[0].prompt.startsWith(QStringLiteral("ジャンプできませんでした。\r\n")));
    EXPECT_EQ(messages.messages()[0].style, 4144);
    EXPECT_EQ(messages.messages()[0].title, QStringLiteral("警告"));

    // Searching again lists the hits where they are now, and the window shows the edited text.
    searchFromMenu(QStringLiteral("資料[0-9]"));
    ASSERT_TRUE(gridHolds(8));
    doubleClickRow(rowOf(QStringLiteral("資料2")));
    EXPECT_EQ(messages.messages().size(), 1);
    EXPECT_FALSE(window->mainView()->toPlainText().contains(QStringLiteral("本文の段落")));
    EXPECT_EQ(window->mainView()->textCursor().selectedText(), QStringLiteral("資料2"));
}
