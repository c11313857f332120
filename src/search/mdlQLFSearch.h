#pragma once

#include <functional>

class clsQLFFindCondition;
class clsQLFHitList;

// The search itself, with no window of its own, so that a search without any window (the
// command line's) runs the very same loop as the result window's.
namespace mdlQLFSearch {

// Searches every story of the condition's document and every story chained behind it with Word's
// own Find, story by story in Word's order: clears objList, gives it the document, then appends
// each hit. keepGoing is asked before each hit is taken; once it answers false the search stops.
// Returns false when it was stopped that way. Word errors pass through, the hits so far kept.
bool searchDocument(const clsQLFFindCondition& objCondition, clsQLFHitList& objList,
                    const std::function<bool()>& keepGoing);

} // namespace mdlQLFSearch
