#include "src/common/frmQLFAddIn.h"

#include "platform/core/Error.h"
#include "platform/forms/Clicks.h"
#include "platform/forms/Colors.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/Shell.h"
#include "platform/forms/StoredDesign.h"
#include "src/addin/mdlQLFConst.h"

static void initAboutDesign()
{
    Q_INIT_RESOURCE(frmQLFAddIn);
}

frmQLFAddIn::frmQLFAddIn() : Form(QStringLiteral(":/designs/frmQLFAddIn.json"), Border::Fixed)
{
    initAboutDesign();
}

void frmQLFAddIn::createControls()
{
    setFont(QFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
    const forms::StoredDesign& d = design();
    const auto place = [&](QWidget* widget, const QString& name) {
        widget->setObjectName(name);
        forms::placeFromDesign(widget, d.control(name));
    };
    const auto label = [&](const QString& name) {
        auto* l = new QLabel(d.control(name).ReadProperty(QStringLiteral("caption")).toString(), this);
        place(l, name);
        return l;
    };
    const auto box = [&](const QString& name) {
        auto* t = new QLineEdit(this);
        place(t, name);
        t->setReadOnly(true);
        return t;
    };
    // Created in tab order.
    lblAddinName = label(QStringLiteral("lblAddinName"));
    txtAddinName = box(QStringLiteral("txtAddinName"));
    lblAddinVersion = label(QStringLiteral("lblAddinVersion"));
    txtAddinVersion = box(QStringLiteral("txtAddinVersion"));
    lblCreatorName = label(QStringLiteral("lblCreatorName"));
    txtCreatorName = box(QStringLiteral("txtCreatorName"));
    lblCreatorHP = label(QStringLiteral("lblCreatorHP"));
    txtCreatorHP = box(QStringLiteral("txtCreatorHP"));
    lblCreatorEmailAddress = label(QStringLiteral("lblCreatorEmailAddress"));
    txtCreatorEmailAddress = box(QStringLiteral("txtCreatorEmailAddress"));
    cmdClose = new QPushButton(d.control(QStringLiteral("cmdClose")).ReadProperty(QStringLiteral("caption")).toString(), this);
    place(cmdClose, QStringLiteral("cmdClose"));

    // The home page looks like a link.
    QFont link(QStringLiteral("ＭＳ Ｐゴシック"), 9);
    link.setUnderline(true);
    txtCreatorHP->setFont(link);
    QPalette palette = txtCreatorHP->palette();
    palette.setColor(QPalette::Text, forms::oleColor(forms::vbDesktop));
    txtCreatorHP->setPalette(palette);
    txtCreatorHP->setCursor(Qt::ArrowCursor);

    // 閉じる is both the default and the cancel button: Enter and Esc close the box too.
    setDefaultButton(cmdClose);
    setCancelButton(cmdClose);
    connect(new forms::Clicks(txtCreatorHP), &forms::Clicks::Click, this, &frmQLFAddIn::txtCreatorHP_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmQLFAddIn::cmdClose_Click);
}

void frmQLFAddIn::Form_Load()
{
    setCaptions();
    txtAddinName->setText(mdlQLFConst::getAddinName());
    txtAddinVersion->setText(mdlQLFConst::getAddinVersion());
    txtCreatorName->setText(mdlQLFConst::getCreator()->name());
    txtCreatorHP->setText(mdlQLFConst::getCreator()->HPAddress());
    txtCreatorEmailAddress->setText(mdlQLFConst::getCreator()->EmailAddress());
}

void frmQLFAddIn::setCaptions()
{
    setWindowTitle(QStringLiteral("Tarvelinについて"));
    lblAddinName->setText(QStringLiteral("アドイン名："));
    lblAddinVersion->setText(QStringLiteral("バージョン："));
    lblCreatorName->setText(QStringLiteral("作成者："));
    lblCreatorHP->setText(QStringLiteral("HP："));
    lblCreatorEmailAddress->setText(QStringLiteral("連絡先："));
    cmdClose->setText(QStringLiteral("閉じる"));
}

void frmQLFAddIn::cmdClose_Click()
{
    Hide();
}

void frmQLFAddIn::Form_QueryUnload(int& cancel, int unloadMode)
{
    if (unloadMode == forms::vbFormControlMenu) {
        cancel = 1;
        Hide();
    }
}

void frmQLFAddIn::txtCreatorHP_Click()
{
    // The desktop's "open": whatever handles the address opens it; the outcome is not examined.
    try {
        forms::ShellOpen(txtCreatorHP->text());
    } catch (const core::Error& e) {
        forms::MsgBox(QStringLiteral("エラーが発生しました。\r\nエラー詳細：") + e.description(),
                      forms::vbOKOnly | forms::vbExclamation | forms::vbSystemModal, QStringLiteral("警告"));
    }
}
