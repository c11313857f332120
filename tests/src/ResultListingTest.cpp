#include "tests/src/AddinSupport.h"
#include "tests/support/ModalSteps.h"

#include "platform/forms/AnsiCodePage.h"
#include "platform/forms/MsgBox.h"
#include "platform/word/Range.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QFile>
#include <QFileDialog>
#include <QHelpEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMenu>
#include <QProcess>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

using mdlQLFGlobal::g_frmResult;

namespace {

// The records of a CSV file as Python's csv module reads them, in the given encoding.
QList<QStringList> readCsv(const QString& path, const char* encoding)
{
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import csv, json, sys\n"
                                 "with open(sys.argv[1], encoding=sys.argv[2], newline='') as f:\n"
                                 "    print(json.dumps(list(csv.reader(f, strict=True))))"),
                  path, QString::fromLatin1(encoding)});
    if (!python.waitForFinished() || python.exitCode() != 0) {
        ADD_FAILURE() << "python3 failed: " << python.readAllStandardError().toStdString();
        return {};
    }
    QList<QStringList> records;
    for (const QJsonValue& record : QJsonDocument::fromJson(python.readAllStandardOutput()).array()) {
        QStringList fields;
        for (const QJsonValue& field : record.toArray())
            fields << field.toString();
        records << fields;
    }
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
        const int32_t at = static_cast<int32_t>(r->Text().indexOf(text));
        ASSERT_GE(at, 0) << text.toStdString();
        r->setEnd(at + static_cast<int32_t>(text.size()));
        r->setStart(at);
        g_frmResult->setDocument(doc);
        g_frmResult->appendResult(*r, index);
    }
    word::DocumentPtr open(const QString& body) { return globals.open(DocxBuilder().body(body)); }
};

} // namespace

TEST_F(ResultListing, TipsSayWhereTheHitIsAndShowItInItsParagraph)
{
    const word::DocumentPtr doc = globals.open(everyStoryDocument());
    list(doc, 2, 0, QStringLiteral("K3"));   // a footnote
    list(doc, 7, 0, QStringLiteral("K8"));   // the first section's primary header
    list(doc, 7, 1, QStringLiteral("K9"));   // the second's
    EXPECT_EQ(g_frmResult->rowToolTip(1), QStringLiteral("場所: セクション 1、脚注 1\n文脈:  【K3】 note"));
    EXPECT_EQ(g_frmResult->rowToolTip(2), QStringLiteral("場所: セクション 1、ヘッダー\n文脈: 【K8】 head"));
    EXPECT_EQ(g_frmResult->rowToolTip(3), QStringLiteral("場所: セクション 2、ヘッダー\n文脈: head 【K9】"));
    EXPECT_EQ(g_frmResult->rowToolTip(0), QString());   // the header row has none

    // The grid shows it over any cell of the row.
    g_frmResult->Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(g_frmResult.get()));
    grid.setTopRow(1);   // lays the rows out
    const QRect cell = grid.visualRect(grid.model()->index(1, frmQLFResult::colText - 1));
    QApplication::setEffectEnabled(Qt::UI_FadeTooltip, false);
    QToolTip::hideText();
    ASSERT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }));
    QHelpEvent hover(QEvent::ToolTip, cell.center(), grid.viewport()->mapToGlobal(cell.center()));
    QApplication::sendEvent(grid.viewport(), &hover);
    EXPECT_EQ(QToolTip::text(), g_frmResult->rowToolTip(2));
    QToolTip::hideText();
}

// Rows keep positions only: once an edit has taken their place away, the tip and the copy say so
// instead of failing, and a closed document still answers from its model.
TEST_F(ResultListing, ARowWhosePlaceIsGoneSaysSo)
{
    const word::DocumentPtr doc = globals.open(everyStoryDocument());
    list(doc, 7, 1, QStringLiteral("K9"));   // "head K9"
    list(doc, 1, 0, QStringLiteral("K1"));
    word::RangePtr header = doc->StoryRanges()->Item(7)->NextStoryRange();
    header->setEnd(5);
    header->Delete();
    const QString gone = QStringLiteral("場所: （検索の後の編集で、この位置はなくなりました）");
    EXPECT_EQ(g_frmResult->rowToolTip(1), gone);
    grid.setRow(1);
    grid.setRowSel(2);
    const QStringList lines = g_frmResult->selectedRowsText().split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[1], QStringLiteral("1\tK9\tヘッダーとフッター\t5\t7\t7\t（検索の後の編集で、この位置はなくなりました）\t\t"));
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("2\tK1\tメイン文書\t0\t2\t1\tセクション 1\t\t main K2")));
    doc->Close();
    EXPECT_EQ(g_frmResult->rowToolTip(2).section('\n', 0, 0), QStringLiteral("場所: セクション 1"));
}

