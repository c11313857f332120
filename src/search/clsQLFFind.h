#pragma once

#include "src/search/frmCOMProgress.h"

#include <memory>

class clsQLFFindCondition;

// Runs one search (mdlQLFSearch) with each hit appended to the result window, under a
// cancellable progress window with Word's screen updating off.
class clsQLFFind {
public:
    clsQLFFind();
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
    void openProgress();
    void endSearch();
    void m_objProgress_RequestedCancel();

    std::unique_ptr<frmCOMProgress> m_objProgress;
    bool m_blnCancel = false;
};
