#include "host/FuzzyOptionsDialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace host {

namespace {

constexpr int kPairCount = 16;

} // namespace

FuzzyOptionsDialog::FuzzyOptionsDialog(match::FuzzyOptions& options, QWidget* parent)
    : QDialog(parent), m_options(options)
{
    setWindowTitle(QStringLiteral("あいまい検索のオプション"));

    auto* pairs = new QGroupBox(QStringLiteral("同一視する項目"));
    auto* pairGrid = new QGridLayout(pairs);
    auto* ignored = new QGroupBox(QStringLiteral("無視する文字"));
    auto* ignoredBox = new QVBoxLayout(ignored);
    for (int i = 0; i < kOptionCount; ++i) {
        m_boxes[i] = new QCheckBox(QString::fromUtf8(kFuzzyRules[i].label));
        m_boxes[i]->setChecked(m_options.*kFuzzyRules[i].member);
        if (i < kPairCount)
            pairGrid->addWidget(m_boxes[i], i / 2, i % 2);
        else
            ignoredBox->addWidget(m_boxes[i]);
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        for (int i = 0; i < kOptionCount; ++i)
            m_options.*kFuzzyRules[i].member = m_boxes[i]->isChecked();
        m_result = -1;
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &FuzzyOptionsDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pairs);
    layout->addWidget(ignored);
    layout->addWidget(buttons);
}

// Cancel and Esc.
void FuzzyOptionsDialog::reject()
{
    m_result = 0;
    QDialog::reject();
}

void FuzzyOptionsDialog::closeEvent(QCloseEvent* event)
{
    QDialog::closeEvent(event);
    m_result = -2;
}

int FuzzyOptionsDialog::Show()
{
    m_result = -2;
    for (int i = 0; i < kOptionCount; ++i)
        m_boxes[i]->setChecked(m_options.*kFuzzyRules[i].member);
    exec();
    return m_result;
}

} // namespace host
