#pragma once

#include <QDialog>

class QButtonGroup;
class QSpinBox;

namespace host {

// The zoom of a document window, chosen from Word's usual sizes, the page's width, or a
// percentage typed in.
class ZoomDialog : public QDialog {
    Q_OBJECT
public:
    // current: the window's zoom now; pageWidth: the zoom at which the page fills the view's width.
    ZoomDialog(double current, double pageWidth, QWidget* parent = nullptr);

    // The zoom chosen, 1 for 100 %.
    double zoom() const;

    QSpinBox* percentBox() const { return m_percent; }
    QButtonGroup* choices() const { return m_choices; }

private:
    QButtonGroup* m_choices;
    QSpinBox* m_percent;
};

} // namespace host
