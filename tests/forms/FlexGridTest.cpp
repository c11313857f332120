#include "platform/forms/FlexGrid.h"
#include "platform/forms/FormsError.h"
#include "platform/forms/Twips.h"
#include "tests/support/MouseSteps.h"

#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

using namespace forms;

namespace {

int errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const core::Error& e) {
        return e.number();
    }
    return 0;
}

// The result window's grid: six columns, a header row, the type code column hidden.
class ResultGrid : public ::testing::Test {
protected:
    void SetUp() override
    {
        grid.setCols(6);
        grid.setRows(1);
        const QStringList headers{"項番", "テキスト", "タイプ", "開始位置", "終了位置", "タイプコード"};
        const int widths[] = {600, 4000, 800, 1000, 1000, 0};
        for (int c = 0; c < 6; ++c) {
            grid.setTextMatrix(0, c, headers[c]);
            grid.setColWidth(c, widths[c]);
        }
        grid.setColAlignment(1, flexAlignLeftCenter);
        grid.resize(600, 300);
    }

    void fill(int hits)
    {
        for (int r = 1; r <= hits; ++r) {
            grid.setRows(grid.Rows() + 1);
            grid.setTextMatrix(r, 0, QString::number(r));
            grid.setTextMatrix(r, 1, QStringLiteral("hit %1").arg(r));
            grid.setTextMatrix(r, 3, QString::number(r * 10));
            grid.setTextMatrix(r, 5, QStringLiteral("1"));
        }
        grid.gridModel().announceRows();
    }

    FlexGrid grid;
};

} // namespace

TEST_F(ResultGrid, FixedRowAndColumnAreTheHeaders)
{
    fill(3);
    EXPECT_EQ(grid.Rows(), 4);
    EXPECT_EQ(grid.Cols(), 6);
    const GridModel& m = grid.gridModel();
    EXPECT_EQ(m.rowCount(), 3);
    EXPECT_EQ(m.columnCount(), 5);
    EXPECT_EQ(m.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("テキスト"));
    EXPECT_EQ(m.headerData(2, Qt::Vertical, Qt::DisplayRole).toString(), QStringLiteral("3"));
    EXPECT_EQ(m.data(m.index(1, 0), Qt::DisplayRole).toString(), QStringLiteral("hit 2"));
    EXPECT_EQ(grid.TextMatrix(0, 0), QStringLiteral("項番"));
    EXPECT_EQ(grid.TextMatrix(2, 3), QStringLiteral("20"));
}

TEST_F(ResultGrid, WidthsInTwipsAndTheHiddenColumn)
{
    EXPECT_EQ(grid.ColWidth(0), 600);
    EXPECT_EQ(grid.ColWidth(2), 795);     // 800 twips is 53.3 pixels
    EXPECT_EQ(grid.ColWidth(5), 0);
    EXPECT_TRUE(grid.isColumnHidden(4));
    EXPECT_EQ(grid.verticalHeader()->width(), 40);

    // The cursor skips the hidden column.
    fill(2);
    grid.show();
    grid.setRow(1);
    grid.setCol(4);
    grid.setFocus();
    QTest::keyClick(&grid, Qt::Key_Right);
    EXPECT_EQ(grid.Col(), 4);

    grid.setColWidth(5, 1500);
    EXPECT_FALSE(grid.isColumnHidden(4));
    EXPECT_EQ(grid.ColWidth(5), 1500);
    grid.setColWidth(0, 0);
    EXPECT_TRUE(grid.verticalHeader()->isHidden());
    EXPECT_EQ(grid.ColWidth(0), 0);
}

TEST_F(ResultGrid, AlignmentColumnOneLeftNumbersRight)
{
    fill(1);
    const GridModel& m = grid.gridModel();
    const auto align = [&](int row, int col) {
        return Qt::Alignment(m.data(m.index(row - 1, col - 1), Qt::TextAlignmentRole).toInt()) & Qt::AlignHorizontal_Mask;
    };
    grid.setTextMatrix(1, 1, QStringLiteral("12345"));
    grid.setTextMatrix(1, 2, QStringLiteral("メイン文書"));
    EXPECT_EQ(align(1, 1), Qt::AlignLeft);
    EXPECT_EQ(align(1, 2), Qt::AlignLeft);
    EXPECT_EQ(align(1, 3), Qt::AlignRight);
}

