#include "tests/support/ModalSteps.h"

#include "platform/forms/Colors.h"
#include "platform/forms/MsgBox.h"
#include "platform/word/Font.h"
#include "src/common/ctlCOMAttentionText.h"
#include "src/format/ctlQLFColorButton.h"
#include "src/format/ctlQLFSetFormat.h"
#include "src/format/frmQLFColorSelect.h"
#include "src/format/frmQLFFontSetting.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr int kNotSet = 9999999;
constexpr int kAutomatic = -16777216;

word::FontPtr fontOf(int color, int strike, int doubleStrike)
{
    word::FontPtr f = word::Font::create();
    f->setColor(color);
    f->setStrikeThrough(strike);
    f->setDoubleStrikeThrough(doubleStrike);
    return f;
}

template<class W = QWidget>
W* child(const QWidget* parent, const char* name)
{
    W* w = parent->findChild<W*>(QLatin1String(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

int boxValue(const QWidget* form, const char* name)
{
    const Qt::CheckState state = child<QCheckBox>(form, name)->checkState();
    return state == Qt::Checked ? 1 : state == Qt::PartiallyChecked ? 2 : 0;
}

// Backspace as the user types it, character code 8.
void pressBackspace(QWidget* box)
{
    QTest::sendKeyEvent(QTest::Click, box, Qt::Key_Backspace, QStringLiteral("\b"), Qt::NoModifier);
}

class FontSetting : public ::testing::Test {
protected:
    QLineEdit* colorBox() { return child<QLineEdit>(&form, "txtFontColor"); }
    QCheckBox* strike() { return child<QCheckBox>(&form, "chkStrikeThrough"); }
    QCheckBox* doubleStrike() { return child<QCheckBox>(&form, "chkDoubleStrikeThrough"); }

    frmQLFFontSetting form;
};

} // namespace

TEST_F(FontSetting, LoadSwitchesOffTwoTabsAndEveryControlButColourAndStrikeThrough)
{
    form.Load();
    auto* tabs = child<QTabWidget>(&form, "tabFont");
    ASSERT_EQ(tabs->count(), 3);
    EXPECT_TRUE(tabs->isTabEnabled(0));
    EXPECT_FALSE(tabs->isTabEnabled(1));
    EXPECT_FALSE(tabs->isTabEnabled(2));
    EXPECT_EQ(QStringList({tabs->tabText(0), tabs->tabText(1), tabs->tabText(2)}),
              QStringList({"フォント", "文字幅と間隔", "アニメーション"}));
    // Code cannot bring a switched-off tab forward either.
    tabs->setCurrentIndex(2);
    EXPECT_EQ(tabs->currentIndex(), 0);

    for (const char* name : {"lblFontJp", "cmbFontJp", "lblFontEn", "cmbFontEn", "lblStyle", "txtStyle", "lstStyle",
                             "lblSize", "txtSize", "lstSize", "lblUnderLine", "cmbUnderLine", "lblUnderLineColor",
                             "txtUnderLineColor", "btnUnderLineColor", "lblEmphasisMark", "cmbEmphasisMark"})
        EXPECT_FALSE(child(&form, name)->isEnabled()) << name;
    for (const char* name : {"chkSuperscript", "chkSubscript", "chkShadow", "chkOutline", "chkEmboss", "chkEngrave",
                             "chkSmallCaps", "chkAllCaps", "chkHidden"}) {
        EXPECT_FALSE(child(&form, name)->isEnabled()) << name;
        EXPECT_EQ(boxValue(&form, name), 2) << name;
    }
    for (const char* name : {"txtFontColor", "btnFontColor", "chkStrikeThrough", "chkDoubleStrikeThrough", "btnOK",
                             "btnCancel", "lblFontColor", "lblAllChar", "lblCharDecorations"})
        EXPECT_TRUE(child(&form, name)->isEnabled()) << name;
    const QColor buttonFace = forms::oleColor(forms::vbButtonFace);
    for (const char* name : {"cmbFontJp", "txtStyle", "lstSize", "txtUnderLineColor", "cmbEmphasisMark"})
        EXPECT_EQ(child(&form, name)->palette().color(QPalette::Base), buttonFace) << name;
    EXPECT_EQ(child<QComboBox>(&form, "cmbUnderLine")->count(), 0);
    EXPECT_EQ(child<QListWidget>(&form, "lstStyle")->count(), 0);

    EXPECT_EQ(form.windowTitle(), QStringLiteral("検索する文字"));
    EXPECT_EQ(child<QLabel>(&form, "lblFontColor")->text(), QStringLiteral("フォントの色:"));
    EXPECT_EQ(strike()->text(), QStringLiteral("取り消し線"));
    EXPECT_EQ(child<QPushButton>(&form, "btnCancel")->text(), QStringLiteral("キャンセル"));
    EXPECT_EQ(child<QPushButton>(&form, "btnFontColor")->text(), QStringLiteral("..."));
    EXPECT_TRUE(colorBox()->isReadOnly());
    EXPECT_EQ(colorBox()->text(), QStringLiteral("未設定"));
    EXPECT_EQ(colorBox()->property("Tag").toString(), QStringLiteral("9999999"));
    EXPECT_EQ(form.clientSizeTwips(), QSize(5820, 6570));
    EXPECT_EQ(child<ctlCOMAttentionText>(&form, "txtAttentionText")->textFilePath(),
              QStringLiteral("FontSettingAttention.txt"));
    EXPECT_EQ(form.pushedButton().toInt(), 0);
    EXPECT_EQ(form.pushedButton().metaType(), QMetaType::fromType<qint16>());
}

TEST_F(FontSetting, RecordIsShownAndReadBack)
{
    struct Case {
        int color, strike, doubleStrike;
        QString text;
        QColor textColor;
        int strikeBox, doubleBox;
        int readStrike, readDouble;
    };
    const Case cases[] = {
        {kAutomatic, kNotSet, kNotSet, "自動", Qt::black, 2, 2, kNotSet, kNotSet},
        {0xFFFFFF, 0, 0, "□", Qt::black, 0, 0, 0, 0},
        {255, kNotSet, kNotSet, "■", QColor(255, 0, 0), 2, 2, kNotSet, kNotSet},
        {0x663300, kNotSet, kNotSet, "■", QColor(0, 0x33, 0x66), 2, 2, kNotSet, kNotSet},
        {kNotSet, -1, kNotSet, "未設定", Qt::black, 1, 2, -1, kNotSet},
        {kNotSet, kNotSet, -1, "未設定", Qt::black, 0, 1, 0, -1},
        {0, -1, -1, "■", Qt::black, 0, 1, 0, -1},
        {kNotSet, 0, kNotSet, "未設定", Qt::black, 0, 2, 0, kNotSet},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString() + " " + std::to_string(c.strike) + " " + std::to_string(c.doubleStrike));
        form.setSettingFont(fontOf(c.color, c.strike, c.doubleStrike));
        EXPECT_EQ(colorBox()->text(), c.text);
        EXPECT_EQ(colorBox()->palette().color(QPalette::Text), c.textColor);
        EXPECT_EQ(boxValue(&form, "chkStrikeThrough"), c.strikeBox);
        EXPECT_EQ(boxValue(&form, "chkDoubleStrikeThrough"), c.doubleBox);
        const word::FontPtr read = form.settingFont();
        ASSERT_TRUE(read);
        EXPECT_EQ(read->Color(), c.color);
        EXPECT_EQ(read->StrikeThrough(), c.readStrike);
        EXPECT_EQ(read->DoubleStrikeThrough(), c.readDouble);
    }
    // Nothing set reads as no object, and a new object is built on every read.
    form.setSettingFont(nullptr);
    EXPECT_EQ(form.settingFont(), nullptr);
    form.setSettingFont(fontOf(255, kNotSet, kNotSet));
    EXPECT_NE(form.settingFont(), form.settingFont());
}

TEST_F(FontSetting, StrikeThroughBoxesInterlockAndBackspaceMakesBothNotSet)
{
    form.setSettingFont(fontOf(kNotSet, -1, kNotSet));
    // A click moves the checked box to unchecked, which ends "not set" in the other.
    QTest::mouseClick(strike(), Qt::LeftButton);
    EXPECT_EQ(boxValue(&form, "chkStrikeThrough"), 0);
    EXPECT_EQ(boxValue(&form, "chkDoubleStrikeThrough"), 0);
    EXPECT_EQ(form.settingFont()->StrikeThrough(), 0);
    EXPECT_EQ(form.settingFont()->DoubleStrikeThrough(), 0);

    QTest::mouseClick(strike(), Qt::LeftButton);
    QTest::mouseClick(doubleStrike(), Qt::LeftButton);
    EXPECT_EQ(boxValue(&form, "chkStrikeThrough"), 0);
    EXPECT_EQ(boxValue(&form, "chkDoubleStrikeThrough"), 1);
    QTest::mouseClick(strike(), Qt::LeftButton);
    EXPECT_EQ(boxValue(&form, "chkStrikeThrough"), 1);
    EXPECT_EQ(boxValue(&form, "chkDoubleStrikeThrough"), 0);

    for (QCheckBox* box : {strike(), doubleStrike()}) {
        QTest::mouseClick(doubleStrike(), Qt::LeftButton);
        pressBackspace(box);
        EXPECT_EQ(boxValue(&form, "chkStrikeThrough"), 2);
        EXPECT_EQ(boxValue(&form, "chkDoubleStrikeThrough"), 2);
        EXPECT_EQ(form.settingFont(), nullptr);
    }
    // From grayed a click checks; clicks never reach grayed.
    QTest::mouseClick(doubleStrike(), Qt::LeftButton);
    EXPECT_EQ(boxValue(&form, "chkDoubleStrikeThrough"), 1);
    EXPECT_EQ(boxValue(&form, "chkStrikeThrough"), 0);
    QTest::keyClick(doubleStrike(), Qt::Key_Space);
    EXPECT_EQ(boxValue(&form, "chkDoubleStrikeThrough"), 0);
}

TEST_F(FontSetting, ColourComesFromThePaletteOnlyWithOK)
{
    forms::MessageRecorder messages;
    form.setSettingFont(fontOf(kAutomatic, kNotSet, kNotSet));
    auto* colorButton = child<QPushButton>(&form, "btnFontColor");

    // The palette opens at the current colour; a red swatch and OK.
    int opened = 0;
    ModalSteps red({{"frmQLFColorSelect", [&](QWidget* w) {
                         opened = static_cast<frmQLFColorSelect*>(w)->selectedColor();
                         QTest::mouseClick(child<QLabel>(child(w, "btnColor(17)"), "lblColor"), Qt::LeftButton);
                         ModalSteps::click(w, "btnOK");
                     }}});
    colorButton->click();
    EXPECT_TRUE(red.done());
    EXPECT_EQ(opened, kAutomatic);
    EXPECT_EQ(colorBox()->text(), QStringLiteral("■"));
    EXPECT_EQ(colorBox()->palette().color(QPalette::Text), QColor(255, 0, 0));
    EXPECT_EQ(form.settingFont()->Color(), 255);

    // Cancel keeps the colour, whatever was clicked.
    ModalSteps cancel({{"frmQLFColorSelect", [](QWidget* w) {
                            QTest::mouseClick(child<QLabel>(child(w, "btnColor(3)"), "lblColor"), Qt::LeftButton);
                            ModalSteps::click(w, "btnCancel");
                        }}});
    colorButton->click();
    EXPECT_TRUE(cancel.done());
    EXPECT_EQ(form.settingFont()->Color(), 255);

    // A custom colour, then Cancel: the palette still holds it at the next opening. Clearing the
    // selection with OK leaves the colour not set.
    ModalSteps custom({{"frmQLFColorSelect", [](QWidget* w) { ModalSteps::click(w, "btnOtherColor"); }},
                       {"QColorDialog", [](QWidget* w) {
                            static_cast<QColorDialog*>(w)->setCurrentColor(QColor(1, 2, 3));
                            static_cast<QColorDialog*>(w)->accept();
                        }},
                       {"frmQLFColorSelect", [](QWidget* w) { ModalSteps::click(w, "btnCancel"); }}});
    colorButton->click();
    EXPECT_TRUE(custom.done());
    EXPECT_EQ(form.settingFont()->Color(), 255);
    int customColor = 0;
    ModalSteps clear({{"frmQLFColorSelect", [&](QWidget* w) {
                           customColor = child<ctlQLFColorButton>(w, "btnColor(41)")->color();
                           QTest::mouseClick(child<QLabel>(child(w, "btnColor(17)"), "lblColor"), Qt::LeftButton);
                           ModalSteps::click(w, "btnOK");
                       }}});
    colorButton->click();
    EXPECT_TRUE(clear.done());
    EXPECT_EQ(customColor, 0x030201);
    EXPECT_EQ(colorBox()->text(), QStringLiteral("未設定"));
    EXPECT_EQ(form.settingFont(), nullptr);
    EXPECT_TRUE(messages.messages().isEmpty());
}

TEST_F(FontSetting, FailedColourChoiceIsReportedAndKeepsTheColour)
{
    forms::MessageRecorder messages;
    form.setSettingFont(fontOf(255, kNotSet, kNotSet));
    auto* colorButton = child<QPushButton>(&form, "btnFontColor");
    ModalSteps cancel({{"frmQLFColorSelect", [](QWidget* w) { ModalSteps::click(w, "btnCancel"); }}});
    colorButton->click();
    ASSERT_TRUE(cancel.done());
    // The kept palette is already on screen, so showing it modally fails.
    auto* palette = form.findChild<frmQLFColorSelect*>();
    ASSERT_NE(palette, nullptr);
    palette->Show(forms::vbModeless);
    colorButton->click();
    ASSERT_EQ(messages.messages().size(), 1);
    const forms::MessageRecorder::Message& m = messages.messages().first();
    EXPECT_TRUE(m.prompt.startsWith(QStringLiteral("色の設定に失敗しました。\r\nエラー詳細:"))) << m.prompt.toStdString();
    EXPECT_GT(m.prompt.size(), QStringLiteral("色の設定に失敗しました。\r\nエラー詳細:").size());
    EXPECT_EQ(m.style, 4144);
    EXPECT_EQ(m.title, QStringLiteral("警告"));
    EXPECT_EQ(form.settingFont()->Color(), 255);
    EXPECT_EQ(colorBox()->text(), QStringLiteral("■"));
    palette->Hide();
}

TEST_F(FontSetting, CloseBoxCountsAsCancelAndKeepsTheDialogLoaded)
{
    form.setSettingFont(fontOf(255, -1, 0));
    ModalSteps close({{"frmQLFFontSetting", [](QWidget* w) { QTimer::singleShot(0, w, &QWidget::close); }}});
    form.Show(forms::vbModal);
    EXPECT_TRUE(close.done());
    EXPECT_EQ(form.pushedButton().toInt(), 2);
    EXPECT_TRUE(form.isLoaded());
    EXPECT_EQ(form.settingFont()->Color(), 255);

    // Enter and Escape press neither button.
    ModalSteps keys({{"frmQLFFontSetting", [](QWidget* w) {
                          QTest::keyClick(w, Qt::Key_Return);
                          QTest::keyClick(w, Qt::Key_Escape);
                          ModalSteps::click(w, "btnOK");
                      }}});
    form.Show(forms::vbModal);
    EXPECT_TRUE(keys.done());
    EXPECT_EQ(form.pushedButton().toInt(), 1);
}

namespace {

class SetFormat : public ::testing::Test {
protected:
    void SetUp() override { control.initialize({}); }
    QCheckBox* chkFont() { return child<QCheckBox>(&control, "chkFont"); }
    QPushButton* btnFont() { return child<QPushButton>(&control, "btnFont"); }

    // Opens the font dialog with the button and plays the steps on it.
    bool openFontDialog(ModalSteps::Action onDialog)
    {
        ModalSteps steps({{"frmQLFFontSetting", std::move(onDialog)}});
        btnFont()->click();
        return steps.done();
    }

    ctlQLFSetFormat control;
};

} // namespace

TEST_F(SetFormat, RecordNeedsTheBoxAndAChoiceWithOK)
{
    EXPECT_EQ(child<QGroupBox>(&control, "fraFormat")->title(), QStringLiteral("書式の設定"));
    EXPECT_EQ(chkFont()->text(), QStringLiteral("フォントを設定する"));
    EXPECT_EQ(btnFont()->text(), QStringLiteral("フォント..."));
    EXPECT_FALSE(control.isFontSetting());
    EXPECT_EQ(control.font(), nullptr);
    EXPECT_FALSE(btnFont()->isEnabled());

    QTest::mouseClick(chkFont(), Qt::LeftButton);
    EXPECT_TRUE(btnFont()->isEnabled());
    EXPECT_FALSE(control.isFontSetting());

    // The dialog opens showing nothing set; strike-through checked and OK.
    QString shownColor;
    ASSERT_TRUE(openFontDialog([&](QWidget* w) {
        shownColor = child<QLineEdit>(w, "txtFontColor")->text();
        QTest::mouseClick(child<QCheckBox>(w, "chkStrikeThrough"), Qt::LeftButton);
        ModalSteps::click(w, "btnOK");
    }));
    EXPECT_EQ(shownColor, QStringLiteral("未設定"));
    ASSERT_TRUE(control.isFontSetting());
    const word::FontPtr chosen = control.font();
    EXPECT_EQ(chosen->Color(), kNotSet);
    EXPECT_EQ(chosen->StrikeThrough(), -1);
    EXPECT_EQ(chosen->DoubleStrikeThrough(), 0);

    // Cleared, the box hides the record; checked again, it is back without the dialog.
    QTest::mouseClick(chkFont(), Qt::LeftButton);
    EXPECT_FALSE(btnFont()->isEnabled());
    EXPECT_FALSE(control.isFontSetting());
    EXPECT_EQ(control.font(), nullptr);
    QTest::mouseClick(chkFont(), Qt::LeftButton);
    EXPECT_EQ(control.font(), chosen);
}

TEST_F(SetFormat, CancelAndCloseBoxKeepTheRecordAndAnEmptyOKClearsIt)
{
    forms::MessageRecorder messages;
    chkFont()->setChecked(true);
    ASSERT_TRUE(openFontDialog([](QWidget* w) {
        QTest::mouseClick(child<QCheckBox>(w, "chkDoubleStrikeThrough"), Qt::LeftButton);
        ModalSteps::click(w, "btnOK");
    }));
    const word::FontPtr chosen = control.font();
    ASSERT_TRUE(chosen);

    // The dialog shows the kept record; what is changed there is dropped by Cancel or the close box.
    int shownDouble = -1;
    ASSERT_TRUE(openFontDialog([&](QWidget* w) {
        shownDouble = boxValue(w, "chkDoubleStrikeThrough");
        pressBackspace(child(w, "chkStrikeThrough"));
        ModalSteps::click(w, "btnCancel");
    }));
    EXPECT_EQ(shownDouble, 1);
    EXPECT_EQ(control.font(), chosen);
    ASSERT_TRUE(openFontDialog([](QWidget* w) {
        pressBackspace(child(w, "chkStrikeThrough"));
        QTimer::singleShot(0, w, &QWidget::close);
    }));
    EXPECT_EQ(control.font(), chosen);

    // Everything back to not set and OK: no record, although the box stays checked.
    ASSERT_TRUE(openFontDialog([](QWidget* w) {
        pressBackspace(child(w, "chkDoubleStrikeThrough"));
        ModalSteps::click(w, "btnOK");
    }));
    EXPECT_TRUE(chkFont()->isChecked());
    EXPECT_FALSE(control.isFontSetting());
    EXPECT_EQ(control.font(), nullptr);
    EXPECT_TRUE(messages.messages().isEmpty());
}
