#include "host/PageLayout.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>

#include <algorithm>
#include <limits>
#include <optional>
#include <utility>

namespace host {

namespace {

constexpr double kNoteSeparator = 14;   // pixels above the first note of a page: its rule and a gap

// One paragraph or table of the root frame.
struct Item {
    QTextBlock block;
    QTextFrame* frame = nullptr;
    int start() const { return frame ? frame->firstPosition() : block.position(); }
    int end() const { return frame ? frame->lastPosition() + 1 : block.position() + block.length(); }
};

std::vector<Item> rootItems(QTextDocument* doc)
{
    std::vector<Item> items;
    for (QTextFrame::iterator it = doc->rootFrame()->begin(); !it.atEnd(); ++it)
        items.push_back({it.currentBlock(), it.currentFrame()});
    return items;
}

// Where a paragraph or table starts and ends. A block's bounding rectangle leaves out what a set
// line height adds to its lines: a paragraph ends where the next one starts, less its space after.
QRectF extent(QAbstractTextDocumentLayout* layout, const Item& item, const Item* next)
{
    QRectF rect = item.frame ? layout->frameBoundingRect(item.frame) : layout->blockBoundingRect(item.block);
    if (!item.frame && next) {
        const QRectF after = next->frame ? layout->frameBoundingRect(next->frame) : layout->blockBoundingRect(next->block);
        rect.setBottom(std::max(rect.bottom(), after.top() - item.block.blockFormat().bottomMargin()));
    }
    return rect;
}

void widenMargins(QTextCursor& cursor, const Item& item, double left, double right, double top)
{
    if (item.frame) {
        QTextFrameFormat f = item.frame->frameFormat();
        f.setLeftMargin(f.leftMargin() + left);
        f.setRightMargin(f.rightMargin() + right);
        f.setTopMargin(f.topMargin() + top);
        item.frame->setFrameFormat(f);
        return;
    }
    QTextBlockFormat f = item.block.blockFormat();
    f.setLeftMargin(f.leftMargin() + left);
    f.setRightMargin(f.rightMargin() + right);
    f.setTopMargin(f.topMargin() + top);
    cursor.setPosition(item.block.position());
    cursor.setBlockFormat(f);
}

// Each section's text between its own page's margins, against the root frame's margins and the
// widest page.
void placeSections(QTextDocument* doc, const PageSetup& setup, const std::vector<Item>& items)
{
    if (setup.frames.size() < 2)
        return;
    const int widest = rootFrame(setup).width;
    const QTextFrameFormat root = doc->rootFrame()->frameFormat();
    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    for (const Item& item : items) {
        const PageFrame& f = setup.frames[static_cast<size_t>(sectionOf(setup, item.start()))];
        const double left = f.left - root.leftMargin();
        const double right = widest - f.width + f.right - root.rightMargin();
        if (left != 0 || right != 0)
            widenMargins(cursor, item, left, right, 0);
    }
    cursor.endEditBlock();
}

// A line of a paragraph or a row of a table, as laid out before paging: where it stands and the
// drawn position after its last character.
struct Unit {
    double top = 0, bottom = 0;
    int end = 0;
};

// An item's lines or rows and the rules for breaking a page between them.
struct Pieces {
    std::vector<Unit> units;
    size_t minFirst = 1, minLast = 1;   // units that may stand alone at a page's foot, at a page's top
    bool keepTogether = false;
    bool keepWithNext = false;

