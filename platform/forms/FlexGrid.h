#pragma once

#include "platform/forms/GridModel.h"

#include <QTableView>

#include <functional>
#include <optional>

namespace forms {

// The MSFlexGrid operations the add-in uses, over a QTableView of a GridModel. Row 0 is the
// fixed row (the horizontal header) and column 0 the fixed column (the vertical header), so
// both stay in place while the cells scroll. Selection is by whole rows; the user may resize
// columns (the fixed one by dragging its right edge) and rows. Tab leaves the grid for the next
// control. A cell or header too narrow for its text shows the whole text as its tool tip.
// Widths are in twips; a width of 0 hides the column.
class FlexGrid : public QTableView {
    Q_OBJECT
public:
    explicit FlexGrid(QWidget* parent = nullptr);

    GridModel& gridModel() { return m_model; }
    const GridModel& gridModel() const { return m_model; }

    int Rows() const { return m_model.Rows(); }
    // Down to the fixed row alone (a cleared grid), the grid scrolls back to its first cell.
    void setRows(int rows);
    int Cols() const { return m_model.Cols(); }
    void setCols(int cols);
    const QString& TextMatrix(int row, int col) const { return m_model.TextMatrix(row, col); }
    void setTextMatrix(int row, int col, QString text) { m_model.setTextMatrix(row, col, std::move(text)); }
    void setTextMatrixNumber(int row, int col, int32_t number) { m_model.setTextMatrixNumber(row, col, number); }

    // The current cell. Row 0 means no hit row is current (the fixed row); setting row 0 clears
    // the current cell. Throw 30009 / 30010 outside the grid.
    int Row() const;
    void setRow(int row);
    int Col() const { return m_col; }
    void setCol(int col);
    // The end of the selection that starts at the current cell.
    int RowSel() const;
    void setRowSel(int row);
    int ColSel() const { return m_colSel; }
    void setColSel(int col);
    // The first non-fixed row shown at the top.
    int TopRow() const;
    void setTopRow(int row);

    // Column width in twips; 0 hides the column. Throws 30010 outside the grid.
    int ColWidth(int col) const;
    void setColWidth(int col, int twips);
    int ColAlignment(int col) const { return m_model.ColAlignment(col); }
    void setColAlignment(int col, int alignment) { m_model.setColAlignment(col, alignment); }

    // A tip for a whole row (from 1), shown over any of its cells: after the cell's text when the
    // cell cuts that text. No tip function, or an empty tip, leaves only the cut text's tip.
    void setRowToolTip(std::function<QString(int row)> tip) { m_rowToolTip = std::move(tip); }

signals:
    // A double-click on a cell or on the fixed column; the clicked row is already current.
    void DblClick();
    // A key that types a character, with its character code (13 for Enter).
    void KeyPress(int keyAscii);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void checkRow(int row) const;
    void checkCol(int col) const;
    // Moves the view's current cell to (Row, Col) and selects rows Row to RowSel.
    void showCurrent(int row);
    void fitRowHeight();
    void setFixedColumnWidth(int pixels);
    // Drags the fixed column's right edge; true when the event was part of such a drag.
    bool resizeFixedColumn(QEvent* event);

    GridModel m_model;
    std::function<QString(int)> m_rowToolTip;
    QWidget* m_corner = nullptr;
    bool m_movingCurrent = false;
    std::optional<int> m_fixedDragGrab;   // during a drag of the fixed column's edge: pointer x - width
    int m_col = GridModel::kFixedCols;
    int m_colSel = GridModel::kFixedCols;
    int m_rowSel = 0;
};

} // namespace forms
