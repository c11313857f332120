#include "platform/forms/FlexGrid.h"

#include "platform/forms/FormsError.h"
#include "platform/forms/Twips.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionHeader>
#include <QToolTip>

namespace forms {

namespace {

const QString kSource = QStringLiteral("MSFlexGrid");
constexpr int kFixedRows = GridModel::kFixedRows;
constexpr int kFixedCols = GridModel::kFixedCols;
// How near the fixed column's right edge (pixels) the pointer grabs it, and its least width.
constexpr int kEdgeGrip = 4;
constexpr int kMinFixedWidth = 2;

// Whether a cell showing the given width cuts the text (margin: the room the cell keeps on each
// side).
bool clipped(const QWidget* over, const QString& text, int width, int margin)
{
    return over->fontMetrics().horizontalAdvance(text) + 2 * margin > width;
}

// Shows text as the tool tip of a cell that cuts it; hides any tip otherwise.
void showTipIfClipped(const QHelpEvent* help, QWidget* over, const QString& text, int width, int margin)
{
    if (clipped(over, text, width, margin))
        QToolTip::showText(help->globalPos(), text, over);
    else
        QToolTip::hideText();
}

} // namespace

FlexGrid::FlexGrid(QWidget* parent) : QTableView(parent)
{
    setModel(&m_model);
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    setEditTriggers(NoEditTriggers);
    setVerticalScrollMode(ScrollPerItem);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setTextElideMode(Qt::ElideNone);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    verticalHeader()->setHighlightSections(false);
    verticalHeader()->setFixedWidth(horizontalHeader()->defaultSectionSize());
    fitRowHeight();
    horizontalHeader()->viewport()->installEventFilter(this);
    verticalHeader()->viewport()->installEventFilter(this);
    verticalHeader()->viewport()->setMouseTracking(true);
    // The fixed column's cells are the vertical header's sections; a press there has made the
    // row current.
    connect(verticalHeader(), &QHeaderView::sectionDoubleClicked, this, &FlexGrid::DblClick);

    // The corner button draws no text of its own; it shows cell (0, 0).
    m_corner = findChild<QAbstractButton*>();
    if (m_corner)
        m_corner->installEventFilter(this);
    connect(&m_model, &GridModel::cornerTextChanged, this, [this] {
        if (m_corner)
            m_corner->update();
    });
}

void FlexGrid::setRows(int rows)
{
    m_model.setRows(rows);
    if (rows == kFixedRows) {
        verticalScrollBar()->setValue(0);
        horizontalScrollBar()->setValue(0);
    }
}

void FlexGrid::setCols(int cols)
{
    m_model.setCols(cols);
    m_col = m_colSel = std::min(m_col, cols - 1);
}

int FlexGrid::Row() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() + kFixedRows : 0;
}

void FlexGrid::setRow(int row)
{
    checkRow(row);
    m_rowSel = row;
    m_colSel = m_col;
    showCurrent(row);
}

void FlexGrid::setCol(int col)
{
    checkCol(col);
    m_col = m_colSel = col;
    m_rowSel = Row();
    showCurrent(m_rowSel);
}

int FlexGrid::RowSel() const
{
    return m_rowSel;
}

void FlexGrid::setRowSel(int row)
{
    checkRow(row);
    m_rowSel = row;
    showCurrent(Row());
}

void FlexGrid::setColSel(int col)
{
    checkCol(col);
    m_colSel = col;
}

int FlexGrid::TopRow() const
{
    return verticalScrollBar()->value() + kFixedRows;
}

void FlexGrid::setTopRow(int row)
{
    if (row < kFixedRows || row >= Rows())
        throw formsError(InvalidRowValue, kSource);
    m_model.announceRows();
    executeDelayedItemsLayout();
    verticalScrollBar()->setValue(row - kFixedRows);
}

int FlexGrid::ColWidth(int col) const
{
    checkCol(col);
    if (col < kFixedCols)
        return verticalHeader()->isHidden() ? 0 : pixelsToTwipsX(verticalHeader()->maximumWidth());
    return isColumnHidden(col - kFixedCols) ? 0 : pixelsToTwipsX(columnWidth(col - kFixedCols));
}

void FlexGrid::setColWidth(int col, int twips)
{
    checkCol(col);
    const int pixels = twipsToPixelsX(std::max(twips, 0));
    if (col < kFixedCols) {
        setFixedColumnWidth(pixels);
        return;
    }
    // A zero width alone leaves the column reachable by the cursor: hide it as well.
    setColumnHidden(col - kFixedCols, pixels == 0);
    if (pixels > 0)
        setColumnWidth(col - kFixedCols, pixels);
}

void FlexGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTableView::mouseDoubleClickEvent(event);
    emit DblClick();
}

void FlexGrid::keyPressEvent(QKeyEvent* event)
{
    if (!event->text().isEmpty())
        emit KeyPress(event->text().at(0).unicode());
    QTableView::keyPressEvent(event);
}

