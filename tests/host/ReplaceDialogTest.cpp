#include "host/DocumentWindow.h"
#include "host/ReplaceDialog.h"
#include "platform/docx/Package.h"
#include "platform/word/Document.h"
#include "platform/word/Range.h"
#include "platform/word/Window.h"
#include "tests/host/HostFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

using namespace hostfixture;

namespace {

host::ReplaceDialog* replaceDialog()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<host::ReplaceDialog*>(w); d && d->isVisible())
            return d;
    return nullptr;
}

int occurrences(const docx::Document& d, const QString& word)
{
    int n = 0;
    for (const docx::Story& s : d.stories)
        n += static_cast<int>(s.text.count(word));
    return n;
}

} // namespace

// 編集 → 置換…: find next selects the hits story by story, replace changes the selected one,
// replace all reports its count; ファイル → 上書き保存 writes it, asking first when the file
// changed on disk.
TEST_F(HostTest, ReplaceDialogAndSaving)
{
    start({report});
    menuItem(windowOf(1), QStringLiteral("編集(&E)"), QStringLiteral("置換…"))->trigger();
    host::ReplaceDialog* dialog = replaceDialog();
    ASSERT_NE(dialog, nullptr);
    QStringList shown;
    dialog->setMessenger([&](const QString& text) { shown << text; });
    const word::DocumentPtr doc = app()->ActiveDocument();
    const int total = occurrences(doc->model(), QStringLiteral("資料"));
    ASSERT_GT(total, 5);

    dialog->findText()->setText(QStringLiteral("資料"));
    dialog->replaceText()->setText(QStringLiteral("史料"));
    dialog->findNextButton()->click();
    const word::WindowPtr w = doc->ActiveWindow();
    EXPECT_EQ(word::Range(doc, w->selectionStory(), w->selectionStart(), w->selectionEnd()).Text(), QStringLiteral("資料"));
    dialog->replaceButton()->click();   // replaces the selected hit and selects the next
    EXPECT_EQ(occurrences(doc->model(), QStringLiteral("史料")), 1);
    EXPECT_EQ(word::Range(doc, w->selectionStory(), w->selectionStart(), w->selectionEnd()).Text(), QStringLiteral("資料"));
    dialog->grab().save(QStringLiteral("/tmp/save12-replace-dialog.png"));

    dialog->replaceAllButton()->click();
    EXPECT_EQ(shown.value(0), QStringLiteral("%1 個の項目を置換しました。").arg(total - 1));
    EXPECT_EQ(occurrences(doc->model(), QStringLiteral("資料")), 0);
    EXPECT_FALSE(doc->Saved());

    menuItem(windowOf(1), QStringLiteral("ファイル(&F)"), QStringLiteral("上書き保存"))->trigger();
    EXPECT_TRUE(doc->Saved());
    EXPECT_EQ(occurrences(docx::load(report), QStringLiteral("史料")), total);

    // Someone else writes the file: saving asks, and No leaves their file alone.
    dialog->findText()->setText(QStringLiteral("史料"));
    dialog->replaceText()->setText(QStringLiteral("資料"));
    dialog->replaceAllButton()->click();
    const QString theirs = dir.filePath("theirs.docx");
    reportDocument().save(theirs);
    QFile::remove(report);
    QFile::copy(theirs, report);
    QString asked;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            asked = box->text();
            box->button(QMessageBox::No)->click();
        }
    });
    menuItem(windowOf(1), QStringLiteral("ファイル(&F)"), QStringLiteral("上書き保存"))->trigger();
    EXPECT_TRUE(asked.contains(QStringLiteral("report.docx"))) << asked.toStdString();
    EXPECT_FALSE(doc->Saved());
    EXPECT_EQ(occurrences(docx::load(report), QStringLiteral("史料")), 0);
}
