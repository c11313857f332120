#include "host/ZoomDialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace host {

namespace {

constexpr int kMinPercent = 25, kMaxPercent = 400;   // the window's zoom bounds

} // namespace

ZoomDialog::ZoomDialog(double current, double pageWidth, QWidget* parent)
    : QDialog(parent), m_choices(new QButtonGroup(this)), m_percent(new QSpinBox(this))
{
    setWindowTitle(QStringLiteral("ズーム"));
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("倍率"), this);
    auto* choices = new QVBoxLayout(group);
    const int pageWidthPercent = std::clamp(static_cast<int>(std::lround(pageWidth * 100)), kMinPercent, kMaxPercent);
    const std::pair<const char*, int> kChoices[] = {
        {"&200%", 200}, {"&100%", 100}, {"&75%", 75}, {"ページ幅(&P)", pageWidthPercent}};
    for (const auto& [caption, percent] : kChoices) {
        auto* button = new QRadioButton(QString::fromUtf8(caption), group);
        choices->addWidget(button);
        m_choices->addButton(button, percent);
    }
    auto* custom = new QLabel(QStringLiteral("指定(&E):"), group);
    m_percent->setRange(kMinPercent, kMaxPercent);
    m_percent->setSuffix(QStringLiteral("%"));
    custom->setBuddy(m_percent);
    auto* row = new QHBoxLayout;
    row->addWidget(custom);
    row->addWidget(m_percent, 1);
    choices->addLayout(row);
    layout->addWidget(group);

    const int now = static_cast<int>(std::lround(current * 100));
    m_percent->setValue(now);
    if (QAbstractButton* same = m_choices->button(now))
        same->setChecked(true);
    // A choice writes its percentage in the box; typing another leaves no choice marked.
    connect(m_choices, &QButtonGroup::idClicked, m_percent, &QSpinBox::setValue);
    connect(m_percent, &QSpinBox::valueChanged, this, [this](int percent) {
        QAbstractButton* checked = m_choices->checkedButton();
        if (checked && m_choices->id(checked) != percent) {
            m_choices->setExclusive(false);
            checked->setChecked(false);
            m_choices->setExclusive(true);
        }
    });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

double ZoomDialog::zoom() const
{
    return m_percent->value() / 100.0;
}

} // namespace host
