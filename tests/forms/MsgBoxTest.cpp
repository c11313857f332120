#include "tests/support/ModalSteps.h"

#include "platform/forms/MsgBox.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace forms;

TEST(MsgBox, RecorderRecordsAndAnswers)
{
    MessageRecorder recorder(vbNo);
    EXPECT_EQ(MsgBox(QStringLiteral("検索条件を設定してください"), 4160, QStringLiteral("情報")), vbNo);
    recorder.setAnswer(vbOK);
    EXPECT_EQ(MsgBox(QStringLiteral("失敗"), vbSystemModal + vbExclamation, QStringLiteral("警告")), vbOK);
    const QList<MessageRecorder::Message> expected{{QStringLiteral("検索条件を設定してください"), 4160, QStringLiteral("情報")},
                                                   {QStringLiteral("失敗"), 4144, QStringLiteral("警告")}};
    EXPECT_EQ(recorder.messages(), expected);
}

TEST(MsgBox, RecordersNestAndRestoreThePreviousPresenter)
{
    MessageRecorder outer;
    {
        MessageRecorder inner;
        MsgBox(QStringLiteral("inner"));
        EXPECT_EQ(inner.messages().size(), 1);
    }
    MsgBox(QStringLiteral("outer"));
    ASSERT_EQ(outer.messages().size(), 1);
    EXPECT_EQ(outer.messages().first().prompt, QStringLiteral("outer"));
}

TEST(MsgBox, ApplicationPresenterShowsStyleIconAndButtons)
{
    const struct {
        int style;
        QMessageBox::Icon icon;
        QList<QMessageBox::StandardButton> buttons;
        QMessageBox::StandardButton press;   // NoButton: Esc
        int result;
    } cases[] = {
        {4144, QMessageBox::Warning, {QMessageBox::Ok}, QMessageBox::NoButton, vbOK},
        {4160, QMessageBox::Information, {QMessageBox::Ok}, QMessageBox::Ok, vbOK},
        {vbCritical, QMessageBox::Critical, {QMessageBox::Ok}, QMessageBox::Ok, vbOK},
        {vbYesNo + vbQuestion, QMessageBox::Question, {QMessageBox::Yes, QMessageBox::No}, QMessageBox::No, vbNo},
        {vbYesNoCancel, QMessageBox::NoIcon, {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel},
         QMessageBox::NoButton, vbCancel},
        {vbOKCancel, QMessageBox::NoIcon, {QMessageBox::Ok, QMessageBox::Cancel}, QMessageBox::Cancel, vbCancel},
        {vbRetryCancel, QMessageBox::NoIcon, {QMessageBox::Retry, QMessageBox::Cancel}, QMessageBox::Retry, vbRetry},
    };
    for (const auto& c : cases) {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString title, text;
        QList<QMessageBox::StandardButton> buttons;
        ModalSteps guard({{"QWidget", [&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            icon = box->icon();
            title = box->windowTitle();
            text = box->text();
            for (QAbstractButton* b : box->buttons())
                buttons.append(box->standardButton(b));
            if (c.press == QMessageBox::NoButton)
                QTest::keyClick(box, Qt::Key_Escape);
            else
                QTest::mouseClick(box->button(c.press), Qt::LeftButton);
        }}});
        const int result = MsgBox(QStringLiteral("本文"), c.style, QStringLiteral("警告"));
        EXPECT_TRUE(guard.acted()) << c.style;
        EXPECT_FALSE(guard.expired()) << c.style;
        EXPECT_EQ(result, c.result) << c.style;
        EXPECT_EQ(icon, c.icon) << c.style;
        EXPECT_EQ(title, QStringLiteral("警告"));
        EXPECT_EQ(text, QStringLiteral("本文"));
        std::sort(buttons.begin(), buttons.end());
        auto expected = c.buttons;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(buttons, expected) << c.style;
    }
}

TEST(MsgBox, DefaultButtonFollowsTheStyle)
{
    QMessageBox::StandardButton defaulted = QMessageBox::NoButton;
    ModalSteps guard({{"QWidget", [&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        defaulted = box->standardButton(box->defaultButton());
        QTest::keyClick(box, Qt::Key_Return);
    }}});
    EXPECT_EQ(MsgBox(QStringLiteral("?"), vbYesNoCancel + vbDefaultButton2, QStringLiteral("t")), vbNo);
    EXPECT_EQ(defaulted, QMessageBox::No);
}
