#include "src/addin/Connect.h"

#include "platform/core/Error.h"
#include "platform/forms/MsgBox.h"
#include "platform/word/Application.h"
#include "src/addin/clsQLFResultButton.h"
#include "src/addin/clsQLFSearchButton.h"
#include "src/addin/mdlQLFGlobal.h"
#include "src/common/ctlCOMAttentionText.h"
#include "src/log/mdlCOMLog.h"
#include "src/results/frmQLFResult.h"
#include "src/search/frmQLFFind.h"

using namespace mdlQLFGlobal;
using mdlCOMLog::writeLog;

namespace {

const QString kSource = QStringLiteral("QLF");

} // namespace

Connect::Connect() = default;
Connect::~Connect() = default;

void Connect::AddinInstance_Initialize()
{
    mdlCOMLog::setLogFilePath(addinModuleFolder() + QStringLiteral("\\log.log"));
    writeLog(3, QStringLiteral("Connect.AddinInstance_Initialize IN"));
    writeLog(3, QStringLiteral("Connect.AddinInstance_Initialize OUT"));
}

void Connect::AddinInstance_OnConnection(std::shared_ptr<core::Object> Application, int,
                                         std::shared_ptr<core::Object>, std::vector<QVariant>&)
{
    try {
        writeLog(3, QStringLiteral("Connect.AddinInstance_OnConnection IN"));
        g_objApplication = std::dynamic_pointer_cast<word::Application>(Application);
        if (!g_objApplication)
            throw core::runtimeError(core::TypeMismatch, kSource);
        g_frmFind = std::make_shared<frmQLFFind>();
        g_frmResult = std::make_shared<frmQLFResult>();
        g_frmFind->Load();
        g_frmResult->Load();
        m_objResultButton = std::make_shared<clsQLFResultButton>();
        m_objResultButton->addButton();
        m_objSearchButton = std::make_shared<clsQLFSearchButton>();
        m_objSearchButton->addButton();
        writeLog(3, QStringLiteral("Connect.AddinInstance_OnConnection OUT"));
    } catch (...) {
        forms::MsgBox(QStringLiteral("アドインの追加に失敗しました\r\nエラー詳細：") + core::currentError(kSource).description(),
                      forms::vbSystemModal + forms::vbExclamation, QStringLiteral("警告"));
    }
}

void Connect::AddinInstance_OnDisconnection(int, std::vector<QVariant>&)
{
    writeLog(3, QStringLiteral("Connect.AddinInstance_OnDisconnection IN"));
    disconnectionStep([this] { core::required(m_objResultButton, kSource).deleteButton(); });
    disconnectionStep([this] { core::required(m_objSearchButton, kSource).deleteButton(); });
    m_objResultButton.reset();
    m_objSearchButton.reset();
    disconnectionStep([] { core::required(g_frmFind, kSource).Unload(); });
    disconnectionStep([] { core::required(g_frmResult, kSource).Unload(); });
    g_frmFind.reset();
    g_frmResult.reset();
    g_objApplication.reset();
    writeLog(3, QStringLiteral("Connect.AddinInstance_OnDisconnection OUT"));
}

void Connect::disconnectionStep(const std::function<void()>& step)
{
    try {
        step();
    } catch (...) {
        // One failed step never keeps the others from running.
        writeLog(0, QStringLiteral("Connect.AddinInstance_OnDisconnection ") + core::currentError(kSource).description());
    }
}
