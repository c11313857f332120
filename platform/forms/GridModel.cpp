#include "platform/forms/GridModel.h"

#include "platform/forms/FormsError.h"

#include <algorithm>

namespace forms {

namespace {

const QString kSource = QStringLiteral("MSFlexGrid");

Qt::Alignment alignmentOf(int flex, const QString& text)
{
    switch (flex) {
    case flexAlignCenterCenter: return Qt::AlignCenter;
    case flexAlignRightCenter: return Qt::AlignRight | Qt::AlignVCenter;
    case flexAlignGeneral: {
        bool number = false;
        text.toDouble(&number);
        return (number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
    }
    default: return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

} // namespace

GridModel::GridModel(int rows, int cols, QObject* parent)
    : QAbstractTableModel(parent), m_cells(static_cast<size_t>(rows) * cols), m_alignments(cols, flexAlignGeneral),
      m_rows(rows), m_cols(cols), m_announcedRows(rows)
{
    m_announceTimer.setSingleShot(true);
    m_announceTimer.setInterval(kAnnounceMs);
    connect(&m_announceTimer, &QTimer::timeout, this, &GridModel::announceRows);
}

void GridModel::setRows(int rows)
{
    if (rows < kFixedRows)
        throw formsError(InvalidRowValue, kSource);
    const auto resize = [&] {
        m_cells.resize(static_cast<size_t>(rows) * m_cols);
        m_rows = rows;
    };
    if (rows > m_rows) {
        resize();
        if (!m_announceTimer.isActive())
            m_announceTimer.start();
        return;
    }
    if (rows >= m_announcedRows) {
        resize();
        return;
    }
    beginRemoveRows({}, rows - kFixedRows, m_announcedRows - 1 - kFixedRows);
    resize();
    m_announcedRows = rows;
    endRemoveRows();
}

void GridModel::announceRows()
{
    m_announceTimer.stop();
    if (Rows() <= m_announcedRows)
        return;
    beginInsertRows({}, m_announcedRows - kFixedRows, Rows() - 1 - kFixedRows);
    m_announcedRows = Rows();
    endInsertRows();
}

void GridModel::setCols(int cols)
{
    if (cols < kFixedCols)
        throw formsError(InvalidColValue, kSource);
    const auto resize = [&] {
        std::vector<Cell> cells(static_cast<size_t>(m_rows) * cols);
        for (int row = 0; row < m_rows; ++row)
            for (int col = 0; col < std::min(cols, m_cols); ++col)
                cells[static_cast<size_t>(row) * cols + col] = std::move(cell(row, col));
        m_cells = std::move(cells);
        m_alignments.resize(cols, flexAlignGeneral);
        m_cols = cols;
    };
    if (cols > m_cols) {
        beginInsertColumns({}, m_cols - kFixedCols, cols - 1 - kFixedCols);
        resize();
        endInsertColumns();
    } else if (cols < m_cols) {
        beginRemoveColumns({}, cols - kFixedCols, m_cols - 1 - kFixedCols);
        resize();
        endRemoveColumns();
    }
}

const QString& GridModel::TextMatrix(int row, int col) const
{
    checkCell(row, col);
    return cellText(row, col);
}

void GridModel::setTextMatrix(int row, int col, QString text)
{
    checkCell(row, col);
    Cell& c = cell(row, col);
    c.text = std::move(text);
    c.numberPending = false;
    cellChanged(row, col);
}

void GridModel::setTextMatrixNumber(int row, int col, int32_t number)
{
    checkCell(row, col);
    Cell& c = cell(row, col);
    c.text.clear();
    c.number = number;
    c.numberPending = true;
    cellChanged(row, col);
}

const QString& GridModel::cellText(int row, int col) const
{
    Cell& c = cell(row, col);
    if (c.numberPending) {
        c.text = QString::number(c.number);
        c.numberPending = false;
    }
    return c.text;
}

void GridModel::cellChanged(int row, int col)
{
    if (row >= m_announcedRows)
        return;
    if (row < kFixedRows && col < kFixedCols)
        emit cornerTextChanged();
    else if (row < kFixedRows)
        emit headerDataChanged(Qt::Horizontal, col - kFixedCols, col - kFixedCols);
    else if (col < kFixedCols)
        emit headerDataChanged(Qt::Vertical, row - kFixedRows, row - kFixedRows);
    else
        emit dataChanged(index(row - kFixedRows, col - kFixedCols), index(row - kFixedRows, col - kFixedCols),
                         {Qt::DisplayRole});
}

int GridModel::ColAlignment(int col) const
{
    checkCell(0, col);
    return m_alignments[col];
}

void GridModel::setColAlignment(int col, int alignment)
{
    checkCell(0, col);
    m_alignments[col] = alignment;
    if (m_announcedRows <= kFixedRows)
        return;
    if (col < kFixedCols)
        emit headerDataChanged(Qt::Vertical, 0, m_announcedRows - 1 - kFixedRows);
    else
        emit dataChanged(index(0, col - kFixedCols), index(m_announcedRows - 1 - kFixedRows, col - kFixedCols),
                         {Qt::TextAlignmentRole});
}

int GridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_announcedRows - kFixedRows;
}

int GridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_cols - kFixedCols;
}

QVariant GridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    return cellData(index.row() + kFixedRows, index.column() + kFixedCols, role);
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section < 0)
        return {};
    if (orientation == Qt::Horizontal)
        return section < m_cols - kFixedCols ? cellData(0, section + kFixedCols, role) : QVariant();
    return section < m_announcedRows - kFixedRows ? cellData(section + kFixedRows, 0, role) : QVariant();
}

QVariant GridModel::cellData(int row, int col, int role) const
{
    const QString& text = cellText(row, col);
    switch (role) {
    case Qt::DisplayRole: return text;
    case Qt::TextAlignmentRole: return int(alignmentOf(m_alignments[col], text));
    default: return {};
    }
}

void GridModel::checkCell(int row, int col) const
{
    if (row < 0 || row >= Rows() || col < 0 || col >= m_cols)
        throw formsError(InvalidPropertyArrayIndex, kSource);
}

} // namespace forms
