#pragma once

#include "platform/forms/CommonDialog.h"
#include "platform/forms/Form.h"
#include "src/format/ctlQLFColorButton.h"

#include <QLabel>
#include <QList>
#include <QPointer>
#include <QPushButton>

#include <cstdint>

// The colour palette: a swatch for the automatic colour, the 40 standard colours and a custom
// swatch whose colour comes from the system colour dialog. At most one swatch is selected; its
// colour is the result, 9999999 (not set) when none is. Modal; OK, Cancel and the close box
// only record the button and hide it, so the custom colour lasts as long as the instance.
class frmQLFColorSelect : public forms::Form {
    Q_OBJECT
public:
    explicit frmQLFColorSelect(QWidget* owner = nullptr);

    // 9999999 when nothing is selected; a stored 9999998 (wdToggle) reads as 9999999 too.
    int32_t selectedColor() const;
    // An invalid colour counts as not set; marks the first swatch holding the colour, or puts it
    // on the custom swatch. Loads the form.
    void setSelectedColor(int32_t value);
    // 1 OK, 2 Cancel or the close box.
    int16_t pushedButton() const { return m_intPushedButton; }

    // The palette's swatches, indices 0 to 41.
    const QList<QPointer<ctlQLFColorButton>>& colorButtons() const { return btnColor; }

protected:
    void createControls() override;
    void Form_Load() override;
    void Form_QueryUnload(int& cancel, int unloadMode) override;

private:
    void setCaptions();
    void btnColor_selectChange(int index);
    void btnOtherColor_Click();
    void btnOK_Click();
    void btnCancel_Click();

    QList<QPointer<ctlQLFColorButton>> btnColor;
    QPointer<QLabel> lblOther;
    QPointer<QPushButton> btnOtherColor;
    QPointer<QPushButton> btnOK;
    QPointer<QPushButton> btnCancel;
    forms::CommonDialog dlgCommon{this};
    int32_t m_lngSelectedColor;
    int16_t m_intPushedButton;
};
