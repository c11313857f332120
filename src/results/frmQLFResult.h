#pragma once

#include "platform/forms/FlexGrid.h"
#include "platform/forms/Form.h"
#include "platform/word/Forward.h"
#include "src/results/clsQLFHitList.h"
#include "src/results/clsQLFHitStory.h"

#include <QPointer>
#include <QPushButton>


// The result window: one grid row per hit of the last search, the searched document, and the
// buttons that step through the hits. Its close box hides it; the rows stay until the next
// search clears them.
class frmQLFResult : public forms::Form, public clsQLFHitList {
    Q_OBJECT
public:
    // The columns of a hit row. The grid's model is the one list of hits navigation reads
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
    // Row numbers are 16-bit: the list holds at most this many hits.
    static constexpr int kMaxHits = 32767;

    frmQLFResult();

    // The header text of a column.
    static const QString& header(Column col);

    // Removes every hit row; the header stays.
    void clear() override;
    word::DocumentPtr Document() const { return m_objDocument; }
    void setDocument(word::DocumentPtr objDoc) override { m_objDocument = std::move(objDoc); }
    // Adds a row for the hit objRange covers, reading the range without moving it. Raises 6 when
    // the list is full; any Word error passes through, the row possibly part-filled.
    void appendResult(const word::Range& objRange, int chainIndex) override;
    // The list holds kMaxHits rows: a further append raises 6.
    bool isFull() const { return m_grdResult->Rows() > kMaxHits; }

    forms::FlexGrid* grdResult() const { return m_grdResult; }
    QPushButton* cmdPrevious() const { return m_cmdPrevious; }
    QPushButton* cmdNext() const { return m_cmdNext; }

protected:
    void createControls() override;
    void Form_Load() override;
    void Form_Resize() override;
    void Form_QueryUnload(int& cancel, int unloadMode) override;
    // Esc closes the window as its close box does.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void cmdNext_Click();
    void cmdPrevious_Click();
    void moveToRow(int row, int topRow);
    void grdResult_DblClick();
    // Enter on a row jumps as a double-click does.
    void grdResult_KeyPress(int keyAscii);
    // Rebuilds the hit of a row, shows its story in the document's window and selects it.
    void jumpToResult(int16_t row);

    void setCaptions();
    void setGridHeader();
    void setColumnWidth();

    word::DocumentPtr m_objDocument;
    clsQLFHitStory m_hitStory; // the story of the last hit appended
    QPointer<forms::FlexGrid> m_grdResult;
    QPointer<QPushButton> m_cmdPrevious;
    QPointer<QPushButton> m_cmdNext;
};
