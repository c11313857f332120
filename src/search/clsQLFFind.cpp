#include "src/search/clsQLFFind.h"

#include "platform/core/Error.h"
#include "platform/forms/Form.h"
#include "platform/word/Application.h"
#include "platform/word/Document.h"
#include "platform/word/Find.h"
#include "platform/word/Range.h"
#include "src/addin/mdlQLFGlobal.h"
#include "src/results/frmQLFResult.h"
#include "src/search/clsQLFFindCondition.h"

namespace {
bool g_blnSearching = false;
}

clsQLFFind::clsQLFFind(clsQLFHitList* objList) : m_objList(objList) {}
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
        clsQLFHitList& objList =
            m_objList ? *m_objList : core::required(mdlQLFGlobal::g_frmResult, QStringLiteral("clsQLFFind"));
        objList.clear();
        objList.setDocument(objCondition.objDoc());
        bool cancelled = false;
        for (word::RangePtr objRange : objCondition.objDoc()->StoryRanges()->items()) {
            // Each hit carries which story of the chain it lies in, so its row can find it again.
            for (int chainIndex = 0; objRange && !cancelled; objRange = objRange->NextStoryRange(), ++chainIndex)
                cancelled = !findInRange(objRange, chainIndex, objCondition, objList);
            if (cancelled)
                break;
        }
    } catch (...) {
        endSearch();
        throw;
    }
    endSearch();
}

bool clsQLFFind::findInRange(const word::RangePtr& objRange, int chainIndex, const clsQLFFindCondition& objCondition,
                             clsQLFHitList& objList)
{
    int32_t lastStart = -1;
    objCondition.setFindObject(objRange->Find());
    objRange->Find()->Execute();
    while (objRange->Find()->Found()) {
        if (m_blnCancel)
            return false;
        forms::DoEvents();
        // Wrap "continue" comes back to the story's first hit after its last one.
        if (lastStart >= objRange->Start())
            break;
        lastStart = objRange->Start();
        objList.appendResult(*objRange, chainIndex);
        objRange->Find()->Execute();
    }
    return true;
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