bool FlexGrid::viewportEvent(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QTableView::viewportEvent(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex index = indexAt(help->pos());
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    if (!index.isValid()) {
        QToolTip::hideText();
        return true;
    }
    const QString text = index.data().toString();
    const int width = visualRect(index).intersected(viewport()->rect()).width();
    const QString rowTip = m_rowToolTip ? m_rowToolTip(index.row() + kFixedRows) : QString();
    if (rowTip.isEmpty())
        showTipIfClipped(help, viewport(), text, width, margin);
    else
        QToolTip::showText(help->globalPos(), clipped(viewport(), text, width, margin) ? text + QStringLiteral("\n\n") + rowTip : rowTip,
                           viewport());
    return true;
}

void FlexGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (m_movingCurrent || !current.isValid())
        return;
    m_col = m_colSel = current.column() + kFixedCols;
    m_rowSel = current.row() + kFixedRows;
}

void FlexGrid::changeEvent(QEvent* event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        fitRowHeight();
}

bool FlexGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == verticalHeader()->viewport() && resizeFixedColumn(event))
        return true;
    if (event->type() == QEvent::ToolTip
        && (watched == horizontalHeader()->viewport() || watched == verticalHeader()->viewport())) {
        QHeaderView* header = watched == verticalHeader()->viewport() ? verticalHeader() : horizontalHeader();
        const auto* help = static_cast<QHelpEvent*>(event);
        const int section = header->logicalIndexAt(help->pos());
        // What shows of the section: the view's edge may cut it too.
        const int width = header->orientation() == Qt::Horizontal
                              ? std::min(header->sectionViewportPosition(section) + header->sectionSize(section),
                                         header->viewport()->width())
                                    - std::max(header->sectionViewportPosition(section), 0)
                              : header->width();
        const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
        if (section >= 0)
            showTipIfClipped(help, header->viewport(),
                             m_model.headerData(section, header->orientation(), Qt::DisplayRole).toString(), width, margin);
        else
            QToolTip::hideText();
        return true;
    }
    if (watched != m_corner || event->type() != QEvent::Paint)
        return QTableView::eventFilter(watched, event);
    QStyleOptionHeader option;
    option.initFrom(m_corner);
    option.rect = m_corner->rect();
    option.text = m_model.TextMatrix(0, 0);
    option.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    option.position = QStyleOptionHeader::OnlyOneSection;
    option.state |= QStyle::State_Raised;
    QPainter painter(m_corner);
    m_corner->style()->drawControl(QStyle::CE_Header, &option, &painter, m_corner);
    return true;
}

void FlexGrid::setFixedColumnWidth(int pixels)
{
    verticalHeader()->setFixedWidth(pixels);
    verticalHeader()->setHidden(pixels == 0);
    // The cells move over at once, not at the next layout.
    updateGeometries();
}

bool FlexGrid::resizeFixedColumn(QEvent* event)
{
    const auto type = event->type();
    if (type != QEvent::MouseMove && type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease)
        return false;
    QHeaderView* header = verticalHeader();
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const int x = mouse->position().toPoint().x();
    const bool onEdge = x >= header->width() - kEdgeGrip;
    if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton && onEdge) {
        m_fixedDragGrab = x - header->width();
        return true;
    }
    if (!m_fixedDragGrab) {
        if (type == QEvent::MouseMove)
            header->viewport()->setCursor(onEdge ? Qt::SplitHCursor : Qt::ArrowCursor);
        return false;
    }
    setFixedColumnWidth(std::max(kMinFixedWidth, x - *m_fixedDragGrab));
    if (type == QEvent::MouseButtonRelease)
        m_fixedDragGrab.reset();
    return true;
}

void FlexGrid::checkRow(int row) const
{
    if (row < 0 || row >= Rows())
        throw formsError(InvalidRowValue, kSource);
}

void FlexGrid::checkCol(int col) const
{
    if (col < 0 || col >= Cols())
        throw formsError(InvalidColValue, kSource);
}

void FlexGrid::showCurrent(int row)
{
    m_model.announceRows();
    m_movingCurrent = true;
    if (row < kFixedRows || Cols() <= kFixedCols) {
        setCurrentIndex({});
        clearSelection();
    } else {
        const int col = std::max(m_col, kFixedCols) - kFixedCols;
        selectionModel()->setCurrentIndex(m_model.index(row - kFixedRows, col), QItemSelectionModel::NoUpdate);
        const int last = std::max(row, m_rowSel) - kFixedRows;
        const int first = std::min(row, std::max(m_rowSel, kFixedRows)) - kFixedRows;
        selectionModel()->select(QItemSelection(m_model.index(first, 0), m_model.index(last, Cols() - 1 - kFixedCols)),
                                 QItemSelectionModel::ClearAndSelect);
    }
    m_movingCurrent = false;
}

void FlexGrid::fitRowHeight()
{
    const int height = fontMetrics().height() + 4;
    verticalHeader()->setMinimumSectionSize(std::min(verticalHeader()->minimumSectionSize(), height));
    verticalHeader()->setDefaultSectionSize(height);
}

} // namespace forms
