#include "tests/support/ModalSteps.h"

#include "platform/forms/Colors.h"
#include "platform/forms/CommonDialog.h"
#include "platform/forms/FormsError.h"

#include <QColorDialog>

#include <gtest/gtest.h>

using namespace forms;

TEST(Colors, ColorrefHasRedInTheLowByte)
{
    EXPECT_EQ(colorFromColorref(0xABCDEF), QColor(0xEF, 0xCD, 0xAB));
    EXPECT_EQ(colorrefFromColor(QColor(255, 0, 0)), 255);
    EXPECT_EQ(colorrefFromColor(QColor(0x33, 0x66, 0xFF)), 0xFF6633);
    EXPECT_EQ(oleColor(0x00FF8080u), QColor(0x80, 0x80, 0xFF));
    EXPECT_EQ(oleColor(vbButtonFace), QGuiApplication::palette().color(QPalette::Button));
}

TEST(CommonDialog, OpensAtTheColourAndReturnsTheChosenOne)
{
    CommonDialog dialog;
    dialog.setColor(0xABCDEF);
    dialog.setCancelError(true);
    QColor shown;
    ModalSteps guard({{"QWidget", [&](QWidget* modal) {
        auto* colors = qobject_cast<QColorDialog*>(modal);
        ASSERT_NE(colors, nullptr);
        shown = colors->currentColor();
        colors->setCurrentColor(QColor(1, 2, 3));
        colors->accept();
    }}});
    dialog.ShowColor();
    EXPECT_FALSE(guard.expired());
    EXPECT_EQ(shown, QColor(0xEF, 0xCD, 0xAB));
    EXPECT_EQ(dialog.Color(), 0x030201);
}

TEST(CommonDialog, UserCancelRaises32755OnlyWithCancelError)
{
    for (bool cancelError : {true, false}) {
        CommonDialog dialog;
        dialog.setColor(255);
        dialog.setCancelError(cancelError);
        ModalSteps guard({{"QWidget", [](QWidget* modal) {
            static_cast<QColorDialog*>(modal)->setCurrentColor(Qt::green);
            static_cast<QColorDialog*>(modal)->reject();
        }}});
        int number = 0;
        QString description;
        try {
            dialog.ShowColor();
        } catch (const core::Error& e) {
            number = e.number();
            description = e.description();
        }
        EXPECT_TRUE(guard.acted());
        EXPECT_EQ(number, cancelError ? CancelSelected : 0);
        if (cancelError) {
            EXPECT_EQ(description, QStringLiteral("キャンセルが選択されました。"));
        }
        EXPECT_EQ(dialog.Color(), 255);
    }
}
