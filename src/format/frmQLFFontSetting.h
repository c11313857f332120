#pragma once

#include "platform/forms/CheckBox.h"
#include "platform/forms/Form.h"
#include "platform/word/Forward.h"
#include "src/common/ctlCOMAttentionText.h"
#include "src/format/frmQLFColorSelect.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QVariant>

#include <cstdint>
#include <memory>

// The font format found text must have. Of a font's properties only the colour, strike-through
// and double strike-through can be chosen; each may stay not set (9999999). The record is a
// standalone Word Font, or no object when nothing is set. Modal; OK, Cancel and the close box
// only record the button and hide it, and the opener reads the record before unloading it.
class frmQLFFontSetting : public forms::Form {
    Q_OBJECT
public:
    explicit frmQLFFontSetting(QWidget* owner = nullptr);
    ~frmQLFFontSetting() override;

    // Shows a record; no object shows every property as not set. Loads the form.
    void setSettingFont(const word::FontPtr& value);
    // A new record built from the controls, or no object when nothing is set. Loads the form.
    word::FontPtr settingFont();
    // The 16-bit button code: 0 before a button was used, 1 OK, 2 Cancel or the close box.
    QVariant pushedButton() const;

protected:
    void createControls() override;
    void Form_Load() override;
    void Form_QueryUnload(int& cancel, int unloadMode) override;
    void Form_Unload(int& cancel) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setCaptions();
    void disableControls();
    // Records the colour in txtFontColor's Tag and shows it ("自動", "未設定", "□" or "■").
    void showFontColor(int32_t color);
    int32_t fontColorTag() const;
    // Checking one box clears the other; a definite value in one ends "not set" in the other.
    void strikeThroughInterlock(forms::CheckBox* changed, forms::CheckBox* other);
    void chkStrikeThrough_Click();
    void chkDoubleStrikeThrough_Click();
    void strikeThrough_KeyPress(int keyAscii);
    void btnFontColor_Click();
    void btnOK_Click();
    void btnCancel_Click();
    void tabFont_Click(int index);

    QPointer<QTabWidget> tabFont;
    QPointer<QLabel> lblFontJp;
    QPointer<QComboBox> cmbFontJp;
    QPointer<QLabel> lblFontEn;
    QPointer<QComboBox> cmbFontEn;
    QPointer<QLabel> lblStyle;
    QPointer<QLineEdit> txtStyle;
    QPointer<QListWidget> lstStyle;
    QPointer<QLabel> lblSize;
    QPointer<QLineEdit> txtSize;
    QPointer<QListWidget> lstSize;
    QPointer<QLabel> lblAllChar;
    QPointer<QFrame> linAllChar;
    QPointer<QLabel> lblFontColor;
    QPointer<QLineEdit> txtFontColor;
    QPointer<QPushButton> btnFontColor;
    QPointer<QLabel> lblUnderLine;
    QPointer<QComboBox> cmbUnderLine;
    QPointer<QLabel> lblUnderLineColor;
    QPointer<QLineEdit> txtUnderLineColor;
    QPointer<QPushButton> btnUnderLineColor;
    QPointer<QLabel> lblEmphasisMark;
    QPointer<QComboBox> cmbEmphasisMark;
    QPointer<QLabel> lblCharDecorations;
    QPointer<QFrame> linCharDecorations;
    QPointer<forms::CheckBox> chkStrikeThrough;
    QPointer<forms::CheckBox> chkDoubleStrikeThrough;
    QPointer<forms::CheckBox> chkSuperscript;
    QPointer<forms::CheckBox> chkSubscript;
    QPointer<forms::CheckBox> chkShadow;
    QPointer<forms::CheckBox> chkOutline;
    QPointer<forms::CheckBox> chkEmboss;
    QPointer<forms::CheckBox> chkEngrave;
    QPointer<forms::CheckBox> chkSmallCaps;
    QPointer<forms::CheckBox> chkAllCaps;
    QPointer<forms::CheckBox> chkHidden;
    QPointer<ctlCOMAttentionText> txtAttentionText;
    QPointer<QPushButton> btnOK;
    QPointer<QPushButton> btnCancel;

    std::unique_ptr<frmQLFColorSelect> m_frmColorSelect;
    int16_t m_intPushedButton = 0;
};
