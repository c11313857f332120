#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <vector>

namespace forms {

// MSFlexGrid column alignments (ColAlignment).
enum FlexAlignment {
    flexAlignLeftCenter = 1,
    flexAlignCenterCenter = 4,
    flexAlignRightCenter = 7,
    flexAlignGeneral = 9,   // text to the left, numbers to the right
};

// The cells of a grid with one fixed row and one fixed column, as plain rows of text, in the
// grid's own coordinates (row 0 is the fixed row, column 0 the fixed column). Views and other
// readers (navigation, a headless listing) read the same rows. As a Qt model, the fixed row is
// the horizontal header, the fixed column the vertical header, and model cell (r, c) is grid
// cell (r + 1, c + 1); grid cell (0, 0) is the corner.
// Appended rows are stored at once but announced to views in batches (a view relayouts all
// rows on every announcement, which made row-by-row filling quadratic): at most every
// kAnnounceMs, or at once through announceRows().
class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kFixedRows = 1;
    static constexpr int kFixedCols = 1;
    static constexpr int kAnnounceMs = 50;

    explicit GridModel(int rows = 2, int cols = 2, QObject* parent = nullptr);

    int Rows() const { return m_rows; }
    // Adds empty rows at the end or removes rows from the end; throws 30009 below one row.
    void setRows(int rows);
    int Cols() const { return m_cols; }
    // Throws 30010 below one column.
    void setCols(int cols);

    // Throws 381 outside the grid.
    const QString& TextMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, QString text);
    // Sets the cell's text to the number in plain decimal. The text is written when the cell
    // is first read, so filling many rows allocates nothing for their numbers.
    void setTextMatrixNumber(int row, int col, int32_t number);

    int ColAlignment(int col) const;
    void setColAlignment(int col, int alignment);

    // Tells views about every row appended since the last announcement.
    void announceRows();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    void cornerTextChanged();

private:
    // A cell's text, or a number whose text is still to be written.
    struct Cell {
        QString text;
        int32_t number = 0;
        bool numberPending = false;
    };

    void checkCell(int row, int col) const;
    Cell& cell(int row, int col) const { return m_cells[static_cast<size_t>(row) * m_cols + col]; }
    const QString& cellText(int row, int col) const;
    // Tells views and the corner that a cell's text changed.
    void cellChanged(int row, int col);
    QVariant cellData(int row, int col, int role) const;

    // Row after row in one block: appending a row allocates nothing once the block has grown.
    // Mutable: reading a number cell writes its text.
    mutable std::vector<Cell> m_cells;
    std::vector<int> m_alignments;
    int m_rows;
    int m_cols;
    int m_announcedRows;   // rows views know of, the fixed row included
    QTimer m_announceTimer;
};

} // namespace forms