    // The first unit to go on to the next page when units [k, fit) fit on this one; k or less
    // when none may stay.
    size_t splitBefore(size_t k, size_t fit, double bodyHeight) const
    {
        const size_t n = units.size();
        if (keepTogether && k == 0 && units.back().bottom - units.front().top <= bodyHeight)
            return 0;
        size_t s = fit;
        if (n - s < minLast)
            s = n > minLast ? n - minLast : 0;
        if (k == 0 && s < minFirst)
            s = 0;
        return s;
    }
    // How many units must stand on the page the item starts on.
    size_t firstPiece() const { return keepTogether ? units.size() : std::min(minFirst, units.size()); }
};

// A cell's padding on one side (QTextFormat::TableCellTopPadding, ...): its own, or its table's.
double cellPadding(const QTextTable* table, const QTextTableCellFormat& cell, QTextFormat::Property side)
{
    return cell.hasProperty(side) ? cell.doubleProperty(side) : table->format().cellPadding();
}

double topPadding(const QTextTable* table, const QTextTableCellFormat& cell)
{
    return cellPadding(table, cell, QTextFormat::TableCellTopPadding);
}

// Where row r's cells start: the top of their text less their padding.
double rowTop(QAbstractTextDocumentLayout* layout, const QTextTable* table, int r)
{
    double top = std::numeric_limits<double>::max();
    for (int c = 0; c < table->columns(); ++c) {
        const QTextTableCell cell = table->cellAt(r, c);
        if (cell.row() != r)
            continue;
        const QRectF text = layout->blockBoundingRect(cell.firstCursorPosition().block());
        top = std::min(top, text.top() - topPadding(table, cell.format().toTableCellFormat()));
    }
    return top;
}

Pieces piecesOf(QAbstractTextDocumentLayout* layout, const Item& item, const Item* next)
{
    Pieces p;
    const QRectF rect = extent(layout, item, next);
    if (const auto* table = qobject_cast<const QTextTable*>(item.frame)) {
        for (int r = 0; r < table->rows(); ++r) {
            int end = 0;
            for (int c = 0; c < table->columns(); ++c)
                end = std::max(end, table->cellAt(r, c).lastPosition() + 1);
            p.units.push_back({r == 0 ? rect.top() : rowTop(layout, table, r), 0, end});
        }
    } else if (const QTextLayout* lines = item.frame ? nullptr : item.block.layout(); lines && lines->lineCount() > 1) {
        const QTextBlockFormat format = item.block.blockFormat();
        p.keepTogether = format.boolProperty(KeepLinesTogether);
        p.minFirst = p.minLast = format.boolProperty(NoWidowControl) ? 1 : 2;
        const double first = lines->lineAt(0).y();
        for (int k = 0; k < lines->lineCount(); ++k) {
            const QTextLine line = lines->lineAt(k);
            p.units.push_back({rect.top() + line.y() - first, 0, item.block.position() + line.textStart() + line.textLength()});
        }
    } else {
        p.units.push_back({rect.top(), 0, 0});
    }
    for (size_t k = 0; k + 1 < p.units.size(); ++k)
        p.units[k].bottom = p.units[k + 1].top;
    p.units.back().bottom = rect.bottom();
    p.units.back().end = item.end();
    p.keepWithNext = !item.frame && item.block.blockFormat().boolProperty(KeepWithNext);
    return p;
}

// The bottom of what must share item i's page (before paging): the items after it kept with
// their next ones, and the first lines or row of the one after those.
template <typename StartsPage>
double keptWithNext(QAbstractTextDocumentLayout* layout, const std::vector<Item>& items, size_t i, const StartsPage& startsPage)
{
    double bottom = extent(layout, items[i], i + 1 < items.size() ? &items[i + 1] : nullptr).bottom();
    for (size_t j = i + 1; j < items.size() && !startsPage(j); ++j) {
        const Pieces p = piecesOf(layout, items[j], j + 1 < items.size() ? &items[j + 1] : nullptr);
        if (!p.keepWithNext)
            return p.units[p.firstPiece() - 1].bottom;
        bottom = p.units.back().bottom;
    }
    return bottom;
}

// Moves an item down by extra pixels. Qt lets a paragraph's space before and the space after the
// paragraph above overlap: the larger of the two is what its wider space before adds to.
void push(QTextCursor& cursor, const Item& item, double extra)
{
    if (item.frame) {
        widenMargins(cursor, item, 0, 0, extra);
        return;
    }
    const QTextBlock before = item.block.previous();
    const QTextDocument* doc = item.block.document();
    double above = 0;
    if (before.isValid() && doc->frameAt(before.position()) == doc->frameAt(item.block.position()))
        above = std::max(0.0, before.blockFormat().bottomMargin() - item.block.blockFormat().topMargin());
    widenMargins(cursor, item, 0, 0, above + extra);
}

// Row r of a table given extra pixels of padding on one side of its cells: above their text moves
// the row and the rows below it down; below it makes the row taller.
void padRow(QTextTable* table, int r, QTextFormat::Property side, double extra)
{
    for (int c = 0; c < table->columns(); ++c) {
        QTextTableCell cell = table->cellAt(r, c);
        if (cell.row() != r || cell.column() != c)
            continue;
        QTextTableCellFormat f = cell.format().toTableCellFormat();
        f.setProperty(side, cellPadding(table, f, side) + extra);
        cell.setFormat(f);
    }
}

// Row r of a table cut at y: its sides are those of its first and last cells' text, with their padding.
RowCut cutRow(QAbstractTextDocumentLayout* layout, const QTextTable* table, int r, double y)
{
    const QTextTableFormat f = table->format();
    const auto padding = [&f](const QTextTableCell& cell, QTextFormat::Property side) {
        const QTextCharFormat c = cell.format();
        return c.hasProperty(side) ? c.doubleProperty(side) : f.cellPadding();
    };
    const QTextTableCell first = table->cellAt(r, 0), last = table->cellAt(r, table->columns() - 1);
    const double left = layout->blockBoundingRect(first.firstCursorPosition().block()).left()
                        - padding(first, QTextFormat::TableCellLeftPadding);
    const double right = layout->blockBoundingRect(last.firstCursorPosition().block()).right()
                         + padding(last, QTextFormat::TableCellRightPadding);
    return {y, left, right, f.border(), f.borderBrush()};
}

// A paragraph's lines from line `from` on moved down by extra pixels, as laid out.
void moveLines(const QTextBlock& block, int from, double extra)
{
    QTextLayout* lines = block.layout();
    for (int k = from; k < lines->lineCount(); ++k) {
        QTextLine line = lines->lineAt(k);
        line.setPosition(line.position() + QPointF(0, extra));
    }
}

// A line of a table cell, as laid out before paging.
struct CellLine {
    QTextBlock block;
    int line = 0;
    double top = 0, bottom = 0;
};
using RowLines = std::vector<std::vector<CellLine>>;   // by cell

// Row r's cells' lines; none when the row is kept whole, or a cell spans rows or holds a table.
RowLines rowLines(QAbstractTextDocumentLayout* layout, const QTextTable* table, int r)
{
    RowLines cells;
    for (int c = 0; c < table->columns(); ++c) {
        const QTextTableCell cell = table->cellAt(r, c);
        if (cell.row() != r || cell.rowSpan() > 1 || cell.format().boolProperty(RowKeptWhole))
            return {};
        if (cell.column() != c)
            continue;
        std::vector<CellLine>& lines = cells.emplace_back();
        for (QTextFrame::iterator it = cell.begin(); !it.atEnd(); ++it) {
            if (it.currentFrame())
                return {};
            const QTextLayout* tl = it.currentBlock().layout();
            const double top = layout->blockBoundingRect(it.currentBlock()).top() - (tl->lineCount() > 0 ? tl->lineAt(0).y() : 0);
            for (int k = 0; k < tl->lineCount(); ++k) {
                const QTextLine line = tl->lineAt(k);
                lines.push_back({it.currentBlock(), k, top + line.y(), top + line.y() + line.height()});
            }
        }
        if (lines.empty())
            return {};
    }
    return cells;
}

// Lines of a block from `line` on moved down by extra pixels once laid out; from line 0, the block.
struct LineMove {
    QTextBlock block;
    int line = 0;
    double extra = 0;
};

// A row's cells' lines spread over pages. Each cell keeps the lines that fit above room() on the
// page and goes on with the rest where turnPage(y) (the page cut below y) says the next page's
// cells start; a page holding nothing of the row yet takes at least a line of each cell. The row
// starts at shift pixels below where it was laid out and ends at rowBottom; the moves of its
// lines are added, and what it grows by returned.
template <typename Room, typename TurnPage>
double spreadRow(const RowLines& cells, double rowBottom, double shift, const Room& room, const TurnPage& turnPage,
                 std::vector<LineMove>& moves)
{
    std::vector<size_t> next(cells.size(), 0);
    std::vector<std::vector<double>> shifts(cells.size());
    std::vector<double> cellShift(cells.size(), shift);
    for (bool pageTop = false;; pageTop = true) {
        const double foot = room();
        double cut = 0;
        bool placed = false;
        for (size_t c = 0; c < cells.size(); ++c)
            for (; next[c] < cells[c].size() && cells[c][next[c]].bottom + cellShift[c] <= foot; ++next[c]) {
                cut = std::max(cut, cells[c][next[c]].bottom + cellShift[c]);
                shifts[c].push_back(cellShift[c]);
                placed = true;
            }
        for (size_t c = 0; c < cells.size() && pageTop && !placed; ++c)
            if (next[c] < cells[c].size()) {   // a line taller than the page runs on over its foot
                cut = std::max(cut, cells[c][next[c]].bottom + cellShift[c]);
                shifts[c].push_back(cellShift[c]);
                ++next[c];
            }
        bool done = true;
        for (size_t c = 0; c < cells.size(); ++c)
            done = done && next[c] == cells[c].size();
        if (done)
            break;
        const double top = turnPage(cut);
        for (size_t c = 0; c < cells.size(); ++c)
            if (next[c] < cells[c].size())
                cellShift[c] = top - cells[c][next[c]].top;
    }
    // The row's cells keep the room below their text the tallest had.
    double text = 0, slack = std::numeric_limits<double>::max();
    for (size_t c = 0; c < cells.size(); ++c) {
        const std::vector<CellLine>& lines = cells[c];
        slack = std::min(slack, rowBottom - lines.back().bottom);
        text = std::max(text, lines.back().bottom + shifts[c].back());
        double moved = shift;   // what the block's lines before have been moved by
        for (size_t k = 0; k < lines.size(); ++k) {
            if (lines[k].line == 0)
                moved = shift;
            if (shifts[c][k] != moved)
                moves.push_back({lines[k].block, lines[k].line, shifts[c][k] - moved});
            moved = shifts[c][k];
        }
    }
    return std::max(0.0, text + std::max(0.0, slack) - rowBottom - shift);
}

// Lines or rows of an item from `unit` on moved down to a new page.
struct Gap {
    Item item;
    int unit = 0;
    double extra = 0;
};

class Pager {
public:
    Pager(const PageSetup& setup) : m_setup(setup)
    {
        m_pages.push_back({});
        m_pages.back().number = std::max(1, setup.frames.front().numberStart);
    }

