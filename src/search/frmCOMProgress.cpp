#include "src/search/frmCOMProgress.h"

#include "platform/core/Error.h"
#include "platform/forms/StoredDesign.h"

#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QPushButton>

#include <cmath>

// The design is a resource of a static library: it has to be pulled in by name.
static void initProgressDesign()
{
    Q_INIT_RESOURCE(frmCOMProgress);
}

namespace {

QLabel* designedLabel(const forms::StoredDesign& design, const QString& name, QWidget* parent)
{
    const forms::PropertyBag& props = design.control(name);
    auto* label = new QLabel(props.ReadProperty(QStringLiteral("caption")).toString(), parent);
    label->setObjectName(name);
    forms::placeFromDesign(label, props);
    label->setVisible(props.ReadProperty(QStringLiteral("visible"), true).toBool());
    return label;
}

void setLabelColors(QLabel* label, QPalette::ColorRole back, QPalette::ColorRole fore)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, palette.color(back));
    palette.setColor(QPalette::WindowText, palette.color(fore));
    label->setPalette(palette);
    label->setAutoFillBackground(true);
}

} // namespace

frmCOMProgress::frmCOMProgress()
    : Form(QStringLiteral(":/designs/frmCOMProgress.json"), Border::Fixed)
{
    initProgressDesign();
}

void frmCOMProgress::createControls()
{
    m_lblText = designedLabel(design(), QStringLiteral("lblText"), this);

    m_fraProgress = new QFrame(this);
    m_fraProgress->setObjectName(QStringLiteral("fraProgress"));
    m_fraProgress->setFrameShape(QFrame::StyledPanel);
    forms::placeFromDesign(m_fraProgress, design().control(QStringLiteral("fraProgress")));

    // The back of the bar in window colours, the filled part in the desktop's.
    m_lblMax = designedLabel(design(), QStringLiteral("lblMax"), m_fraProgress);
    setLabelColors(m_lblMax, QPalette::Base, QPalette::Text);
    m_lblProgress = designedLabel(design(), QStringLiteral("lblProgress"), m_fraProgress);
    setLabelColors(m_lblProgress, QPalette::Highlight, QPalette::Base);

    const forms::PropertyBag& cancel = design().control(QStringLiteral("cmdCancel"));
    m_cmdCancel = new QPushButton(cancel.ReadProperty(QStringLiteral("caption")).toString(), this);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    forms::placeFromDesign(m_cmdCancel, cancel);
    connect(m_cmdCancel, &QPushButton::clicked, this, &frmCOMProgress::cmdCancel_Click);
}

void frmCOMProgress::Form_Load()
{
    setCaptions();
    setTitle(QString());
    setText(QString());
    setProgressText(QString());
    setProgressRate(0);
}

void frmCOMProgress::setCaptions()
{
    m_cmdCancel->setText(QStringLiteral("キャンセル"));
}

void frmCOMProgress::setTitle(const QString& strTitle)
{
    m_strTitle = strTitle;
    setWindowTitle(m_strTitle);
}

void frmCOMProgress::setText(const QString& strText)
{
    m_strText = strText;
    m_lblText->setText(m_strText);
}

void frmCOMProgress::setProgressText(const QString& strProgressText)
{
    m_strProgressText = strProgressText;
    m_lblMax->setText(m_strProgressText);
    m_lblProgress->setText(m_strProgressText);
    m_fraProgress->repaint();
}

void frmCOMProgress::setProgressRate(double dblRate)
{
    if (dblRate < 0.0 || dblRate > 1.0)
        throw core::runtimeError(core::InvalidProcedureCall, QStringLiteral("QLF"));
    m_dblRate = dblRate;
    const float width = static_cast<float>(dblRate * m_lblMax->width());
    m_lblProgress->resize(static_cast<int>(std::lround(width)), m_lblProgress->height());
    m_fraProgress->repaint();
}

void frmCOMProgress::cmdCancel_Click()
{
    emit RequestedCancel();
    Hide();
}

void frmCOMProgress::Form_QueryUnload(int& cancel, int unloadMode)
{
    if (unloadMode == forms::vbFormControlMenu)
        cancel = 1;
}
