#pragma once

class QWidget;

namespace forms {

// The common dialog control's colour page over QColorDialog. Colours are COLORREFs.
class CommonDialog {
public:
    explicit CommonDialog(QWidget* owner = nullptr) : m_owner(owner) {}

    int Color() const { return m_color; }
    void setColor(int colorref) { m_color = colorref; }
    // When set, a user's cancel raises error 32755; otherwise it leaves Color unchanged.
    bool CancelError() const { return m_cancelError; }
    void setCancelError(bool cancelError) { m_cancelError = cancelError; }

    // Opens the colour dialog modally at Color; OK stores the chosen colour in Color.
    void ShowColor();

private:
    QWidget* m_owner;
    int m_color = 0;
    bool m_cancelError = false;
};

} // namespace forms
