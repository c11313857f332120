#include "src/search/clsQLFFind.h"

#include "platform/core/Error.h"
#include "platform/forms/Form.h"
#include "platform/word/Application.h"
#include "src/addin/mdlQLFGlobal.h"
#include "src/results/frmQLFResult.h"
#include "src/search/clsQLFFindCondition.h"
#include "src/search/mdlQLFSearch.h"

namespace {
bool g_blnSearching = false;
}

clsQLFFind::clsQLFFind() = default;
clsQLFFind::~clsQLFFind() = default;

bool clsQLFFind::isRunning()
{
    return g_blnSearching;
}

void clsQLFFind::find(const clsQLFFindCondition& objCondition)
{
    // A second start from inside this search's message processing would refill the same list.
    if (g_blnSearching)
        return;
    g_blnSearching = true;
    m_blnCancel = false;
    try {
        openProgress();
        mdlQLFGlobal::g_objApplication->setScreenUpdating(false);
        frmQLFResult& objList = core::required(mdlQLFGlobal::g_frmResult, QStringLiteral("clsQLFFind"));
        mdlQLFSearch::searchDocument(objCondition, objList, [this] {
            if (m_blnCancel)
                return false;
            forms::DoEvents();
            return true;
        });
    } catch (...) {
        endSearch();
        throw;
    }
    endSearch();
}

void clsQLFFind::openProgress()
{
    m_objProgress = std::make_unique<frmCOMProgress>();
    m_objProgress->Load();
    QObject::connect(m_objProgress.get(), &frmCOMProgress::RequestedCancel, m_objProgress.get(),
                     [this] { m_objProgress_RequestedCancel(); });
    m_objProgress->setTitle(QStringLiteral("検索中..."));
    m_objProgress->setText(QStringLiteral("検索しています。"));
    m_objProgress->setProgressText(QStringLiteral("検索しています。"));
    m_objProgress->setProgressRate(0);
    m_objProgress->Show(forms::vbModeless);
}

// The one way out of a search, normal or not: the screen back on and no progress window left.
void clsQLFFind::endSearch()
{
    mdlQLFGlobal::g_objApplication->setScreenUpdating(true);
    if (m_objProgress)
        m_objProgress->Unload();
    m_objProgress.reset();
    g_blnSearching = false;
}

void clsQLFFind::m_objProgress_RequestedCancel()
{
    m_blnCancel = true;
}
