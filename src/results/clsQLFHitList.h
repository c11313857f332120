#pragma once

#include "platform/word/Forward.h"

// Where a search puts its hits, in the order the search engine calls these: clear, the searched
// document, then one appendResult per hit. The result window is one; a listing that prints each
// row as it comes is another.
class clsQLFHitList {
public:
    virtual ~clsQLFHitList() = default;

    // Forgets the hits of the previous search.
    virtual void clear() = 0;
    virtual void setDocument(word::DocumentPtr objDoc) = 0;
    // Takes the hit objRange covers, in the chainIndex-th story of its type's chain (0 for the
    // first), reading the range without moving it. Word errors pass through.
    virtual void appendResult(const word::Range& objRange, int chainIndex) = 0;
};
