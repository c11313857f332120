#include "tests/src/AddinSupport.h"
#include "tests/support/ModalSteps.h"

#include "platform/forms/MsgBox.h"
#include "platform/word/Range.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMenu>
#include <QProcess>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

using mdlQLFGlobal::g_frmResult;

namespace {

// The records of a CSV file as Python's csv module reads them.
QList<QStringList> readCsv(const QString& path, const char* encoding)
{
    QProcess python;
    python.start("python3", {"-c", "import csv, json, sys\nprint(json.dumps(list(csv.reader("
                                   "open(sys.argv[1], encoding=sys.argv[2], newline=''), strict=True))))", path, encoding});
    EXPECT_TRUE(python.waitForFinished() && python.exitCode() == 0) << python.readAllStandardError().toStdString();
    QList<QStringList> records;
    for (const QJsonValue& record : QJsonDocument::fromJson(python.readAllStandardOutput()).array())
        records << record.toVariant().toStringList();
    return records;
}

const QStringList kHeader{"項番", "テキスト", "タイプ", "開始位置", "終了位置", "タイプコード", "場所", "前の文脈", "後の文脈"};

class ResultListing : public ::testing::Test {
protected:
    ConnectedGlobals globals;
    forms::FlexGrid& grid = *g_frmResult->grdResult();
    QTemporaryDir dir;

    // Lists the first hit of text in the index-th story of the type.
    void list(const word::DocumentPtr& doc, int storyType, int index, const QString& text)
    {
        word::RangePtr r = doc->StoryRanges()->Item(storyType);
        for (int i = 0; i < index; ++i)
            r = r->NextStoryRange();
        const auto at = static_cast<int32_t>(r->Text().indexOf(text));
        r->setEnd(at + static_cast<int32_t>(text.size()));
        r->setStart(at);
        g_frmResult->setDocument(doc);
        g_frmResult->appendResult(*r, index);
    }
    word::DocumentPtr open(const QString& text) { return globals.open(DocxBuilder().body(wordxml::para(wordxml::run(text)))); }
};

} // namespace

// Rows keep positions only: once an edit has taken a row's place away, its tip says so.
TEST_F(ResultListing, TipsSayWhereTheHitIsInItsParagraph)
{
    const word::DocumentPtr doc = globals.open(everyStoryDocument());
    list(doc, 2, 0, QStringLiteral("K3"));   // a footnote
    list(doc, 7, 0, QStringLiteral("K8"));   // the first section's primary header
    list(doc, 7, 1, QStringLiteral("K9"));   // the second's, "head K9"
    EXPECT_EQ(g_frmResult->rowToolTip(1), QStringLiteral("場所: セクション 1、脚注 1\n文脈:  【K3】 note"));
    EXPECT_EQ(g_frmResult->rowToolTip(3), QStringLiteral("場所: セクション 2、ヘッダー\n文脈: head 【K9】"));
    g_frmResult->Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(g_frmResult.get()));
    grid.setTopRow(1);   // lays the rows out
    const QPoint cell = grid.visualRect(grid.model()->index(1, frmQLFResult::colText - 1)).center();
    QHelpEvent hover(QEvent::ToolTip, cell, grid.viewport()->mapToGlobal(cell));
    QApplication::sendEvent(grid.viewport(), &hover);
    EXPECT_EQ(QToolTip::text(), QStringLiteral("場所: セクション 1、ヘッダー\n文脈: 【K8】 head"));

    word::RangePtr header = doc->StoryRanges()->Item(7)->NextStoryRange();
    header->setEnd(5);
    header->Delete();
    EXPECT_EQ(g_frmResult->rowToolTip(3), QStringLiteral("場所: （検索の後の編集で、この位置はなくなりました）"));
}