TEST_F(ResultGrid, CurrentRowSelectionAndTopRow)
{
    fill(50);
    grid.show();
    EXPECT_EQ(grid.Row(), 0);             // nothing picked yet

    grid.setRow(4);
    grid.setCol(0);
    grid.setColSel(grid.Cols() - 1);
    grid.setTopRow(3);
    EXPECT_EQ(grid.Row(), 4);
    EXPECT_EQ(grid.Col(), 0);
    EXPECT_EQ(grid.ColSel(), 5);
    EXPECT_EQ(grid.RowSel(), 4);
    EXPECT_EQ(grid.TopRow(), 3);
    EXPECT_EQ(grid.rowAt(0), 2);          // model row 2 is grid row 3
    const QModelIndexList selected = grid.selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected.first().row(), 3);

    // A click makes the clicked row current; a double-click raises DblClick.
    QSignalSpy dbl(&grid, &FlexGrid::DblClick);
    const QRect cell = grid.visualRect(grid.gridModel().index(4, 1));
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(grid.Row(), 5);
    EXPECT_EQ(grid.Col(), 2);
    EXPECT_EQ(dbl.count(), 1);

    grid.setRow(0);
    EXPECT_EQ(grid.Row(), 0);
    EXPECT_TRUE(grid.selectionModel()->selectedRows().isEmpty());
}

TEST_F(ResultGrid, ShrinkingToTheHeaderRowKeepsHeadersAndWidths)
{
    fill(5);
    grid.setRow(3);
    grid.setRows(1);
    EXPECT_EQ(grid.Rows(), 1);
    EXPECT_EQ(grid.Row(), 0);
    EXPECT_EQ(grid.TextMatrix(0, 5), QStringLiteral("タイプコード"));
    EXPECT_EQ(grid.ColWidth(5), 0);
    EXPECT_EQ(grid.ColWidth(1), 4005);
    fill(1);
    EXPECT_EQ(grid.TextMatrix(1, 1), QStringLiteral("hit 1"));
    EXPECT_EQ(grid.TextMatrix(1, 2), QString());
}

TEST_F(ResultGrid, ChangingColsKeepsTheOtherColumns)
{
    fill(2);
    grid.setCols(7);
    EXPECT_EQ(grid.ColWidth(1), 4005);
    EXPECT_EQ(grid.ColWidth(5), 0);
    EXPECT_EQ(grid.TextMatrix(0, 5), QStringLiteral("タイプコード"));
    EXPECT_EQ(grid.TextMatrix(2, 6), QString());
    grid.setCols(3);
    EXPECT_EQ(grid.gridModel().columnCount(), 2);
    EXPECT_EQ(grid.ColWidth(1), 4005);
    EXPECT_EQ(grid.TextMatrix(2, 1), QStringLiteral("hit 2"));
}