TEST_F(ResultListing, CtrlCCopiesTheSelectedRowsUnderTheHeaderAsTabSeparatedText)
{
    const word::DocumentPtr doc = open(wordxml::para(wordxml::run("前の文、語")) + wordxml::para(wordxml::run("二つ目の語")));
    list(doc, 1, 0, QStringLiteral("語\r二"));   // a paragraph mark in a hit does not split its row
    list(doc, 1, 0, QStringLiteral("二つ目"));
    QApplication::clipboard()->setText(QStringLiteral("before"));
    g_frmResult->Show();
    g_frmResult->activateWindow();
    grid.setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(g_frmResult.get()));
    grid.setRow(2);
    grid.setRowSel(1);
    QTest::keyClick(&grid, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(),
              kHeader.join('\t') + "\n"
              "1\t語¶二\tメイン文書\t4\t7\t1\tセクション 1\t前の文、\tつ目の語\n"
              "2\t二つ目\tメイン文書\t6\t9\t1\tセクション 1\t\tの語\n");
    grid.setRow(2);
    QTest::keyClick(&grid, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text().count('\n'), 2);   // the header and row 2
}

TEST_F(ResultListing, TheContextMenuOffersCopyAndSaveAtTheMouseOrTheCurrentRow)
{
    const word::DocumentPtr doc = globals.open(everyStoryDocument());
    g_frmResult->Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(g_frmResult.get()));
    QMenu* menu = g_frmResult->mnuResult();
    QStringList texts;
    for (QAction* a : menu->actions())
        texts << a->text();
    EXPECT_EQ(texts, (QStringList{"結果をコピー", "結果を保存..."}));

    QContextMenuEvent fromKey(QContextMenuEvent::Keyboard, {});
    QApplication::sendEvent(&grid, &fromKey);
    ASSERT_TRUE(menu->isVisible());
    EXPECT_FALSE(menu->actions()[0]->isEnabled());   // no rows: nothing to copy or save
    EXPECT_FALSE(menu->actions()[1]->isEnabled());
    menu->hide();

    list(doc, 1, 0, QStringLiteral("K1"));
    grid.setRow(1);
    const QPoint at = grid.visualRect(grid.model()->index(0, 0)).center();
    QContextMenuEvent click(QContextMenuEvent::Mouse, at, grid.viewport()->mapToGlobal(at));
    QApplication::sendEvent(grid.viewport(), &click);
    ASSERT_TRUE(menu->isVisible());
    EXPECT_EQ(menu->pos(), grid.viewport()->mapToGlobal(at));
    EXPECT_TRUE(menu->actions()[0]->isEnabled());
    EXPECT_TRUE(menu->actions()[1]->isEnabled());
    menu->actions()[0]->trigger();
    EXPECT_TRUE(QApplication::clipboard()->text().startsWith(kHeader.join('\t') + "\n1\tK1\t"));
    menu->hide();
}

TEST_F(ResultListing, SavedCsvReadsBackInUtf8WithItsMark)
{
    const word::DocumentPtr doc = open(wordxml::para(wordxml::run("彼は \"そう,です\" と言った")));
    list(doc, 1, 0, QStringLiteral("\"そう,です\""));
    list(doc, 1, 0, QStringLiteral("言った"));
    const QString path = dir.filePath("結果.csv");
    ASSERT_TRUE(g_frmResult->saveResultsTo(path, false));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith("\xEF\xBB\xBF" "\xE9\xA0\x85"));   // the mark, then 項
    const QList<QStringList> records = readCsv(path, "utf-8-sig");
    ASSERT_EQ(records.size(), 3);
    EXPECT_EQ(records[0], kHeader);
    EXPECT_EQ(records[1], (QStringList{"1", "\"そう,です\"", "メイン文書", "3", "10", "1", "セクション 1", "彼は ", " と言った"}));
    EXPECT_EQ(records[2], (QStringList{"2", "言った", "メイン文書", "12", "15", "1", "セクション 1", "彼は \"そう,です\" と", ""}));
}