    const PageFrame& frame() const { return m_setup.frames[static_cast<size_t>(m_pages.back().section)]; }
    double bodyTop() const { return m_pages.back().top + frame().top; }
    double bodyBottom() const { return m_pages.back().top + frame().height - frame().bottom; }
    // Room the footnotes of the page take, with those about to join them.
    double footRoom(double more) const
    {
        const double all = m_footHeight + more;
        return all > 0 ? all + kNoteSeparator : 0;
    }

    void newPage(int section)
    {
        const double top = m_pages.back().top + frame().height + kPageGap;
        const int number = m_pages.back().number + 1;
        Page page;
        page.top = top;
        page.section = section;
        page.number = number;
        m_pages.push_back(page);
        m_footnotes.emplace_back();
        m_footHeight = 0;
    }
    // Section's first page: a new one, or the current one when nothing stands on it yet; a blank
    // page before it when the section starts on an odd or even page number and that page's is not.
    void startSection(int section, docx::SectionStart start, bool onThisPage)
    {
        if (onThisPage)
            m_pages.back().section = section;
        else
            newPage(section);
        const int restart = m_setup.frames[static_cast<size_t>(section)].numberStart;
        const int number = restart >= 0 ? restart : m_pages.back().number;
        const bool odd = number % 2 != 0;
        if ((start == docx::SectionStart::OddPage && !odd) || (start == docx::SectionStart::EvenPage && odd))
            newPage(section);
        if (restart >= 0)
            m_pages.back().number = restart;
    }

