#include "src/common/ctlCOMAttentionText.h"

#include "platform/core/Error.h"
#include "platform/forms/AnsiCodePage.h"
#include "platform/forms/StoredDesign.h"
#include "platform/forms/Twips.h"
#include "src/log/mdlCOMLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>

#include <dlfcn.h>
#include <link.h>

namespace {
const QString kTextFilePath = QStringLiteral("textFilePath");
}

static void initDesign()
{
    Q_INIT_RESOURCE(ctlCOMAttentionText);
}

QString addinModuleFolder()
{
    Dl_info info{};
    link_map* module = nullptr;
    if (dladdr1(reinterpret_cast<const void*>(&addinModuleFolder), &info, reinterpret_cast<void**>(&module),
                RTLD_DL_LINKMAP) == 0 || !module)
        return {};
    // The program itself has no name in the link map (and argv[0] may be relative to a folder
    // that is no longer current): ask the system for its file instead.
    if (!module->l_name || !*module->l_name)
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QString::fromLocal8Bit(module->l_name)).absolutePath();
}

ctlCOMAttentionText::ctlCOMAttentionText(QWidget* parent) : forms::UserControl(parent)
{
    createControls();
}

void ctlCOMAttentionText::createControls()
{
    static const bool designReady = (initDesign(), true);
    Q_UNUSED(designReady);
    const forms::StoredDesign design = forms::StoredDesign::load(QStringLiteral(":/designs/ctlCOMAttentionText.json"));
    lblAttention = new QLabel(this);
    lblAttention->setObjectName(QStringLiteral("lblAttention"));
    forms::placeFromDesign(lblAttention, design.control(lblAttention->objectName()));
    lblAttention->setText(design.control(lblAttention->objectName()).ReadProperty(QStringLiteral("caption")).toString());
    txtAttention = new QPlainTextEdit(this);
    txtAttention->setObjectName(QStringLiteral("txtAttention"));
    forms::placeFromDesign(txtAttention, design.control(txtAttention->objectName()));
    txtAttention->setReadOnly(true);
    txtAttention->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void ctlCOMAttentionText::setCaptions()
{
    lblAttention->setText(QStringLiteral("注意:"));
}

void ctlCOMAttentionText::setTextFilePath(QString value)
{
    m_strTextFilePath = std::move(value);
    readAttentionFile();
}

QString ctlCOMAttentionText::attentionText() const
{
    return txtAttention->toPlainText();
}

void ctlCOMAttentionText::readAttentionFile()
{
    txtAttention->clear();
    if (m_strTextFilePath.isEmpty())
        return;
    try {
        // Resolved against the add-in's folder, never by changing the current directory.
        const QString path = QDir(addinModuleFolder()).filePath(m_strTextFilePath);
        QString text;
        for (const QString& line : forms::readTextLines(path))
            text += line + QStringLiteral("\r\n");
        txtAttention->setPlainText(text);
    } catch (const core::Error& e) {
        mdlCOMLog::writeLog(0, QStringLiteral("ctlCOMAttentionText.readAttentionFile ") + e.description());
    }
}

void ctlCOMAttentionText::UserControl_Initialize()
{
    setCaptions();
}

void ctlCOMAttentionText::UserControl_ReadProperties(const forms::PropertyBag& bag)
{
    setTextFilePath(bag.ReadProperty(kTextFilePath, QString()).toString());
}

void ctlCOMAttentionText::UserControl_WriteProperties(forms::PropertyBag& bag)
{
    bag.WriteProperty(kTextFilePath, m_strTextFilePath, QString());
}

void ctlCOMAttentionText::UserControl_Resize()
{
    const int top = txtAttention->y();
    if (height() < top)
        resize(width(), top);
    txtAttention->resize(width(), height() - top);
}
