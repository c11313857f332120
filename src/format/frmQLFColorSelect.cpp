#include "src/format/frmQLFColorSelect.h"

#include "platform/core/Error.h"
#include "platform/forms/FormsError.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/StoredDesign.h"
#include "platform/word/Forward.h"

#include <algorithm>

namespace {

constexpr int32_t kNotSet = word::wdUndefined;
constexpr int32_t kMaxRgb = 0xFFFFFF;
constexpr int16_t kPushedOK = 1;
constexpr int16_t kPushedCancel = 2;
// The swatch whose colour the user picks in the system colour dialog.
constexpr int kOtherColorIndex = 41;
constexpr int kWarningStyle = forms::vbOKOnly | forms::vbExclamation | forms::vbSystemModal;

bool isColorValue(int32_t value)
{
    return value == kNotSet || value == word::wdColorAutomatic || (value >= 0 && value <= kMaxRgb);
}

} // namespace

static void initColorSelectDesign()
{
    Q_INIT_RESOURCE(frmQLFColorSelect);
}

frmQLFColorSelect::frmQLFColorSelect(QWidget* owner)
    : Form(QStringLiteral(":/designs/frmQLFColorSelect.json"), Border::Fixed, owner),
      m_lngSelectedColor(kNotSet), m_intPushedButton(kPushedCancel)
{
    initColorSelectDesign();
}

void frmQLFColorSelect::createControls()
{
    setFont(QFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
    const forms::StoredDesign& d = design();
    const auto button = [&](const QString& name) {
        auto* b = new QPushButton(d.control(name).ReadProperty(QStringLiteral("caption")).toString(), this);
        b->setObjectName(name);
        forms::placeFromDesign(b, d.control(name));
        return b;
    };
    // The palette's colours, tool tips and places are the swatches' stored properties.
    btnColor.clear();
    for (int i = 0; d.hasControl(QStringLiteral("btnColor"), i); ++i) {
        auto* swatch = new ctlQLFColorButton(this);
        swatch->site(d, QStringLiteral("btnColor"), i);
        btnColor.append(swatch);
    }
    lblOther = new QLabel(d.control(QStringLiteral("lblOther")).ReadProperty(QStringLiteral("caption")).toString(), this);
    lblOther->setObjectName(QStringLiteral("lblOther"));
    forms::placeFromDesign(lblOther, d.control(lblOther->objectName()));
    btnOtherColor = button(QStringLiteral("btnOtherColor"));
    btnOK = button(QStringLiteral("btnOK"));
    btnCancel = button(QStringLiteral("btnCancel"));

    for (int i = 0; i < btnColor.size(); ++i)
        connect(btnColor[i], &ctlQLFColorButton::selectChange, this, [this, i] { btnColor_selectChange(i); });
    connect(btnOtherColor, &QPushButton::clicked, this, &frmQLFColorSelect::btnOtherColor_Click);
    connect(btnOK, &QPushButton::clicked, this, &frmQLFColorSelect::btnOK_Click);
    connect(btnCancel, &QPushButton::clicked, this, &frmQLFColorSelect::btnCancel_Click);
}

void frmQLFColorSelect::Form_Load()
{
    setCaptions();
}

void frmQLFColorSelect::setCaptions()
{
    setWindowTitle(QStringLiteral("色の選択"));
    lblOther->setText(QStringLiteral("その他の色"));
    btnCancel->setText(QStringLiteral("キャンセル"));
}

int32_t frmQLFColorSelect::selectedColor() const
{
    return m_lngSelectedColor == word::wdToggle ? kNotSet : m_lngSelectedColor;
}

void frmQLFColorSelect::setSelectedColor(int32_t value)
{
    Load();
    if (!isColorValue(value))
        value = kNotSet;
    m_lngSelectedColor = value;
    for (const auto& swatch : btnColor)
        swatch->setIsSelect(false);
    if (value == kNotSet)
        return;
    for (const auto& swatch : btnColor) {
        if (swatch->color() == value) {
            swatch->setIsSelect(true);
            return;
        }
    }
    btnColor[kOtherColorIndex]->setColor(value);
    btnColor[kOtherColorIndex]->setIsSelect(true);
}

void frmQLFColorSelect::btnColor_selectChange(int index)
{
    if (std::none_of(btnColor.cbegin(), btnColor.cend(), [](const auto& swatch) { return swatch->isSelect(); })) {
        m_lngSelectedColor = kNotSet;
        return;
    }
    if (!btnColor[index]->isSelect())
        return;
    m_lngSelectedColor = btnColor[index]->color();
    for (int i = 0; i < btnColor.size(); ++i) {
        if (i != index)
            btnColor[i]->setIsSelect(false);
    }
}

void frmQLFColorSelect::btnOtherColor_Click()
{
    try {
        dlgCommon.setColor(btnColor[kOtherColorIndex]->color());
        dlgCommon.setCancelError(true);
        dlgCommon.ShowColor();
        btnColor[kOtherColorIndex]->setColor(dlgCommon.Color());
        btnColor[kOtherColorIndex]->setIsSelect(true);
    } catch (const core::Error& e) {
        if (e.number() == forms::CancelSelected)
            return;
        forms::MsgBox(QStringLiteral("色の設定に失敗しました。\r\nエラー詳細:") + e.description(), kWarningStyle,
                      QStringLiteral("警告"));
    }
}

void frmQLFColorSelect::btnOK_Click()
{
    m_intPushedButton = kPushedOK;
    Hide();
}

void frmQLFColorSelect::btnCancel_Click()
{
    m_intPushedButton = kPushedCancel;
    Hide();
}

void frmQLFColorSelect::Form_QueryUnload(int& cancel, int unloadMode)
{
    if (unloadMode == forms::vbFormControlMenu) {
        cancel = 1;
        m_intPushedButton = kPushedCancel;
        Hide();
    }
}
