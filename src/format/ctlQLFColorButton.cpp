#include "src/format/ctlQLFColorButton.h"

#include "platform/forms/Clicks.h"
#include "platform/forms/Colors.h"
#include "platform/forms/StoredDesign.h"
#include "platform/forms/Twips.h"
#include "platform/word/Forward.h"

#include <QLabel>

namespace {

const QString kIsSelect = QStringLiteral("isSelect");
const QString kColor = QStringLiteral("color");
const QString kCaption = QStringLiteral("caption");
const QString kToolTipText = QStringLiteral("btnToolTipText");

constexpr int32_t kColorAutomatic = word::wdColorAutomatic;
constexpr int32_t kMaxRgb = 0xFFFFFF;
// The face keeps this margin (twips) on every side; the selection frame shows in it.
constexpr int kFrameTwips = 60;

// A label's background style: opaque fills it with its background colour, transparent does not.
void setBackStyleOpaque(QLabel* label, bool opaque)
{
    label->setAutoFillBackground(opaque);
}

void setBackColor(QLabel* label, const QColor& color)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, color);
    label->setPalette(palette);
}

} // namespace

static void initDesign()
{
    Q_INIT_RESOURCE(ctlQLFColorButton);
}

ctlQLFColorButton::ctlQLFColorButton(QWidget* parent) : forms::UserControl(parent)
{
    createControls();
}

void ctlQLFColorButton::createControls()
{
    static const bool designReady = (initDesign(), true);
    Q_UNUSED(designReady);
    const forms::StoredDesign design = forms::StoredDesign::load(QStringLiteral(":/designs/ctlQLFColorButton.json"));
    resize(forms::twipsToPixels(QSize(design.form().ReadProperty(QStringLiteral("width")).toInt(),
                                      design.form().ReadProperty(QStringLiteral("height")).toInt())));
    // Created back to front: the face lies in front of the frame.
    lblSelectFrame = new QLabel(this);
    lblSelectFrame->setObjectName(QStringLiteral("lblSelectFrame"));
    const forms::PropertyBag& frame = design.control(lblSelectFrame->objectName());
    forms::placeFromDesign(lblSelectFrame, frame);
    setBackColor(lblSelectFrame, forms::oleColor(frame.ReadProperty(QStringLiteral("backcolor")).toUInt()));
    lblColor = new QLabel(this);
    lblColor->setObjectName(QStringLiteral("lblColor"));
    forms::placeFromDesign(lblColor, design.control(lblColor->objectName()));
    lblColor->setAlignment(Qt::AlignCenter);
    QPalette palette = lblColor->palette();
    palette.setColor(QPalette::WindowText, forms::oleColor(forms::vbWindowText));
    lblColor->setPalette(palette);
    connect(new forms::Clicks(lblColor), &forms::Clicks::Click, this, &ctlQLFColorButton::lblColor_Click);
}

void ctlQLFColorButton::setIsSelect(bool value)
{
    m_blnSelect = value;
    setBackStyleOpaque(lblSelectFrame, value);
    emit selectChange();
}

void ctlQLFColorButton::setColor(int32_t value)
{
    if (value < 0 || value > kMaxRgb) {
        setBackStyleOpaque(lblColor, false);
        lblColor->setFrameShape(QFrame::Box);
        m_lngColor = kColorAutomatic;
        return;
    }
    setBackStyleOpaque(lblColor, true);
    setBackColor(lblColor, forms::colorFromColorref(value));
    lblColor->setFrameShape(QFrame::NoFrame);
    m_lngColor = value;
}

void ctlQLFColorButton::setCaption(const QString& value)
{
    m_strCaption = value;
    lblColor->setText(value);
}

void ctlQLFColorButton::setBtnToolTipText(const QString& value)
{
    m_strToolTipText = value;
    lblColor->setToolTip(value);
}

void ctlQLFColorButton::lblColor_Click()
{
    setIsSelect(!isSelect());
}

void ctlQLFColorButton::UserControl_Initialize()
{
    setCaption(QString());
    setColor(kColorAutomatic);
    setIsSelect(false);
}

void ctlQLFColorButton::UserControl_ReadProperties(const forms::PropertyBag& bag)
{
    setCaption(bag.ReadProperty(kCaption, QString()).toString());
    setColor(bag.ReadProperty(kColor, kColorAutomatic).toInt());
    setIsSelect(bag.ReadProperty(kIsSelect, false).toBool());
    setBtnToolTipText(bag.ReadProperty(kToolTipText, QString()).toString());
}

void ctlQLFColorButton::UserControl_WriteProperties(forms::PropertyBag& bag)
{
    bag.WriteProperty(kCaption, caption(), QString());
    bag.WriteProperty(kColor, color(), kColorAutomatic);
    bag.WriteProperty(kIsSelect, isSelect(), false);
    bag.WriteProperty(kToolTipText, btnToolTipText(), QString());
}

void ctlQLFColorButton::UserControl_Resize()
{
    const int minimum = 2 * kFrameTwips;
    const int innerHeight = forms::pixelsToTwipsY(height());
    if (innerHeight < minimum)
        resize(width(), height() + forms::twipsToPixelsY(minimum - innerHeight));
    const int innerWidth = forms::pixelsToTwipsX(width());
    if (innerWidth < minimum)
        resize(width() + forms::twipsToPixelsX(minimum - innerWidth), height());
    const QSize inner = forms::pixelsToTwips(size());
    lblColor->setGeometry(forms::twipsToPixels(
        QRect(kFrameTwips, kFrameTwips, inner.width() - minimum, inner.height() - minimum)));
    lblSelectFrame->resize(size());
}