TEST_F(ResultGrid, OutOfRangeErrors)
{
    fill(2);
    const struct {
        std::function<void()> call;
        int number;
    } cases[] = {
        {[&] { grid.TextMatrix(3, 0); }, InvalidPropertyArrayIndex},
        {[&] { grid.setTextMatrix(0, 6, {}); }, InvalidPropertyArrayIndex},
        {[&] { grid.TextMatrix(-1, 0); }, InvalidPropertyArrayIndex},
        {[&] { grid.setRow(3); }, InvalidRowValue},
        {[&] { grid.setTopRow(0); }, InvalidRowValue},
        {[&] { grid.setCol(6); }, InvalidColValue},
        {[&] { grid.setColSel(-1); }, InvalidColValue},
        {[&] { grid.ColWidth(6); }, InvalidColValue},
        {[&] { grid.setRows(0); }, InvalidRowValue},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(errorOf(cases[i].call), cases[i].number) << "case " << i;
}

TEST(GridModel, AppendedRowsAreReadableAtOnceAndAnnouncedInOneBatch)
{
    GridModel model(1, 6);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    for (int r = 1; r <= 32767; ++r) {
        model.setRows(r + 1);
        model.setTextMatrix(r, 1, QString::number(r));
    }
    EXPECT_EQ(model.Rows(), 32768);
    EXPECT_EQ(model.TextMatrix(32767, 1), QStringLiteral("32767"));
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(changed.count(), 0);

    // The views hear of all of them together once the event loop runs.
    EXPECT_TRUE(QTest::qWaitFor([&] { return model.rowCount() == 32767; }, 1000));
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted.first().at(1).toInt(), 0);
    EXPECT_EQ(inserted.first().at(2).toInt(), 32766);
    EXPECT_EQ(model.data(model.index(32766, 0), Qt::DisplayRole).toString(), QStringLiteral("32767"));

    model.setTextMatrix(5, 1, QStringLiteral("x"));
    EXPECT_EQ(changed.count(), 1);
}

TEST(GridModel, ShrinkingRemovesAnnouncedAndPendingRows)
{
    GridModel model(1, 3);
    model.setRows(4);
    model.announceRows();
    model.setRows(10);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    model.setRows(2);
    EXPECT_EQ(model.Rows(), 2);
    EXPECT_EQ(model.rowCount(), 1);
    ASSERT_EQ(removed.count(), 1);
    EXPECT_EQ(removed.first().at(1).toInt(), 1);
    EXPECT_EQ(removed.first().at(2).toInt(), 2);
    model.announceRows();
    EXPECT_EQ(model.rowCount(), 1);
}

TEST_F(ResultGrid, RowsAppendedJustNowCanBeMadeCurrentAndScrolledTo)
{
    grid.show();
    for (int r = 1; r <= 40; ++r)
        grid.setRows(r + 1);
    grid.setRow(40);
    grid.setTopRow(20);
    EXPECT_EQ(grid.Row(), 40);
    EXPECT_EQ(grid.TopRow(), 20);
    // As far as the last page allows: the last row stays at the bottom.
    grid.setTopRow(40);
    EXPECT_LT(grid.TopRow(), 40);
    EXPECT_EQ(grid.rowAt(grid.viewport()->height() - 1), 39);
}

// A new list starts at its first cell, even when it is filled before the view catches up.
TEST_F(ResultGrid, ClearingScrollsBackToTheFirstCell)
{
    grid.resize(200, 150);
    grid.show();
    fill(300);
    grid.setTopRow(250);
    grid.horizontalScrollBar()->setValue(grid.horizontalScrollBar()->maximum());
    grid.setRows(1);
    fill(300);
    EXPECT_EQ(grid.TopRow(), 1);
    EXPECT_EQ(grid.horizontalScrollBar()->value(), 0);
}

TEST_F(ResultGrid, ClippedCellsAndHeadersTipTheirWholeText)
{
    grid.show();
    fill(2);
    grid.setTextMatrix(1, 2, QStringLiteral("メイン文書のテキストボックス"));
    grid.setColWidth(4, 200);   // "終了位置" no longer fits
    QApplication::setEffectEnabled(Qt::UI_FadeTooltip, false);
    const auto tipAt = [](QWidget* over, QPoint at) {
        QToolTip::hideText();
        if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); }))
            return QStringLiteral("(the last tip stays)");
        QHelpEvent help(QEvent::ToolTip, at, over->mapToGlobal(at));
        QApplication::sendEvent(over, &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    const auto cell = [&](int row) { return grid.visualRect(grid.gridModel().index(row - 1, 1)).center(); };
    EXPECT_EQ(tipAt(grid.viewport(), cell(1)), QStringLiteral("メイン文書のテキストボックス"));
    EXPECT_EQ(tipAt(grid.viewport(), cell(2)), QString());   // empty: nothing clipped
    QHeaderView* header = grid.horizontalHeader();
    const QPoint endHeader(header->sectionViewportPosition(3) + 5, header->height() / 2);
    EXPECT_EQ(tipAt(header->viewport(), endHeader), QStringLiteral("終了位置"));
    EXPECT_EQ(tipAt(header->viewport(), QPoint(5, header->height() / 2)), QString());
    // A section cut by the view's right edge is clipped too.
    grid.setColWidth(4, 1000);
    grid.resize(header->sectionViewportPosition(3) + grid.verticalHeader()->width() + 20, grid.height());
    EXPECT_EQ(tipAt(header->viewport(), endHeader), QStringLiteral("終了位置"));
}

