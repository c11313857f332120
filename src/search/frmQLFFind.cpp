#include "src/search/frmQLFFind.h"

#include "platform/core/Error.h"
#include "platform/forms/AnsiCodePage.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/StoredDesign.h"
#include "platform/word/Application.h"
#include "platform/word/Dialogs.h"
#include "src/addin/mdlQLFGlobal.h"
#include "src/common/frmQLFAddIn.h"
#include "src/log/mdlCOMLog.h"
#include "src/results/frmQLFResult.h"
#include "src/search/clsQLFFind.h"
#include "src/search/clsQLFFindCondition.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

static void initFindDesign()
{
    Q_INIT_RESOURCE(frmQLFFind);
}

namespace {

const QString kSource = QStringLiteral("frmQLFFind");
constexpr int kBackspace = 8;
const QString kInformation = QStringLiteral("情報");
const QString kWarning = QStringLiteral("警告");
constexpr int kMessageStyle = forms::vbOKOnly | forms::vbInformation | forms::vbSystemModal;


template<class Widget>
Widget* designed(Widget* widget, const forms::StoredDesign& design, const QString& name)
{
    widget->setObjectName(name);
    forms::placeFromDesign(widget, design.control(name));
    return widget;
}

} // namespace

frmQLFFind::frmQLFFind() : Form(QStringLiteral(":/designs/frmQLFFind.json"), Border::Fixed)
{
    initFindDesign();
}

