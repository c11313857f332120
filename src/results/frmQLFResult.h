#pragma once

#include "platform/forms/FlexGrid.h"
#include "platform/forms/Form.h"
#include "platform/word/Forward.h"
#include "src/results/clsQLFHitList.h"
#include "src/results/clsQLFHitStory.h"

#include <QMenu>
#include <QPointer>
#include <QPushButton>


// The result window: one grid row per hit of the last search, the searched document, and the
// buttons that step through the hits. Its close box hides it; the rows stay until the next
// search clears them.
class frmQLFResult : public forms::Form, public clsQLFHitList {
    Q_OBJECT
public:
    // Row numbers are 16-bit: the list holds at most this many hits.
    static constexpr int kMaxHits = 32767;
    // How many characters of its paragraph a listing shows on each side of a hit.
    static constexpr int kContextChars = 20;

    frmQLFResult();

    // A hit row's tool tip: where the hit is, and the hit in its paragraph.
    QString rowToolTip(int row) const;
    // The rows from Row to RowSel under the listing's header, as tab-separated lines; empty when
    // no hit row is current.
    QString selectedRowsText() const;
    // Puts selectedRowsText on the clipboard (Ctrl+C, 結果をコピー).
    void copyResults();
    // Asks for a file and its encoding and saves every row there as CSV (結果を保存...).
    void saveResults();
    // Writes every row as CSV to path: UTF-8 with a byte order mark, or code page 932, whose
    // missing characters are named to the user, who chooses between "?" in their place and no
    // file. A failure to write is told to the user. Whether the file was written.
    bool saveResultsTo(const QString& path, bool cp932);
    // The grid's context menu; it pops up on a right click or the menu key.
    QMenu* mnuResult() const { return m_mnuResult; }

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
    // A context menu request on the grid pops its menu up.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void cmdNext_Click();
    void cmdPrevious_Click();
    void moveToRow(int row, int topRow);
    void grdResult_DblClick();
    // Enter on a row jumps as a double-click does.
    void grdResult_KeyPress(int keyAscii);
    // Rebuilds the hit of a row, shows its story in the document's window and selects it.
    void jumpToResult(int16_t row);

    // The listing's cells of a hit row: the grid's columns up to colTypeCode, then the location
    // and the context read from the document now.
    QStringList listingRow(int row) const;
    static QStringList listingHeaderRow();
    // Pops the context menu up at a point on the screen.
    void popUpMenu(const QPoint& globalPos);

    void setCaptions();
    void setGridHeader();
    void setColumnWidth();

    word::DocumentPtr m_objDocument;
    clsQLFHitStory m_hitStory; // the story of the last hit appended
    QPointer<forms::FlexGrid> m_grdResult;
    QPointer<QPushButton> m_cmdPrevious;
    QPointer<QPushButton> m_cmdNext;
    QPointer<QMenu> m_mnuResult;
    QAction* m_actCopy = nullptr;
    QAction* m_actSave = nullptr;
};
