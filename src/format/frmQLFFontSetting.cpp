#include "src/format/frmQLFFontSetting.h"

#include "platform/core/Error.h"
#include "platform/forms/Colors.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/StoredDesign.h"
#include "platform/word/Font.h"

#include <QKeyEvent>

namespace {

constexpr int32_t kNotSet = word::wdUndefined;
constexpr int32_t kWhite = 0xFFFFFF;
constexpr int16_t kPushedOK = 1;
constexpr int16_t kPushedCancel = 2;
constexpr int kBackspace = 8;
constexpr int kWarningStyle = forms::vbOKOnly | forms::vbExclamation | forms::vbSystemModal;
const char* const kTag = "Tag";

// Word's three-valued flag (0 false, -1 true, anything else not set) as a box value, and back.
int checkValueFromFlag(int flag)
{
    return flag == 0 ? forms::vbUnchecked : flag == -1 ? forms::vbChecked : forms::vbGrayed;
}

int flagFromCheckValue(int value)
{
    return value == forms::vbUnchecked ? 0 : value == forms::vbChecked ? -1 : kNotSet;
}

void setBackColor(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, color);
    palette.setColor(QPalette::Button, color);
    widget->setPalette(palette);
}

} // namespace

static void initFontSettingDesign()
{
    Q_INIT_RESOURCE(frmQLFFontSetting);
}

frmQLFFontSetting::frmQLFFontSetting(QWidget* owner)
    : Form(QStringLiteral(":/designs/frmQLFFontSetting.json"), Border::Fixed, owner)
{
    initFontSettingDesign();
}

frmQLFFontSetting::~frmQLFFontSetting() = default;

