#pragma once

#include <QCheckBox>

namespace forms {

// A check box's Value.
enum CheckBoxValue { vbUnchecked = 0, vbChecked = 1, vbGrayed = 2 };

// A VB check box: Value 0 unchecked, 1 checked, 2 grayed. A click moves between unchecked and
// checked; grayed is reached by code alone, and a click on a grayed box checks it.
class CheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit CheckBox(const QString& text = {}, QWidget* parent = nullptr);

    int Value() const;
    void setValue(int value);

protected:
    void nextCheckState() override;
};

} // namespace forms