TEST_F(ResultListing, ShiftJisNamesTheCharactersItCannotHoldBeforeWriting)
{
    const word::DocumentPtr doc = open(wordxml::para(wordxml::run(QString::fromUtf8("吉と𠮷の字"))));
    list(doc, 1, 0, QStringLiteral("吉"));
    const QString path = dir.filePath("sjis.csv");
    {
        forms::MessageRecorder declined(forms::vbNo);
        EXPECT_FALSE(g_frmResult->saveResultsTo(path, true));
        ASSERT_EQ(declined.messages().size(), 1);
        EXPECT_TRUE(declined.messages()[0].prompt.contains(QString::fromUtf8("𠮷 (U+20BB7)")));
        EXPECT_EQ(declined.messages()[0].style & 0xF, forms::vbYesNo);
        EXPECT_FALSE(QFile::exists(path));
    }
    forms::MessageRecorder accepted(forms::vbYes);
    ASSERT_TRUE(g_frmResult->saveResultsTo(path, true));
    const QList<QStringList> records = readCsv(path, "cp932");
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0], kHeader);
    EXPECT_EQ(records[1], (QStringList{"1", "吉", "メイン文書", "0", "1", "1", "セクション 1", "", "と?の字"}));
}

TEST_F(ResultListing, AFileThatCannotBeWrittenIsToldInJapanese)
{
    const word::DocumentPtr doc = globals.open(everyStoryDocument());
    list(doc, 1, 0, QStringLiteral("K1"));
    forms::MessageRecorder recorder;
    const QString path = dir.filePath("no-such-folder/結果.csv");
    EXPECT_FALSE(g_frmResult->saveResultsTo(path, false));
    ASSERT_EQ(recorder.messages().size(), 1);
    EXPECT_TRUE(recorder.messages()[0].prompt.startsWith(QStringLiteral("検索結果を保存できませんでした。\r\n") + path));
    EXPECT_TRUE(recorder.messages()[0].prompt.contains(QStringLiteral("フォルダーがないか、書き込みが許可されていません。")));
    EXPECT_EQ(recorder.messages()[0].title, QStringLiteral("警告"));
}

// The dialog speaks Japanese, and its file type chooses the encoding.
TEST_F(ResultListing, TheSaveDialogChoosesFileAndEncoding)
{
    const word::DocumentPtr doc = open(wordxml::para(wordxml::run("漢字の語")));
    list(doc, 1, 0, QStringLiteral("語"));
    const QString path = dir.filePath("選んだ.csv");
    QString title, accept, types;
    ModalSteps steps({{"QFileDialog", [&](QWidget* w) {
                           auto* dialog = static_cast<QFileDialog*>(w);
                           title = dialog->windowTitle();
                           accept = dialog->labelText(QFileDialog::Accept);
                           types = dialog->nameFilters().join('|');
                           dialog->selectNameFilter(QStringLiteral("CSV Shift_JIS (*.csv)"));
                           dialog->selectFile(path);
                           QTimer::singleShot(0, dialog, &QDialog::accept);
                       }}});
    g_frmResult->saveResults();
    EXPECT_TRUE(steps.done());
    EXPECT_EQ(title, QStringLiteral("検索結果を保存"));
    EXPECT_EQ(accept, QStringLiteral("保存"));
    EXPECT_EQ(types, QStringLiteral("CSV UTF-8、BOM 付き (*.csv)|CSV Shift_JIS (*.csv)"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith(forms::toAnsi(QStringLiteral("項番,"))));
    EXPECT_TRUE(forms::fromAnsi(bytes).contains(QStringLiteral(",漢字の,\r\n")));
}
