#pragma once

#include <QObject>

class QWidget;

namespace forms {

// Reports the clicks of a control that has no click of its own (a label, a text box): a
// left-button press released over the control. A double-click is one click, as on a VB control
// (which then raises DblClick instead): the release that ends it is no second click.
class Clicks : public QObject {
    Q_OBJECT
public:
    // Watches control; lives as its child.
    explicit Clicks(QWidget* control);

signals:
    void Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_doubleClicking = false;
};

} // namespace forms
