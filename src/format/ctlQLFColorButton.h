#pragma once

#include "platform/forms/UserControl.h"
#include "platform/word/Forward.h"

#include <QPointer>

#include <cstdint>

class QLabel;

// One colour swatch of the palette: a face showing a colour value (or, for the automatic colour,
// a transparent face with a thin border), an optional caption and a tool tip. A click toggles the
// selection; a selected swatch shows a frame around its face. Every assignment of isSelect is
// reported through selectChange.
class ctlQLFColorButton : public forms::UserControl {
    Q_OBJECT
public:
    explicit ctlQLFColorButton(QWidget* parent = nullptr);

    bool isSelect() const { return m_blnSelect; }
    // Raises selectChange, also when the value is unchanged.
    void setIsSelect(bool value);
    int32_t color() const { return m_lngColor; }
    // An RGB colour in COLORREF layout; anything else is stored as the automatic colour.
    void setColor(int32_t value);
    QString caption() const { return m_strCaption; }
    void setCaption(const QString& value);
    QString btnToolTipText() const { return m_strToolTipText; }
    void setBtnToolTipText(const QString& value);

signals:
    void selectChange();

protected:
    void UserControl_Initialize() override;
    void UserControl_ReadProperties(const forms::PropertyBag& bag) override;
    void UserControl_WriteProperties(forms::PropertyBag& bag) override;
    void UserControl_Resize() override;

private:
    void createControls();
    void lblColor_Click();

    QPointer<QLabel> lblColor;
    QPointer<QLabel> lblSelectFrame;
    bool m_blnSelect = false;
    int32_t m_lngColor = word::wdColorAutomatic;
    QString m_strCaption;
    QString m_strToolTipText;
};
