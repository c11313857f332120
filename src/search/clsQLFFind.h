#pragma once

#include "src/search/frmCOMProgress.h"

#include <memory>

class clsQLFFindCondition;
class clsQLFHitList;
namespace word { class Range; }

// Runs one search: every story of the condition's document and every story chained behind it,
// with Word's own Find, each hit appended to the result window (or to the list given), under a
// cancellable progress window with Word's screen updating off.
class clsQLFFind {
public:
    // objList: where the hits go instead of the result window; it must outlive the search.
    explicit clsQLFFind(clsQLFHitList* objList = nullptr);
    ~clsQLFFind();
    clsQLFFind(const clsQLFFind&) = delete;
    clsQLFFind& operator=(const clsQLFFind&) = delete;

    // Returns after a completed or cancelled search, and at once, doing nothing, while another
    // search runs. On a failure restores the screen, closes the progress window and raises the
    // same error again; the hits appended so far stay listed.
    void find(const clsQLFFindCondition& objCondition);

    // True from the start of a search to its end, for callers that must not start another.
    static bool isRunning();

private:
    // Searches one story, the chainIndex-th of its type's chain; false when the user cancelled.
    bool findInRange(const std::shared_ptr<word::Range>& objRange, int chainIndex,
                     const clsQLFFindCondition& objCondition, clsQLFHitList& objList);
    void openProgress();
    void endSearch();
    void m_objProgress_RequestedCancel();

    clsQLFHitList* m_objList;
    std::unique_ptr<frmCOMProgress> m_objProgress;
    bool m_blnCancel = false;
};
