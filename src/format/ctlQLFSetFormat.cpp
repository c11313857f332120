#include "src/format/ctlQLFSetFormat.h"

#include "platform/core/Error.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/StoredDesign.h"
#include "platform/forms/Twips.h"
#include "src/format/frmQLFFontSetting.h"

namespace {
constexpr int kPushedOK = 1;
constexpr int kWarningStyle = forms::vbOKOnly | forms::vbExclamation | forms::vbSystemModal;
} // namespace

static void initDesign()
{
    Q_INIT_RESOURCE(ctlQLFSetFormat);
}

ctlQLFSetFormat::ctlQLFSetFormat(QWidget* parent) : forms::UserControl(parent)
{
    createControls();
}

void ctlQLFSetFormat::createControls()
{
    static const bool designReady = (initDesign(), true);
    Q_UNUSED(designReady);
    const forms::StoredDesign design = forms::StoredDesign::load(QStringLiteral(":/designs/ctlQLFSetFormat.json"));
    resize(forms::twipsToPixels(QSize(design.form().ReadProperty(QStringLiteral("width")).toInt(),
                                      design.form().ReadProperty(QStringLiteral("height")).toInt())));
    const auto caption = [&](const QString& name) {
        return design.control(name).ReadProperty(QStringLiteral("caption")).toString();
    };
    const auto designed = [&](QWidget* widget, const QString& name) {
        widget->setObjectName(name);
        forms::placeFromDesign(widget, design.control(name));
    };
    fraFormat = new QGroupBox(caption(QStringLiteral("fraFormat")), this);
    designed(fraFormat, QStringLiteral("fraFormat"));
    chkFont = new QCheckBox(caption(QStringLiteral("chkFont")), fraFormat);
    designed(chkFont, QStringLiteral("chkFont"));
    btnFont = new QPushButton(caption(QStringLiteral("btnFont")), fraFormat);
    designed(btnFont, QStringLiteral("btnFont"));
    btnFont->setEnabled(false);

    connect(chkFont, &QCheckBox::toggled, this, &ctlQLFSetFormat::chkFont_Click);
    connect(btnFont, &QPushButton::clicked, this, &ctlQLFSetFormat::btnFont_Click);
}

void ctlQLFSetFormat::UserControl_Initialize()
{
    setCaptions();
}

void ctlQLFSetFormat::setCaptions()
{
    fraFormat->setTitle(QStringLiteral("書式の設定"));
    chkFont->setText(QStringLiteral("フォントを設定する"));
    btnFont->setText(QStringLiteral("フォント..."));
}

bool ctlQLFSetFormat::isFontSetting() const
{
    return chkFont->isChecked() && m_objFont;
}

word::FontPtr ctlQLFSetFormat::font() const
{
    return isFontSetting() ? m_objFont : nullptr;
}

void ctlQLFSetFormat::chkFont_Click()
{
    btnFont->setEnabled(chkFont->isChecked());
}

void ctlQLFSetFormat::btnFont_Click()
{
    try {
        frmQLFFontSetting frmFontSetting(window());
        frmFontSetting.setSettingFont(m_objFont);
        frmFontSetting.Show(forms::vbModal);
        if (frmFontSetting.pushedButton().toInt() == kPushedOK)
            m_objFont = frmFontSetting.settingFont();
        frmFontSetting.Unload();
    } catch (const core::Error& e) {
        forms::MsgBox(QStringLiteral("フォントの設定に失敗しました。\r\nエラー詳細:") + e.description(), kWarningStyle,
                      QStringLiteral("警告"));
    }
}
