#include "src/search/mdlQLFSearch.h"

#include "platform/word/Document.h"
#include "platform/word/Find.h"
#include "platform/word/Range.h"
#include "src/results/clsQLFHitList.h"
#include "src/search/clsQLFFindCondition.h"

namespace mdlQLFSearch {

namespace {

// One story, the chainIndex-th of its type's chain; false when keepGoing stopped it.
bool searchStory(const word::RangePtr& objRange, int chainIndex, const clsQLFFindCondition& objCondition,
                 clsQLFHitList& objList, const std::function<bool()>& keepGoing)
{
    int32_t lastStart = -1;
    objCondition.setFindObject(objRange->Find());
    objRange->Find()->Execute();
    while (objRange->Find()->Found()) {
        if (!keepGoing())
            return false;
        // Wrap "continue" comes back to the story's first hit after its last one.
        if (lastStart >= objRange->Start())
            break;
        lastStart = objRange->Start();
        objList.appendResult(*objRange, chainIndex);
        objRange->Find()->Execute();
    }
    return true;
}

} // namespace

bool searchDocument(const clsQLFFindCondition& objCondition, clsQLFHitList& objList,
                    const std::function<bool()>& keepGoing)
{
    objList.clear();
    objList.setDocument(objCondition.objDoc());
    for (word::RangePtr objRange : objCondition.objDoc()->StoryRanges()->items()) {
        // Each hit carries which story of the chain it lies in, so its row can find it again.
        for (int chainIndex = 0; objRange; objRange = objRange->NextStoryRange(), ++chainIndex)
            if (!searchStory(objRange, chainIndex, objCondition, objList, keepGoing))
                return false;
    }
    return true;
}

} // namespace mdlQLFSearch
