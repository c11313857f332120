#pragma once

#include "platform/word/Forward.h"

#include <QString>

// Where a search puts its hits, in the order the search engine calls these: clear, the searched
// document, then one appendResult per hit. The result window is one; a listing that prints each
// row as it comes is another.
class clsQLFHitList {
public:
    // The columns of a hit row. The result window's grid is the one list of hits navigation reads
    // through these columns; the headless listing prints the same columns.
    enum Column {
        colNumber = 0,     // running number, the row index
        colText = 1,       // the hit's text
        colType = 2,       // story-type name
        colStart = 3,      // start position in its story
        colEnd = 4,        // end position in its story
        colTypeCode = 5,   // Word story type number (hidden)
        colChainIndex = 6, // which story of that type's chain, 0 for the first (hidden)
        colCount = 7,
    };
    // The header text of a column.
    static const QString& header(Column col);
    // The columns a listing of the hits has after the grid's own (up to colTypeCode): where the
    // hit is, and its paragraph before and after it.
    enum ListingColumn { lstLocation, lstBefore, lstAfter };
    static const QString& listingHeader(ListingColumn col);

    virtual ~clsQLFHitList() = default;

    // Forgets the hits of the previous search.
    virtual void clear() = 0;
    virtual void setDocument(word::DocumentPtr objDoc) = 0;
    // Takes the hit objRange covers, in the chainIndex-th story of its type's chain (0 for the
    // first), reading the range without moving it. Word errors pass through.
    virtual void appendResult(const word::Range& objRange, int chainIndex) = 0;
};