    void addFootnote(int note)
    {
        m_footnotes.back().push_back(note);
        m_footHeight += m_setup.notes[static_cast<size_t>(note)].height;
    }

    // Stacks each page's footnotes at the foot of its body.
    std::vector<Page> finish()
    {
        for (size_t k = 0; k < m_pages.size(); ++k) {
            if (m_footnotes[k].empty())
                continue;
            Page& page = m_pages[k];
            const PageFrame& f = m_setup.frames[static_cast<size_t>(page.section)];
            double height = 0;
            for (int n : m_footnotes[k])
                height += m_setup.notes[static_cast<size_t>(n)].height;
            page.footnotesTop = page.top + f.height - f.bottom - height - kNoteSeparator;
            double y = page.footnotesTop + kNoteSeparator;
            std::vector<PlacedNote> placed;
            for (int n : m_footnotes[k]) {
                placed.push_back({n, y});
                y += m_setup.notes[static_cast<size_t>(n)].height;
            }
            page.notes.insert(page.notes.begin(), placed.begin(), placed.end());
        }
        return std::move(m_pages);
    }

    Page& page() { return m_pages.back(); }
    double footHeight() const { return m_footHeight; }

private:
    const PageSetup& m_setup;
    std::vector<Page> m_pages;
    std::vector<std::vector<int>> m_footnotes{1};   // by page
    double m_footHeight = 0;                        // of the current page's footnotes
};

} // namespace

RootFrame rootFrame(const PageSetup& setup)
{
    RootFrame root;
    for (const PageFrame& f : setup.frames)
        root.width = std::max(root.width, f.width);
    if (setup.frames.empty())
        return root;
    root.left = root.right = root.width;
    for (const PageFrame& f : setup.frames) {
        root.left = std::min(root.left, f.left);
        root.right = std::min(root.right, root.width - f.width + f.right);
    }
    return root;
}

int sectionOf(const PageSetup& setup, int pos)
{
    const auto after = std::upper_bound(setup.sectionStarts.begin(), setup.sectionStarts.end(), pos);
    const int section = static_cast<int>(after - setup.sectionStarts.begin()) - 1;
    return std::clamp(section, 0, std::max(0, static_cast<int>(setup.frames.size()) - 1));
}

std::vector<Page> layOutPages(QTextDocument* doc, const PageSetup& setup)
{
    if (setup.frames.empty() || setup.frames.front().height <= 0)
        return {};
    const std::vector<Item> items = rootItems(doc);
    placeSections(doc, setup, items);

    std::vector<int> footnotes, endnotes;
    for (size_t n = 0; n < setup.notes.size(); ++n)
        (setup.notes[n].atEnd ? endnotes : footnotes).push_back(static_cast<int>(n));

    QAbstractTextDocumentLayout* layout = doc->documentLayout();
    Pager pager(setup);
    std::vector<std::pair<const Item*, double>> pushes;
    std::vector<Gap> gaps, grownRows;
    std::vector<LineMove> lineMoves;
    double shift = 0, bottom = 0;
    double linesMoved = 0;   // by the item before: Qt places the next item as if they had not moved
    size_t nextNote = 0;
    const auto noteHeight = [&](size_t n) { return setup.notes[static_cast<size_t>(footnotes[n])].height; };
    // How the section of item i starts when the item is its first: nothing when it is not.
    const auto sectionStart = [&](size_t i) -> std::optional<docx::SectionStart> {
        const int section = sectionOf(setup, items[i].start());
        if (i == 0 || section == sectionOf(setup, items[i - 1].start()))
            return std::nullopt;
        return setup.frames[static_cast<size_t>(section)].start;
    };
    const auto startsPage = [&](size_t i) {   // a page or section break before item i
        const auto start = sectionStart(i);
        return (start && *start != docx::SectionStart::Continuous)
               || (!items[i].frame && std::binary_search(setup.breaks.begin(), setup.breaks.end(), items[i].start()));
    };
    for (size_t i = 0; i < items.size(); ++i) {
        const Item& item = items[i];
        const Pieces pieces = piecesOf(layout, item, i + 1 < items.size() ? &items[i + 1] : nullptr);
        const std::vector<Unit>& units = pieces.units;
        const int section = sectionOf(setup, item.start());
        const double y = units.front().top + shift;
        const bool atTop = y <= pager.bodyTop() + 1;

        // Where the item starts: on a new page after a break, or with the next item's first lines.
        bool newPage = startsPage(i);
        if (!newPage && pieces.keepWithNext && !atTop) {
            const double keptBottom = keptWithNext(layout, items, i, startsPage);
            newPage = keptBottom + shift > pager.bodyBottom() - pager.footRoom(0)
                      && keptBottom - units.front().top < pager.bodyBottom() - pager.bodyTop();
        }
        if (const auto start = sectionStart(i); start && (newPage || atTop))
            pager.startSection(section, *start, atTop);
        else if (newPage && !atTop)
            pager.newPage(section);
        double pushed = std::exchange(linesMoved, 0.0);
        if (pager.bodyTop() - y > 0.5) {
            pushed += pager.bodyTop() - y;
            shift += pager.bodyTop() - y;
        }

        // Its lines or rows, page by page; a table's header rows go on above its rows on each page.
        const auto* table = qobject_cast<QTextTable*>(item.frame);
        const size_t headerRows = table ? static_cast<size_t>(std::max(0, table->format().headerRowCount())) : 0;
        const double header = headerRows > 0 && headerRows < units.size() ? units[headerRows].top - rowTop(layout, table, 0) : 0;
        double startShift = shift;   // as the item's first page places it
        size_t turned = units.size();   // the row at the current page's top, when the table goes on there
        // Cuts the page at y, where row r goes on to the next page, whole or inside, and turns to
        // the next page; where row r goes on there, below the header rows drawn again.
        const auto turnPage = [&](size_t r, double y, bool inside) {
            const bool repeat = header > 0 && (inside ? r >= headerRows : r > headerRows)
                                && header < (pager.bodyBottom() - pager.bodyTop()) / 2;
            if (table) {
                RowCut& cut = pager.page().rowCut;
                cut = cutRow(layout, table, static_cast<int>(r), y);
                if (repeat) {
                    cut.headerTop = rowTop(layout, table, 0) + startShift;
                    cut.headerBottom = cut.headerTop + header;
                }
            }
            pager.newPage(pager.page().section);
            return pager.bodyTop() + (repeat ? header : 0);
        };
        for (size_t k = 0; k < units.size();) {
            size_t fit = k, noteEnd = nextNote;
            double notes = 0;
            for (; fit < units.size(); ++fit) {
                double more = 0;
                size_t n = noteEnd;
                for (; n < footnotes.size() && setup.notes[static_cast<size_t>(footnotes[n])].refPos < units[fit].end; ++n)
                    more += noteHeight(n);
                if (units[fit].bottom + shift > pager.bodyBottom() - pager.footRoom(notes + more))
                    break;
                notes += more;
                noteEnd = n;
            }
            size_t goesOn = fit == units.size() ? fit : pieces.splitBefore(k, fit, pager.bodyBottom() - pager.bodyTop());
            // A row whose cells' lines do not all fit goes on inside when one of them fits.
            const double room = pager.bodyBottom() - pager.footRoom(notes);
            const auto fits = [&](const CellLine& line) { return line.bottom + shift <= room; };
            if (const RowLines cells = table && fit < units.size() ? rowLines(layout, table, static_cast<int>(fit)) : RowLines();
                !cells.empty()
                && std::any_of(cells.begin(), cells.end(), [&](const auto& lines) { return fits(lines.front()); })
                && !std::all_of(cells.begin(), cells.end(), [&](const auto& lines) { return fits(lines.back()); }))
            {
                const double padding = topPadding(table, table->cellAt(static_cast<int>(fit), 0).format().toTableCellFormat());
                for (; fit > 0 && nextNote < footnotes.size()
                       && setup.notes[static_cast<size_t>(footnotes[nextNote])].refPos < units[fit - 1].end;
                     ++nextNote)
                    pager.addFootnote(footnotes[nextNote]);
                const double grown = spreadRow(
                    cells, units[fit].bottom, shift, [&] { return pager.bodyBottom() - pager.footRoom(0); },
                    [&](double y) { return turnPage(fit, y + padding, true) + padding; }, lineMoves);
                if (grown > 0)
                    grownRows.push_back({item, static_cast<int>(fit), grown});
                shift += grown;
                k = fit + 1;
                continue;
            }
            if (goesOn <= k && table && k > 0 && k != turned)   // the row after one gone on inside
                goesOn = k;
            if (goesOn <= k) {
                // None may stay: all of it goes to the next page (what goes on after a split
                // stands at a page's top already, where it stays and runs over the foot).
                if (k == 0 && units[0].top + shift > pager.bodyTop() + 1) {
                    pager.newPage(pager.page().section);
                    const double extra = pager.bodyTop() - (units[0].top + shift);
                    shift += extra;
                    startShift = shift;
                    pushed += extra;
                    continue;
                }
                goesOn = std::max(fit, k + 1);
            }
            for (; nextNote < footnotes.size()
                   && setup.notes[static_cast<size_t>(footnotes[nextNote])].refPos < units[goesOn - 1].end;
                 ++nextNote)
                pager.addFootnote(footnotes[nextNote]);
            if (goesOn == units.size())
                break;
            const double extra = turnPage(goesOn, units[goesOn].top + shift, false) - (units[goesOn].top + shift);
            shift += extra;
            turned = goesOn;
            gaps.push_back({item, static_cast<int>(goesOn), extra});
            if (!item.frame)
                linesMoved += extra;
            k = goesOn;
        }
        if (pushed > 0)
            pushes.emplace_back(&item, pushed);
        bottom = units.back().bottom + shift;
        while (bottom > pager.bodyBottom() + 1)   // a line or row taller than a page runs on over the next ones
            pager.newPage(pager.page().section);
    }

    // Endnotes follow the text, each on the page it fits on.
    double y = bottom + (endnotes.empty() ? 0 : kNoteSeparator);
    for (int n : endnotes) {
        const double height = setup.notes[static_cast<size_t>(n)].height;
        if (y > pager.bodyTop() + 1 && y + height > pager.bodyBottom() - pager.footRoom(0)) {
            pager.newPage(pager.page().section);
            y = pager.bodyTop();
        }
        pager.page().notes.push_back({n, y});
        y += height;
    }

    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    for (const auto& [item, extra] : pushes)
        push(cursor, *item, extra);
    for (const Gap& gap : gaps)
        if (gap.item.frame)
            padRow(static_cast<QTextTable*>(gap.item.frame), gap.unit, QTextFormat::TableCellTopPadding, gap.extra);
    for (const Gap& row : grownRows)
        padRow(static_cast<QTextTable*>(row.item.frame), row.unit, QTextFormat::TableCellBottomPadding, row.extra);
    cursor.endEditBlock();
    std::vector<Page> pages = pager.finish();
    const Page& last = pages.back();
    QTextFrameFormat root = doc->rootFrame()->frameFormat();
    const double end = last.top + setup.frames[static_cast<size_t>(last.section)].height;
    root.setBottomMargin(std::max(0.0, end - doc->size().height() + root.bottomMargin()));
    doc->rootFrame()->setFrameFormat(root);
    // Lines are moved once everything is laid out: laying a paragraph out places its lines again.
    doc->size();
    for (const Gap& gap : gaps)
        if (!gap.item.frame)
            moveLines(gap.item.block, gap.unit, gap.extra);
    for (const LineMove& move : lineMoves) {
        if (move.line > 0)
            moveLines(move.block, move.line, move.extra);
        else
            move.block.layout()->setPosition(move.block.layout()->position() + QPointF(0, move.extra));
    }
    return pages;
}

} // namespace host
