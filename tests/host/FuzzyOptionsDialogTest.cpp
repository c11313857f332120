#include "host/BuiltinDialogs.h"
#include "host/FuzzyOptionsDialog.h"
#include "platform/word/Application.h"
#include "platform/word/Dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Acts on the modal dialog once it is up; a watchdog closes it if the action did not. The watchdog
// belongs to the dialog: one left to any modal window would close a later test's.
void whenModal(const std::function<void(host::FuzzyOptionsDialog*)>& act)
{
    QTimer::singleShot(0, [act] {
        auto* dialog = qobject_cast<host::FuzzyOptionsDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        QTimer::singleShot(2000, dialog, [dialog] { dialog->close(); });
        act(dialog);
    });
}

QPushButton* button(host::FuzzyOptionsDialog* d, QDialogButtonBox::StandardButton which)
{
    return d->findChild<QDialogButtonBox*>()->button(which);
}

} // namespace

TEST(FuzzyOptionsDialog, OkAppliesTheBoxesCancelAndCloseKeepTheOptions)
{
    word::ApplicationPtr app = word::Application::create();
    host::installBuiltinDialogs(*app);
    auto dialog790 = app->Dialogs()->Item(790);

    whenModal([](host::FuzzyOptionsDialog* d) {
        EXPECT_TRUE(d->checkBox(2)->isChecked());    // ひらがなとカタカナ, on by default
        EXPECT_FALSE(d->checkBox(17)->isChecked());  // 空白文字を無視する, off by default
        d->checkBox(2)->setChecked(false);
        d->checkBox(17)->setChecked(true);
        QTest::mouseClick(button(d, QDialogButtonBox::Ok), Qt::LeftButton);
    });
    EXPECT_EQ(dialog790->Show(), -1);
    EXPECT_FALSE(app->fuzzyOptions().matchFuzzyHiragana);
    EXPECT_TRUE(app->fuzzyOptions().matchFuzzySpace);

    whenModal([](host::FuzzyOptionsDialog* d) {
        EXPECT_FALSE(d->checkBox(2)->isChecked());  // the dialog opens on the current options
        d->checkBox(2)->setChecked(true);
        QTest::mouseClick(button(d, QDialogButtonBox::Cancel), Qt::LeftButton);
    });
    EXPECT_EQ(dialog790->Show(), 0);
    EXPECT_FALSE(app->fuzzyOptions().matchFuzzyHiragana);

    whenModal([](host::FuzzyOptionsDialog* d) {
        d->checkBox(0)->setChecked(false);
        d->close();
    });
    EXPECT_EQ(dialog790->Show(), -2);
    EXPECT_TRUE(app->fuzzyOptions().matchFuzzyCase);
}