void frmQLFFontSetting::createControls()
{
    setFont(QFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
    const forms::StoredDesign& d = design();
    const auto stored = [&](const QString& name, const char* property) {
        return d.control(name).ReadProperty(QLatin1String(property));
    };

    tabFont = new QTabWidget(this);
    tabFont->setObjectName(QStringLiteral("tabFont"));
    forms::placeFromDesign(tabFont, d.control(tabFont->objectName()));
    QList<QWidget*> pages;
    for (int i = 0; i < stored(tabFont->objectName(), "tabs").toInt(); ++i) {
        pages.append(new QWidget(tabFont));
        tabFont->addTab(pages.last(), stored(tabFont->objectName(), qPrintable(QStringLiteral("tabcaption%1").arg(i))).toString());
    }
    // A control lies on the tab page its design names, otherwise on the form.
    const auto container = [&](const char* name) -> QWidget* {
        const QVariant tab = stored(QLatin1String(name), "tab");
        return tab.isValid() ? pages.at(tab.toInt()) : this;
    };
    const auto designed = [&]<class W>(W* widget, const QString& name) {
        widget->setObjectName(name);
        forms::placeFromDesign(widget, d.control(name));
        if constexpr (std::is_base_of_v<QAbstractButton, W> || std::is_same_v<W, QLabel>)
            widget->setText(stored(name, "caption").toString());
        return widget;
    };
    const auto label = [&](const char* name) { return designed(new QLabel(container(name)), QLatin1String(name)); };
    const auto combo = [&](const char* name) { return designed(new QComboBox(container(name)), QLatin1String(name)); };
    const auto textBox = [&](const char* name) { return designed(new QLineEdit(container(name)), QLatin1String(name)); };
    const auto list = [&](const char* name) { return designed(new QListWidget(container(name)), QLatin1String(name)); };
    const auto button = [&](const char* name) { return designed(new QPushButton(container(name)), QLatin1String(name)); };
    const auto line = [&](const char* name) {
        QFrame* l = designed(new QFrame(container(name)), QLatin1String(name));
        l->setFrameShape(QFrame::HLine);
        l->setFrameShadow(QFrame::Sunken);
        return l;
    };
    const auto check = [&](const char* name) {
        forms::CheckBox* box = designed(new forms::CheckBox({}, container(name)), QLatin1String(name));
        box->setValue(stored(box->objectName(), "value").toInt());
        return box;
    };

    // Created in tab order.
    lblFontJp = label("lblFontJp");
    cmbFontJp = combo("cmbFontJp");
    lblFontEn = label("lblFontEn");
    cmbFontEn = combo("cmbFontEn");
    lblStyle = label("lblStyle");
    txtStyle = textBox("txtStyle");
    lstStyle = list("lstStyle");
    lblSize = label("lblSize");
    txtSize = textBox("txtSize");
    lstSize = list("lstSize");
    lblAllChar = label("lblAllChar");
    linAllChar = line("linAllChar");
    lblFontColor = label("lblFontColor");
    txtFontColor = textBox("txtFontColor");
    txtFontColor->setReadOnly(stored(txtFontColor->objectName(), "locked").toBool());
    txtFontColor->setText(stored(txtFontColor->objectName(), "text").toString());
    txtFontColor->setProperty(kTag, stored(txtFontColor->objectName(), "tag").toString());
    btnFontColor = button("btnFontColor");
    lblUnderLine = label("lblUnderLine");
    cmbUnderLine = combo("cmbUnderLine");
    lblUnderLineColor = label("lblUnderLineColor");
    txtUnderLineColor = textBox("txtUnderLineColor");
    btnUnderLineColor = button("btnUnderLineColor");
    lblEmphasisMark = label("lblEmphasisMark");
    cmbEmphasisMark = combo("cmbEmphasisMark");
    lblCharDecorations = label("lblCharDecorations");
    linCharDecorations = line("linCharDecorations");
    chkStrikeThrough = check("chkStrikeThrough");
    chkDoubleStrikeThrough = check("chkDoubleStrikeThrough");
    chkSuperscript = check("chkSuperscript");
    chkSubscript = check("chkSubscript");
    chkShadow = check("chkShadow");
    chkOutline = check("chkOutline");
    chkEmboss = check("chkEmboss");
    chkEngrave = check("chkEngrave");
    chkSmallCaps = check("chkSmallCaps");
    chkAllCaps = check("chkAllCaps");
    chkHidden = check("chkHidden");
    txtAttentionText = new ctlCOMAttentionText(this);
    txtAttentionText->site(d, QStringLiteral("txtAttentionText"));
    btnOK = button("btnOK");
    btnCancel = button("btnCancel");

    connect(tabFont, &QTabWidget::currentChanged, this, &frmQLFFontSetting::tabFont_Click);
    connect(chkStrikeThrough, &QCheckBox::stateChanged, this, &frmQLFFontSetting::chkStrikeThrough_Click);
    connect(chkDoubleStrikeThrough, &QCheckBox::stateChanged, this, &frmQLFFontSetting::chkDoubleStrikeThrough_Click);
    chkStrikeThrough->installEventFilter(this);
    chkDoubleStrikeThrough->installEventFilter(this);
    connect(btnFontColor, &QPushButton::clicked, this, &frmQLFFontSetting::btnFontColor_Click);
    connect(btnOK, &QPushButton::clicked, this, &frmQLFFontSetting::btnOK_Click);
    connect(btnCancel, &QPushButton::clicked, this, &frmQLFFontSetting::btnCancel_Click);
}

void frmQLFFontSetting::Form_Load()
{
    tabFont->setTabEnabled(1, false);
    tabFont->setTabEnabled(2, false);
    disableControls();
    setCaptions();
}

void frmQLFFontSetting::disableControls()
{
    const QList<QWidget*> controls{lblFontJp, cmbFontJp, lblFontEn, cmbFontEn, lblStyle, txtStyle, lstStyle,
                                   lblSize, txtSize, lstSize, lblUnderLine, cmbUnderLine, lblUnderLineColor,
                                   txtUnderLineColor, btnUnderLineColor, lblEmphasisMark, cmbEmphasisMark,
                                   chkSuperscript, chkSubscript, chkShadow, chkOutline, chkEmboss, chkEngrave,
                                   chkSmallCaps, chkAllCaps, chkHidden};
    for (QWidget* control : controls)
        control->setEnabled(false);
    const QColor buttonFace = forms::oleColor(forms::vbButtonFace);
    for (QWidget* box : QList<QWidget*>{cmbFontJp, cmbFontEn, txtStyle, lstStyle, txtSize, lstSize, cmbUnderLine,
                                        txtUnderLineColor, cmbEmphasisMark})
        setBackColor(box, buttonFace);
}

void frmQLFFontSetting::setCaptions()
{
    setWindowTitle(QStringLiteral("検索する文字"));
    tabFont->setTabText(0, QStringLiteral("フォント"));
    tabFont->setTabText(1, QStringLiteral("文字幅と間隔"));
    tabFont->setTabText(2, QStringLiteral("アニメーション"));
    lblFontJp->setText(QStringLiteral("日本語用のフォント:"));
    lblFontEn->setText(QStringLiteral("英数字用のフォント:"));
    lblStyle->setText(QStringLiteral("スタイル:"));
    lblSize->setText(QStringLiteral("サイズ:"));
    lblAllChar->setText(QStringLiteral("すべての文字列"));
    lblFontColor->setText(QStringLiteral("フォントの色:"));
    lblUnderLine->setText(QStringLiteral("下線:"));
    lblUnderLineColor->setText(QStringLiteral("下線の色:"));
    lblEmphasisMark->setText(QStringLiteral("傍点:"));
    lblCharDecorations->setText(QStringLiteral("文字飾り"));
    chkStrikeThrough->setText(QStringLiteral("取り消し線"));
    chkDoubleStrikeThrough->setText(QStringLiteral("二重取り消し線"));
    chkSuperscript->setText(QStringLiteral("上付き"));
    chkSubscript->setText(QStringLiteral("下付き"));
    chkShadow->setText(QStringLiteral("影付き"));
    chkOutline->setText(QStringLiteral("中抜き"));
    chkEmboss->setText(QStringLiteral("浮き出し"));
    chkEngrave->setText(QStringLiteral("浮き彫り"));
    chkSmallCaps->setText(QStringLiteral("小型英大文字"));
    chkAllCaps->setText(QStringLiteral("すべて大文字"));
    chkHidden->setText(QStringLiteral("隠し文字"));
    btnOK->setText(QStringLiteral("OK"));
    btnCancel->setText(QStringLiteral("キャンセル"));
}

void frmQLFFontSetting::tabFont_Click(int index)
{
    // Code can still make a switched-off tab current; the user never sees one.
    if (!tabFont->isTabEnabled(index))
        tabFont->setCurrentIndex(0);
}

void frmQLFFontSetting::showFontColor(int32_t color)
{
    txtFontColor->setProperty(kTag, QString::number(color));
    QColor textColor = Qt::black;
    if (color == word::wdColorAutomatic)
        txtFontColor->setText(QStringLiteral("自動"));
    else if (color == kNotSet)
        txtFontColor->setText(QStringLiteral("未設定"));
    else if (color == kWhite)
        txtFontColor->setText(QStringLiteral("□"));
    else {
        txtFontColor->setText(QStringLiteral("■"));
        textColor = forms::colorFromColorref(color);
    }
    QPalette palette = txtFontColor->palette();
    palette.setColor(QPalette::Text, textColor);
    txtFontColor->setPalette(palette);
}

int32_t frmQLFFontSetting::fontColorTag() const
{
    return txtFontColor->property(kTag).toString().toInt();
}

void frmQLFFontSetting::setSettingFont(const word::FontPtr& value)
{
    Load();
    const word::FontPtr f = value ? value : word::Font::create();
    showFontColor(f->Color());
    chkStrikeThrough->setValue(checkValueFromFlag(f->StrikeThrough()));
    chkDoubleStrikeThrough->setValue(checkValueFromFlag(f->DoubleStrikeThrough()));
}

word::FontPtr frmQLFFontSetting::settingFont()
{
    Load();
    const int32_t color = fontColorTag();
    if (color == kNotSet && chkStrikeThrough->Value() == forms::vbGrayed && chkDoubleStrikeThrough->Value() == forms::vbGrayed)
        return nullptr;
    word::FontPtr f = word::Font::create();
    f->setColor(color);
    f->setStrikeThrough(flagFromCheckValue(chkStrikeThrough->Value()));
    f->setDoubleStrikeThrough(flagFromCheckValue(chkDoubleStrikeThrough->Value()));
    return f;
}

QVariant frmQLFFontSetting::pushedButton() const
{
    return QVariant::fromValue<qint16>(m_intPushedButton);
}

void frmQLFFontSetting::strikeThroughInterlock(forms::CheckBox* changed, forms::CheckBox* other)
{
    // Each change made here runs the rule for the box it changed, nested; it settles at once.
    if (changed->Value() == forms::vbChecked)
        other->setValue(forms::vbUnchecked);
    if (other->Value() == forms::vbGrayed && changed->Value() != forms::vbGrayed)
        other->setValue(forms::vbUnchecked);
}

void frmQLFFontSetting::chkStrikeThrough_Click()
{
    strikeThroughInterlock(chkStrikeThrough, chkDoubleStrikeThrough);
}

void frmQLFFontSetting::chkDoubleStrikeThrough_Click()
{
    strikeThroughInterlock(chkDoubleStrikeThrough, chkStrikeThrough);
}

bool frmQLFFontSetting::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == chkStrikeThrough || watched == chkDoubleStrikeThrough) && event->type() == QEvent::KeyPress) {
        const QString text = static_cast<QKeyEvent*>(event)->text();
        if (!text.isEmpty())
            strikeThrough_KeyPress(text.at(0).unicode());
    }
    return Form::eventFilter(watched, event);
}

