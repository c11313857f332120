#pragma once

#include "platform/forms/UserControl.h"
#include "platform/word/Forward.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPointer>
#include <QPushButton>

// The search dialog's font criterion: a box that switches it on and a button that opens the font
// setting dialog. Keeps the record last chosen with OK for as long as the control lives, also
// while the box is cleared.
class ctlQLFSetFormat : public forms::UserControl {
    Q_OBJECT
public:
    explicit ctlQLFSetFormat(QWidget* parent = nullptr);

    // True when the box is checked and a record has been chosen.
    bool isFontSetting() const;
    // The chosen record while isFontSetting, otherwise no object.
    word::FontPtr font() const;

protected:
    void UserControl_Initialize() override;

private:
    void createControls();
    void setCaptions();
    void chkFont_Click();
    void btnFont_Click();

    QPointer<QGroupBox> fraFormat;
    QPointer<QCheckBox> chkFont;
    QPointer<QPushButton> btnFont;
    word::FontPtr m_objFont;
};