TEST_F(ResultGrid, TheFixedColumnDoubleClicksItsRowAndResizesByItsEdge)
{
    grid.show();
    fill(5);
    QHeaderView* fixed = grid.verticalHeader();
    QSignalSpy dbl(&grid, &FlexGrid::DblClick);
    const int rowThree = fixed->sectionViewportPosition(2) + fixed->sectionSize(2) / 2;
    deliveredDoubleClick(fixed->viewport(), QPoint(5, rowThree));
    EXPECT_EQ(dbl.count(), 1);
    EXPECT_EQ(grid.Row(), 3);

    const int before = grid.ColWidth(0);
    const QPoint edge(fixed->width() - 1, rowThree), dragged = edge + QPoint(30, 0);
    QTest::mousePress(fixed->viewport(), Qt::LeftButton, {}, edge);
    QMouseEvent move(QEvent::MouseMove, dragged, fixed->viewport()->mapToGlobal(dragged), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(fixed->viewport(), &move);
    QTest::mouseRelease(fixed->viewport(), Qt::LeftButton, {}, dragged);
    EXPECT_NEAR(grid.ColWidth(0), before + forms::pixelsToTwipsX(30), forms::twipsPerPixelX());
    EXPECT_EQ(grid.viewport()->x(), fixed->width() + grid.frameWidth());   // the cells moved over
    EXPECT_EQ(grid.Row(), 3);   // the drag selects nothing
}

// A number cell reads as its plain decimal text everywhere, and either kind of cell replaces the other.
TEST(GridModel, NumberCellsReadAsDecimalText)
{
    GridModel model(1, 4);
    model.setRows(3);
    model.setTextMatrixNumber(1, 1, 0);
    model.setTextMatrixNumber(1, 2, 2147483647);
    model.setTextMatrixNumber(1, 3, 32767);
    model.setTextMatrixNumber(2, 0, 2);
    model.setTextMatrix(2, 1, QStringLiteral("text"));
    model.setTextMatrixNumber(2, 1, 15);
    model.setTextMatrixNumber(2, 2, 7);
    model.setTextMatrix(2, 2, QStringLiteral("text"));
    model.announceRows();
    const struct { int row, col; const char* text; } cells[] = {
        {1, 1, "0"}, {1, 2, "2147483647"}, {1, 3, "32767"}, {2, 1, "15"}, {2, 2, "text"},
    };
    for (const auto& c : cells) {
        EXPECT_EQ(model.data(model.index(c.row - 1, c.col - 1), Qt::DisplayRole).toString(), c.text);
        EXPECT_EQ(model.TextMatrix(c.row, c.col), c.text);
    }
    EXPECT_EQ(model.headerData(1, Qt::Vertical, Qt::DisplayRole).toString(), QStringLiteral("2"));
    EXPECT_EQ(Qt::Alignment(model.data(model.index(0, 2), Qt::TextAlignmentRole).toInt()) & Qt::AlignHorizontal_Mask,
              Qt::AlignRight);

    // Views hear of a number set on a row they know, and the columns keep their numbers.
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.setTextMatrixNumber(1, 2, 42);
    EXPECT_EQ(changed.count(), 1);
    model.setCols(5);
    EXPECT_EQ(model.TextMatrix(1, 2), QStringLiteral("42"));
    EXPECT_EQ(model.TextMatrix(1, 4), QString());
    EXPECT_THROW(model.setTextMatrixNumber(3, 0, 1), core::Error);
}
