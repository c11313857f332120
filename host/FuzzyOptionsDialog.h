#pragma once

#include "host/FuzzyRules.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QCloseEvent;
class QWidget;

namespace host {

// Word's built-in dialog 790: the Japanese fuzzy-matching rules as check boxes, applied to the
// options it edits only when the user presses OK.
class FuzzyOptionsDialog : public QDialog {
    Q_OBJECT
public:
    explicit FuzzyOptionsDialog(match::FuzzyOptions& options, QWidget* parent = nullptr);

    // Shows the dialog modally. Returns -1 for OK, 0 for Cancel, -2 when closed by the close box.
    int Show();

    QCheckBox* checkBox(int index) const { return m_boxes.at(index); }
    static constexpr int kOptionCount = kFuzzyRuleCount;

private:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

    match::FuzzyOptions& m_options;
    std::array<QCheckBox*, kOptionCount> m_boxes{};
    int m_result = -2;
};

} // namespace host