void frmQLFFind::createControls()
{
    setFont(QFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
    const forms::StoredDesign& d = design();
    const auto caption = [&](const QString& name) {
        return d.control(name).ReadProperty(QStringLiteral("caption")).toString();
    };
    // Created in tab order, which is the focus order.
    lblText = designed(new QLabel(caption(QStringLiteral("lblText")), this), d, QStringLiteral("lblText"));
    txtText = designed(new QLineEdit(this), d, QStringLiteral("txtText"));
    lblText->setBuddy(txtText);
    ctlFindMatchConditions = new ctlQLFFindMatchConditions(this);
    ctlFindMatchConditions->site(d, QStringLiteral("ctlFindMatchConditions"));
    btnOption = designed(new QPushButton(caption(QStringLiteral("btnOption")), this), d, QStringLiteral("btnOption"));
    chkHighlight = designed(new forms::CheckBox(caption(QStringLiteral("chkHighlight")), this), d,
                            QStringLiteral("chkHighlight"));
    chkHighlight->setValue(forms::vbGrayed);
    ctlSetFormat = new ctlQLFSetFormat(this);
    ctlSetFormat->site(d, QStringLiteral("ctlSetFormat"));
    btnAbout = designed(new QPushButton(caption(QStringLiteral("btnAbout")), this), d, QStringLiteral("btnAbout"));
    btnExecute = designed(new QPushButton(caption(QStringLiteral("btnExecute")), this), d, QStringLiteral("btnExecute"));
    btnCancel = designed(new QPushButton(caption(QStringLiteral("btnCancel")), this), d, QStringLiteral("btnCancel"));
    txtAttentionText = new ctlCOMAttentionText(this);
    txtAttentionText->site(d, QStringLiteral("txtAttentionText"));
    btnExecute->setDefault(true);
    setDefaultButton(btnExecute);
    setCancelButton(btnCancel);

    connect(txtText, &QLineEdit::textChanged, this, &frmQLFFind::txtText_Change);
    connect(ctlFindMatchConditions, &ctlQLFFindMatchConditions::changeState, this,
            &frmQLFFind::ctlFindMatchConditions_changeState);
    connect(btnExecute, &QPushButton::clicked, this, &frmQLFFind::btnExecute_Click);
    connect(btnOption, &QPushButton::clicked, this, &frmQLFFind::btnOption_Click);
    connect(btnAbout, &QPushButton::clicked, this, &frmQLFFind::btnAbout_Click);
    connect(btnCancel, &QPushButton::clicked, this, &frmQLFFind::btnCancel_Click);
    chkHighlight->installEventFilter(this);
}

void frmQLFFind::Form_Load()
{
    mdlCOMLog::writeLog(3, QStringLiteral("frmQLFFind.Form_Load IN"));
    setCaptions();
    btnOption->setEnabled(ctlFindMatchConditions->matchFuzzy());
    mdlCOMLog::writeLog(3, QStringLiteral("frmQLFFind.Form_Load OUT"));
}

void frmQLFFind::setCaptions()
{
    setWindowTitle(QStringLiteral("検索"));
    lblText->setText(QStringLiteral("検索する文字列:"));
    btnOption->setText(QStringLiteral("オプション..."));
    chkHighlight->setText(QStringLiteral("蛍光ペン"));
    btnAbout->setText(QStringLiteral("アドインについて"));
    btnExecute->setText(QStringLiteral("検索を実行"));
    btnCancel->setText(QStringLiteral("キャンセル"));
}

void frmQLFFind::Form_QueryUnload(int& cancel, int unloadMode)
{
    if (unloadMode == forms::vbFormControlMenu) {
        cancel = 1;
        Hide();
    }
}

void frmQLFFind::btnExecute_Click()
{
    // Enter or a click during a running search's message processing would restart it.
    if (clsQLFFind::isRunning())
        return;
    if (txtText->text().isEmpty() && chkHighlight->Value() == forms::vbGrayed && !ctlSetFormat->isFontSetting()) {
        forms::MsgBox(clsQLFFindCondition::noCriterionMessage(), kMessageStyle, kInformation);
        return;
    }
    try {
        core::required(mdlQLFGlobal::g_objApplication, kSource).ActiveDocument();
    } catch (const core::Error&) {
        forms::MsgBox(QStringLiteral("ドキュメントが開かれていないため実行できません"), kMessageStyle, kInformation);
        return;
    }
    try {
        core::required(mdlQLFGlobal::g_frmResult, kSource).Hide();
        const std::unique_ptr<clsQLFFindCondition> objCondition = createFindCondition();
        clsQLFFind objFind;
        objFind.find(*objCondition);
        Hide();
        core::required(mdlQLFGlobal::g_frmResult, kSource).Show(forms::vbModeless);
    } catch (...) {
        // Whatever failed (out of memory in a huge search included) is reported, never let
        // out of the click.
        forms::MsgBox(QStringLiteral("検索に失敗しました。\r\nエラー詳細:") + core::currentError(kSource).description(),
                      kMessageStyle, kWarning);
        // A search that filled the list keeps what it found: the list is shown, not lost.
        if (mdlQLFGlobal::g_frmResult && mdlQLFGlobal::g_frmResult->isFull())
            mdlQLFGlobal::g_frmResult->Show(forms::vbModeless);
    }
}

std::unique_ptr<clsQLFFindCondition> frmQLFFind::createFindCondition() const
{
    auto objCondition = std::make_unique<clsQLFFindCondition>();
    objCondition->setObjDoc(core::required(mdlQLFGlobal::g_objApplication, kSource).ActiveDocument());
    objCondition->setText(txtText->text());
    objCondition->setMatchCase(ctlFindMatchConditions->matchCase());
    objCondition->setMatchWholeWord(ctlFindMatchConditions->matchWholeWord());
    objCondition->setMatchWildcards(ctlFindMatchConditions->matchWildcards());
    objCondition->setMatchSoundsLike(ctlFindMatchConditions->matchSoundsLike());
    objCondition->setMatchAllWordForms(ctlFindMatchConditions->matchAllWordForms());
    objCondition->setMatchByte(ctlFindMatchConditions->matchByte());
    objCondition->setMatchFuzzy(ctlFindMatchConditions->matchFuzzy());
    objCondition->setObjFont(ctlSetFormat->font());
    switch (chkHighlight->Value()) {
    case forms::vbUnchecked: objCondition->setHighlight(0); break;
    case forms::vbChecked: objCondition->setHighlight(-1); break;
    default: objCondition->setHighlight(word::wdUndefined); break;
    }
    return objCondition;
}

void frmQLFFind::btnOption_Click()
{
    try {
        core::required(mdlQLFGlobal::g_objApplication, kSource).Dialogs()->Item(word::wdDialogToolsOptionsFuzzy)->Show();
    } catch (...) {
        mdlCOMLog::writeLog(0, QStringLiteral("frmQLFFind.btnOption_Click ") + core::currentError(kSource).description());
    }
}

void frmQLFFind::btnAbout_Click()
{
    try {
        frmQLFAddIn about;
        about.Show(forms::vbModal);
        about.Unload();
    } catch (...) {
        mdlCOMLog::writeLog(0, QStringLiteral("frmQLFFind.btnAbout_Click ") + core::currentError(kSource).description());
    }
}

void frmQLFFind::showEvent(QShowEvent* event)
{
    Form::showEvent(event);
    // Ready to type a new text over the last one.
    txtText->setFocus();
    txtText->selectAll();
}

void frmQLFFind::btnCancel_Click()
{
    Hide();
}

bool frmQLFFind::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == chkHighlight && event->type() == QEvent::KeyPress) {
        const QString text = static_cast<QKeyEvent*>(event)->text();
        if (!text.isEmpty())
            chkHighlight_KeyPress(text.at(0).unicode());
    }
    return Form::eventFilter(watched, event);
}

void frmQLFFind::chkHighlight_KeyPress(int keyAscii)
{
    if (keyAscii == kBackspace)
        chkHighlight->setValue(forms::vbGrayed);
}

void frmQLFFind::txtText_Change()
{
    // A character is multi-byte when the ANSI code page needs two bytes for it.
    const QString text = txtText->text();
    const bool multiByte = std::any_of(text.begin(), text.end(),
                                       [](QChar c) { return forms::ansiByteLength(QString(c)) > 1; });
    ctlFindMatchConditions->setMatchWholeWordEnabled(!multiByte);
}

void frmQLFFind::ctlFindMatchConditions_changeState()
{
    btnOption->setEnabled(ctlFindMatchConditions->matchFuzzy());
}