TEST_F(ResultListing, CtrlCCopiesTheSelectedRowsUnderTheHeaderAsTabSeparatedText)
{
    const word::DocumentPtr doc = globals.open(DocxBuilder().body(wordxml::para(wordxml::run("前の文、語")) + wordxml::para(wordxml::run("二つ目の語"))));
    list(doc, 1, 0, QStringLiteral("語\r二"));   // a paragraph mark in a hit does not split its row
    list(doc, 1, 0, QStringLiteral("二つ目"));
    g_frmResult->Show();
    g_frmResult->activateWindow();
    grid.setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(g_frmResult.get()));
    grid.setRow(2);
    grid.setRowSel(1);
    QTest::keyClick(&grid, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), kHeader.join('\t') + "\n"
                                                 "1\t語¶二\tメイン文書\t4\t7\t1\tセクション 1\t前の文、\tつ目の語\n"
                                                 "2\t二つ目\tメイン文書\t6\t9\t1\tセクション 1\t\tの語\n");
}

TEST_F(ResultListing, SavedUtf8CsvReadsBackAndAFailureIsTold)
{
    list(open(QStringLiteral("彼は \"そう,です\" と言った")), 1, 0, QStringLiteral("\"そう,です\""));
    const QString path = dir.filePath("結果.csv");
    ASSERT_TRUE(g_frmResult->saveResultsTo(path, false));
    QStringList marked = kHeader;
    marked[0].prepend(QChar(0xFEFF));   // the byte order mark, read as plain UTF-8
    EXPECT_EQ(readCsv(path, "utf-8"), (QList<QStringList>{marked, {"1", "\"そう,です\"", "メイン文書", "3", "10", "1",
                                                                   "セクション 1", "彼は ", " と言った"}}));
    forms::MessageRecorder recorder;
    EXPECT_FALSE(g_frmResult->saveResultsTo(dir.filePath("no-folder/結果.csv"), false));
    ASSERT_EQ(recorder.messages().size(), 1);
    EXPECT_TRUE(recorder.messages()[0].prompt.startsWith(QStringLiteral("検索結果を保存できませんでした。\r\n") + dir.path()));
}

// The menu's save asks for a file in Japanese; Shift_JIS names what it cannot hold before it
// writes "?" in its place.
TEST_F(ResultListing, TheMenuSavesShiftJisAfterNamingWhatItCannotHold)
{
    list(open(QString::fromUtf8("吉と𠮷の字")), 1, 0, QStringLiteral("吉"));
    const QString path = dir.filePath("sjis.csv");
    g_frmResult->Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(g_frmResult.get()));
    grid.setRow(1);
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, {5, 5}, grid.viewport()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(grid.viewport(), &rightClick);
    QMenu* menu = g_frmResult->mnuResult();
    ASSERT_TRUE(menu->isVisible());
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_EQ(menu->actions()[0]->text() + "|" + menu->actions()[1]->text(), QStringLiteral("結果をコピー|結果を保存..."));
    QString title;
    ModalSteps steps({{"QFileDialog", [&](QWidget* w) {
                           auto* dialog = static_cast<QFileDialog*>(w);
                           title = dialog->windowTitle() + "|" + dialog->labelText(QFileDialog::Accept);
                           dialog->selectNameFilter(QStringLiteral("CSV Shift_JIS (*.csv)"));
                           // As a user does: go to the folder, then type the name (the folder
                           // view loads later and resets a name chosen before it is there).
                           dialog->setDirectory(QFileInfo(path).absolutePath());
                           auto* typed = new QTimer(dialog);
                           QObject::connect(typed, &QTimer::timeout, dialog, [dialog, path] {
                               if (dialog->selectedFiles().value(0) == path)
                                   static_cast<QDialog*>(dialog)->accept();
                               else if (auto* name = dialog->findChild<QLineEdit*>("fileNameEdit"))
                                   name->setText(QFileInfo(path).fileName());
                           });
                           typed->start(10);
                       }}});
    forms::MessageRecorder accepted(forms::vbYes);
    menu->actions()[1]->trigger();
    EXPECT_TRUE(steps.done());
    EXPECT_EQ(title, QStringLiteral("検索結果を保存|保存"));
    ASSERT_EQ(accepted.messages().size(), 1);
    EXPECT_TRUE(accepted.messages()[0].prompt.contains(QString::fromUtf8("𠮷 (U+20BB7)")));
    EXPECT_EQ(readCsv(path, "cp932"), (QList<QStringList>{kHeader, {"1", "吉", "メイン文書", "0", "1", "1", "セクション 1", "", "と?の字"}}));
}