void frmQLFFontSetting::strikeThrough_KeyPress(int keyAscii)
{
    // Key press on either box: Backspace makes both not set.
    if (keyAscii != kBackspace)
        return;
    chkStrikeThrough->setValue(forms::vbGrayed);
    chkDoubleStrikeThrough->setValue(forms::vbGrayed);
}

void frmQLFFontSetting::btnFontColor_Click()
{
    try {
        if (!m_frmColorSelect)
            m_frmColorSelect = std::make_unique<frmQLFColorSelect>(this);
        m_frmColorSelect->setSelectedColor(fontColorTag());
        m_frmColorSelect->Show(forms::vbModal);
        if (m_frmColorSelect->pushedButton() == kPushedOK)
            showFontColor(m_frmColorSelect->selectedColor());
    } catch (const core::Error& e) {
        forms::MsgBox(QStringLiteral("色の設定に失敗しました。\r\nエラー詳細:") + e.description(), kWarningStyle,
                      QStringLiteral("警告"));
    }
}

void frmQLFFontSetting::btnOK_Click()
{
    m_intPushedButton = kPushedOK;
    Hide();
}

void frmQLFFontSetting::btnCancel_Click()
{
    m_intPushedButton = kPushedCancel;
    Hide();
}

void frmQLFFontSetting::Form_QueryUnload(int& cancel, int unloadMode)
{
    if (unloadMode == forms::vbFormControlMenu) {
        cancel = 1;
        m_intPushedButton = kPushedCancel;
        Hide();
    }
}

void frmQLFFontSetting::Form_Unload(int&)
{
    if (m_frmColorSelect)
        m_frmColorSelect->Unload();
    m_frmColorSelect.reset();
}
