#include "host/PageLayout.h"

#include <QAbstractEventDispatcher>
#include <QAbstractTextDocumentLayout>
#include <QEvent>
#include <QTimerEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>
#include <QPointer>

#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>
#include <optional>
#include <utility>

namespace host {

namespace {

constexpr double kNoteSeparator = 14;   // pixels above the first note of a page: its rule and a gap
constexpr int kSectionBatch = 64;       // items given their section's margins at once, ahead of the paging
constexpr int kWakeLength = 20000;      // characters Qt is told to lay out again at once (see Flow::wake)

// One paragraph or table of the root frame (or a drawing floating in it).
struct Item {
    QTextBlock block;
    QTextFrame* frame = nullptr;
    bool valid() const { return frame || block.isValid(); }
    int start() const { return frame ? frame->firstPosition() : block.position(); }
    int end() const { return frame ? frame->lastPosition() + 1 : block.position() + block.length(); }
};

// The item of the root frame that holds block.
Item itemOf(const QTextBlock& block)
{
    if (!block.isValid())
        return {};
    const QTextDocument* doc = block.document();
    QTextFrame* frame = doc->frameAt(block.position());
    if (frame == doc->rootFrame())
        return {block, nullptr};
    while (frame->parentFrame() != doc->rootFrame())
        frame = frame->parentFrame();
    return {QTextBlock(), frame};
}

Item nextItem(const Item& item)
{
    if (item.frame)
        return itemOf(item.frame->document()->findBlock(item.frame->lastPosition() + 1));
    return itemOf(item.block.next());
}

struct Span {
    double top = 0, bottom = 0;
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

// Where an item starts. Qt's rectangle of a frame would have it lay the whole document out: a
// table starts at its border above its first row, a floating frame at its text.
double topOf(QAbstractTextDocumentLayout* layout, const Item& item)
{
    if (const auto* table = qobject_cast<const QTextTable*>(item.frame))
        return rowTop(layout, table, 0) - table->format().border();
    if (item.frame)
        return layout->blockBoundingRect(item.frame->firstCursorPosition().block()).top();
    return layout->blockBoundingRect(item.block).top();
}

// Where a paragraph or table starts and ends, reading the layout no further than the item after
// it. A block's bounding rectangle leaves out what a set line height adds to its lines: a
// paragraph ends where the next one starts, less its space after. A table ends where the
// paragraph after it starts, or, for an empty one Qt hides in the table's foot, where that ends.
Span extent(QAbstractTextDocumentLayout* layout, const Item& item, const Item& next)
{
    if (item.frame && !qobject_cast<const QTextTable*>(item.frame)) {
        const double top = topOf(layout, item);
        return {top, top + item.frame->frameFormat().height().value(0)};
    }
    if (item.frame) {
        const QRectF after = layout->blockBoundingRect(next.block);
        return {topOf(layout, item), next.block.length() == 1 ? after.bottom() : after.top()};
    }
    const QRectF rect = layout->blockBoundingRect(item.block);
    Span span{rect.top(), rect.bottom()};
    if (next.valid())
        span.bottom = std::max(span.bottom, topOf(layout, next) - item.block.blockFormat().bottomMargin());
    return span;
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

Pieces piecesOf(QAbstractTextDocumentLayout* layout, const Item& item, const Item& next)
{
    Pieces p;
    const Span rect = extent(layout, item, next);
    if (const auto* table = qobject_cast<const QTextTable*>(item.frame)) {
        for (int r = 0; r < table->rows(); ++r) {
            int end = 0;
            for (int c = 0; c < table->columns(); ++c)
                end = std::max(end, table->cellAt(r, c).lastPosition() + 1);
            p.units.push_back({r == 0 ? rect.top : rowTop(layout, table, r), 0, end});
        }
    } else if (const QTextLayout* lines = item.frame ? nullptr : item.block.layout(); lines && lines->lineCount() > 1) {
        const QTextBlockFormat format = item.block.blockFormat();
        p.keepTogether = format.boolProperty(KeepLinesTogether);
        p.minFirst = p.minLast = format.boolProperty(NoWidowControl) ? 1 : 2;
        const double first = lines->lineAt(0).y();
        for (int k = 0; k < lines->lineCount(); ++k) {
            const QTextLine line = lines->lineAt(k);
            p.units.push_back({rect.top + line.y() - first, 0, item.block.position() + line.textStart() + line.textLength()});
        }
    } else {
        p.units.push_back({rect.top, 0, 0});
    }
    for (size_t k = 0; k + 1 < p.units.size(); ++k)
        p.units[k].bottom = p.units[k + 1].top;
    p.units.back().bottom = rect.bottom;
    p.units.back().end = item.end();
    p.keepWithNext = !item.frame && item.block.blockFormat().boolProperty(KeepWithNext);
    return p;
}

// Moves an item down by extra pixels. Qt lets a paragraph's space before and the space after the
// paragraph above overlap: the larger of the two is what its wider space before adds to. Returns
// what its top margin grew by.
double push(QTextCursor& cursor, const Item& item, double extra)
{
    if (item.frame) {
        widenMargins(cursor, item, 0, 0, extra);
        return extra;
    }
    const QTextBlock before = item.block.previous();
    const QTextDocument* doc = item.block.document();
    double above = 0;
    if (before.isValid() && doc->frameAt(before.position()) == doc->frameAt(item.block.position()))
        above = std::max(0.0, before.blockFormat().bottomMargin() - item.block.blockFormat().topMargin());
    widenMargins(cursor, item, 0, 0, above + extra);
    return above + extra;
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

// A change paging made to a table row: padding added on one side of its cells.
struct Pad {
    int row = 0;
    QTextFormat::Property side = QTextFormat::TableCellTopPadding;
    double extra = 0;
};

// The pages, and the footnotes at the foot of each.
class Pager {
public:
    explicit Pager(const PageSetup& setup) : m_setup(&setup)
    {
        m_pages.push_back({});
        m_pages.back().number = std::max(1, setup.frames.front().numberStart);
        m_pages.back().sectionFirst = true;
    }

    // The frame of page k (the current one by default), its margins as its header and footer need.
    PageFrame frame(size_t k) const
    {
        const Page& page = m_pages[k];
        return m_setup->frames[static_cast<size_t>(page.section)].of(page.sectionFirst, page.number);
    }
    PageFrame frame() const { return frame(m_pages.size() - 1); }
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
        close(m_pages.size() - 1);
        const double top = m_pages.back().top + frame().height + kPageGap;
        const int number = m_pages.back().number + 1;
        Page page;
        page.top = top;
        page.section = section;
        page.number = number;
        page.sectionFirst = section != m_pages.back().section;
        m_pages.push_back(page);
        m_footnotes.emplace_back();
        m_footHeight = 0;
    }
    // Section's first page: a new one, or the current one when nothing stands on it yet; a blank
    // page before it when the section starts on an odd or even page number and that page's is not.
    void startSection(int section, docx::SectionStart start, bool onThisPage)
    {
        if (onThisPage) {
            m_pages.back().section = section;
            m_pages.back().sectionFirst = true;
        } else
            newPage(section);
        const int restart = m_setup->frames[static_cast<size_t>(section)].numberStart;
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
        m_footHeight += m_setup->notes[static_cast<size_t>(note)].height;
    }

    // Stacks page k's footnotes at the foot of its body, above what else it shows.
    void close(size_t k)
    {
        if (m_footnotes[k].empty())
            return;
        Page& page = m_pages[k];
        const PageFrame f = frame(k);
        double height = 0;
        for (int n : m_footnotes[k])
            height += m_setup->notes[static_cast<size_t>(n)].height;
        page.footnotesTop = page.top + f.height - f.bottom - height - kNoteSeparator;
        double y = page.footnotesTop + kNoteSeparator;
        std::vector<PlacedNote> placed;
        for (int n : m_footnotes[k]) {
            placed.push_back({n, y});
            y += m_setup->notes[static_cast<size_t>(n)].height;
        }
        page.notes.insert(page.notes.begin(), placed.begin(), placed.end());
    }

    // Page k again as it stood with its first `notes` footnotes, of the section and number given;
    // the pages after it gone.
    void reopen(size_t k, size_t notes, int section, int number, bool sectionFirst)
    {
        m_pages.resize(k + 1);
        m_footnotes.resize(k + 1);
        Page& page = m_pages.back();
        page.section = section;
        page.number = number;
        page.sectionFirst = sectionFirst;
        page.notes.clear();
        page.footnotesTop = -1;
        page.rowCut = {};
        m_footnotes.back().resize(notes);
        m_footHeight = 0;
        for (int n : m_footnotes.back())
            m_footHeight += m_setup->notes[static_cast<size_t>(n)].height;
    }

    // From page k on, the pages of another pager of the same setup.
    void adopt(size_t k, Pager&& other)
    {
        m_pages.resize(k);
        m_footnotes.resize(k);
        m_pages.insert(m_pages.end(), std::make_move_iterator(other.m_pages.begin() + static_cast<long>(k)),
                       std::make_move_iterator(other.m_pages.end()));
        m_footnotes.insert(m_footnotes.end(), std::make_move_iterator(other.m_footnotes.begin() + static_cast<long>(k)),
                           std::make_move_iterator(other.m_footnotes.end()));
        m_footHeight = other.m_footHeight;
    }

    Page& page() { return m_pages.back(); }
    const std::vector<Page>& pages() const { return m_pages; }
    size_t pageNotes() const { return m_footnotes.back().size(); }

private:
    const PageSetup* m_setup;
    std::vector<Page> m_pages;
    std::vector<std::vector<int>> m_footnotes{1};   // by page
    double m_footHeight = 0;                        // of the current page's footnotes
};

// An item as paged: how the pages stood as it began, and what it changed in the document.
struct Record {
    Item item;
    size_t page = 0;            // the page it began on
    int section = 0, number = 1;   // that page's, then
    bool sectionFirst = false;
    size_t pageNotes = 0;       // footnotes on that page before it
    size_t nextNote = 0;        // the next footnote to place
    double y = 0;               // its top, where it stood before being moved
    double linesMoved = 0;      // by the item before it, which Qt does not know of
    double bottom = 0;          // of the item before it
    double pushed = 0;          // moved down by
    double added = 0;           // its top margin grown by, once done
    double kept = 0;            // grown by before an edit, and not undone: `added` replaces it
    double keptPushed = 0;      // what that moved it down by
    std::vector<Pad> pads;
    std::vector<LineMove> moves;
    bool edited = false;        // an edit changed it since: it is paged again whatever its start

    bool sameStart(const Record& o) const
    {
        return !edited && page == o.page && section == o.section && number == o.number && sectionFirst == o.sectionFirst
               && pageNotes == o.pageNotes
               && nextNote == o.nextNote && std::abs(y - o.y) < 0.01 && std::abs(linesMoved - o.linesMoved) < 0.01;
    }
};

// Whether the lines a record moved down are still where it moved them: Qt lays a paragraph out
// again, putting them back, when an edit above moves it into what the edit changed.
bool linesInPlace(const Record& r)
{
    return std::all_of(r.moves.begin(), r.moves.end(), [](const LineMove& m) {
        const QTextLayout* lines = m.block.layout();
        if (m.line == 0 || m.line >= lines->lineCount())
            return m.line == 0;
        const QTextLine above = lines->lineAt(m.line - 1);
        return lines->lineAt(m.line).y() - above.y() - above.height() >= m.extra - 0.5;
    });
}

void moveLines(const LineMove& move)
{
    if (move.line > 0)
        moveLines(move.block, move.line, move.extra);
    else
        move.block.layout()->setPosition(move.block.layout()->position() + QPointF(0, move.extra));
}

// Qt lays a document out in the background, ever further ahead in ever longer steps, from a timer
// of its layout's: held back, it lays out no more than is asked for, which is what is paged.
class LayingAheadHeldBack : public QObject {
public:
    explicit LayingAheadHeldBack(QObject* layout) : m_layout(layout) { layout->installEventFilter(this); }
    ~LayingAheadHeldBack() override
    {
        if (m_layout)
            m_layout->removeEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Timer)
            return false;
        const int id = static_cast<QTimerEvent*>(event)->timerId();
        const auto* dispatcher = QAbstractEventDispatcher::instance();
        if (!dispatcher)
            return false;
        for (const auto& timer : dispatcher->registeredTimers(watched))
            if (timer.timerId == id)
                return timer.interval == kLayingAheadInterval;
        return false;
    }

private:
    static constexpr int kLayingAheadInterval = 10;   // ms, the interval of Qt's layout steps
    QPointer<QObject> m_layout;
};

} // namespace

struct Paginator::Flow {
    // Where the paging stands between two items.
    struct State {
        Item next;
        bool done = false;
        int prevStart = -1;      // of the item before next
        size_t nextNote = 0;
        double linesMoved = 0, bottom = 0;
    };
    // Items paged before an edit, after the item it changed, with the pages as they were then and
    // how the paging stood after the last of them: met again, they are kept as they are.
    struct Earlier {
        std::vector<Record> records;
        Pager pager;
        State end;
        size_t at = 0, cleared = 0;   // the record met last; up to `cleared`, a table's is undone
    };

    Flow(QTextDocument* d, PageSetup s)
        : doc(d), layout(d->documentLayout()), setup(std::move(s)), pager(setup)
    {
        for (size_t n = 0; n < setup.notes.size(); ++n)
            (setup.notes[n].atEnd ? endnotes : footnotes).push_back(static_cast<int>(n));
        state.next = itemOf(doc->begin());
    }

    QTextDocument* doc;
    QAbstractTextDocumentLayout* layout;
    LayingAheadHeldBack heldBack{layout};
    PageSetup setup;
    std::vector<int> footnotes, endnotes;
    Pager pager;
    State state;
    double shift = 0;            // of the item being paged, from where Qt has it
    int placedTo = 0;            // items before it stand at their section's width
    double tailAdded = 0;        // the last paragraph's top margin, grown to reach the last page's foot
    bool blanks = false;         // Qt may hold paragraphs it takes as laid out that it never laid out
    int edited = -1;             // where the item an edit is in starts, until the edit is made
    std::vector<Record> records;
    size_t applied = 0;          // records whose changes are made
    std::deque<Earlier> earlier;    // the nearest edit's first
    std::vector<Page> whole;     // as they were when the text was last paged to its end
    std::vector<Page> shown;     // while paging again: the pages so far, and those of before after them
    bool showing = false;        // of `shown`

    // Qt lays the text out lazily, as far as asked. A change inside what it has laid out has it go
    // over the rest as if that were laid out too, leaving those paragraphs blank and taken as laid
    // out: a change made here, at the end of its edit block, also marks everything after it as
    // changed, which Qt then lays out lazily again, from the change on. (Marking it has Qt lay out
    // at once what the edit block changed so far.)
    bool lazy() const { return !blanks && doc->lastBlock().layout()->lineCount() == 0; }
    void changedFrom(int from)
    {
        if (lazy())
            doc->markContentsDirty(from, doc->characterCount() - from);
    }

    // An edit of the user's, which lays out nothing beyond it, may have left Qt's blank paragraphs
    // after it: they are laid out again, some pages of them at a time, as the paging meets them.
    void wake(const Item& item)
    {
        if (!blanks)
            return;
        const QTextBlock first = item.frame ? item.frame->firstCursorPosition().block() : item.block;
        layout->blockBoundingRect(first);
        if (first.layout()->lineCount() == 0)
            doc->markContentsDirty(item.start(), std::min(kWakeLength, doc->characterCount() - item.start()));
    }

    // Pages on for `count` pages, and on through what Qt had laid out beyond them already (up to
    // twice as many pages again), which its next change would otherwise lay out again.
    void pageOn(int count)
    {
        const size_t target = pager.pages().size() + static_cast<size_t>(std::max(0, count));
        const int laid = laidOutTo();
        const size_t most = target + 2 * static_cast<size_t>(std::max(0, count));
        while (!state.done && (pager.pages().size() < target || (pager.pages().size() < most && state.next.valid() && state.next.start() < laid)))
            placeNext();
        flush();
    }

    // Where Qt's lazy layout has got to, from the next item on; 0 when it has laid it all out.
    int laidOutTo() const
    {
        if (!state.next.valid() || !lazy())
            return 0;
        QTextBlock b = state.next.frame ? state.next.frame->firstCursorPosition().block() : state.next.block;
        while (b.isValid() && b.layout()->lineCount() > 0)
            b = b.next();
        return b.isValid() ? b.position() : 0;
    }

    void pageTo(int pos)
    {
        placeTo(pos);
        flush();
    }

    // Each flush is one change of the document, which Qt answers by going over every paragraph
    // after it: an edit's paging makes its changes in one.
    void pageAfter(int pos)
    {
        placeTo(pos);
        if (!state.done)
            placeNext();
        flush();
    }

    void placeTo(int pos)
    {
        while (!state.done && (!state.next.valid() || state.next.start() <= pos))
            placeNext();
    }

    void placeNext()
    {
        if (!state.next.valid()) {
            finish();
            return;
        }
        const Item item = state.next;
        placeSections(item);
        wake(item);
        if (!placeItem(item))
            return;
        state.prevStart = item.start();
        state.next = nextItem(item);
    }

    // Each section's text between its own page's margins, against the root frame's margins and
    // the widest page, a batch of items ahead of those paged.
    void placeSections(const Item& from)
    {
        if (setup.frames.size() < 2 || from.start() < placedTo)
            return;
        const int widest = rootFrame(setup).width;
        const QTextFrameFormat root = doc->rootFrame()->frameFormat();
        QTextCursor cursor(doc);
        cursor.beginEditBlock();
        Item item = from;
        for (int n = 0; n < kSectionBatch && item.valid(); ++n, item = nextItem(item)) {
            const PageFrame& f = setup.frames[static_cast<size_t>(sectionOf(setup, item.start()))];
            const double left = f.left - root.leftMargin();
            const double right = widest - f.width + f.right - root.rightMargin();
            if (left != 0 || right != 0)
                widenMargins(cursor, item, left, right, 0);
            placedTo = item.end();
        }
        changedFrom(from.start());
        cursor.endEditBlock();
    }

    // How the section of item starts when the item is its first: nothing when it is not.
    std::optional<docx::SectionStart> sectionStart(int prevStart, const Item& item) const
    {
        const int section = sectionOf(setup, item.start());
        if (prevStart < 0 || section == sectionOf(setup, prevStart))
            return std::nullopt;
        return setup.frames[static_cast<size_t>(section)].start;
    }

    bool startsPage(int prevStart, const Item& item) const   // a page or section break before it
    {
        const auto start = sectionStart(prevStart, item);
        return (start && *start != docx::SectionStart::Continuous)
               || (!item.frame && std::binary_search(setup.breaks.begin(), setup.breaks.end(), item.start()));
    }

    // The bottom of what must share item's page (before paging): the items after it kept with
    // their next ones, and the first lines or row of the one after those.
    double keptWithNext(const Item& item) const
    {
        Item next = nextItem(item);
        double bottom = extent(layout, item, next).bottom;
        for (int prev = item.start(); next.valid() && !startsPage(prev, next); prev = next.start(), next = nextItem(next)) {
            const Pieces p = piecesOf(layout, next, nextItem(next));
            if (!p.keepWithNext)
                return p.units[p.firstPiece() - 1].bottom;
            bottom = p.units.back().bottom;
        }
        return bottom;
    }

    // Places one item on the pages; false when the pages met those laid out before an edit, and
    // the paging goes on from where it stood then.
    bool placeItem(const Item& item);

    // Endnotes follow the text, each on the page it fits on; the document reaches the last page's foot.
    void finish()
    {
        double y = state.bottom + (endnotes.empty() ? 0 : kNoteSeparator);
        for (int n : endnotes) {
            const double height = setup.notes[static_cast<size_t>(n)].height;
            if (y > pager.bodyTop() + 1 && y + height > pager.bodyBottom() - pager.footRoom(0)) {
                pager.newPage(pager.page().section);
                y = pager.bodyTop();
            }
            pager.page().notes.push_back({n, y});
            y += height;
        }
        pager.close(pager.pages().size() - 1);
        state.done = true;
        earlier.clear();
        flush();
        blanks = false;   // all met and laid out
        whole = pager.pages();
        reachLastPage();
    }

    // The document is as tall as its pages: its last paragraph, an empty one as a drawn story ends
    // with, moves down to the last page's foot. Failing one, the root frame's bottom margin grows,
    // which has Qt lay everything out again.
    void reachLastPage()
    {
        const Page& last = pager.pages().back();
        const double end = last.top + setup.frames[static_cast<size_t>(last.section)].height;
        const double height = doc->size().height();   // all laid out by now
        const QTextBlock tail = doc->lastBlock();
        if (tail.length() == 1 && doc->frameAt(tail.position()) == doc->rootFrame()) {
            QTextCursor cursor(doc);
            if (end - height > 0.5)
                tailAdded = push(cursor, {tail, nullptr}, end - height);
            return;
        }
        QTextFrameFormat root = doc->rootFrame()->frameFormat();
        root.setBottomMargin(std::max(0.0, end - height + root.bottomMargin()));
        doc->rootFrame()->setFrameFormat(root);
        doc->size();
        for (const Record& r : records)
            for (const LineMove& move : r.moves)
                moveLines(move);
    }

    void unreachLastPage()
    {
        if (tailAdded == 0)
            return;
        QTextCursor cursor(doc);
        widenMargins(cursor, {doc->lastBlock(), nullptr}, 0, 0, -tailAdded);
        tailAdded = 0;
    }

    // Makes the changes of the records paged since the last time: margins and paddings first, then,
    // once Qt has laid their paragraphs out again, the lines moved.
    void flush()
    {
        if (applied < records.size()) {
            QTextCursor cursor(doc);
            cursor.beginEditBlock();
            int changed = -1;   // where the first change is
            for (size_t k = applied; k < records.size(); ++k) {
                Record& r = records[k];
                const bool moved = r.pushed > 0 || r.kept != 0;
                if (r.kept != 0 && r.pushed > 0 && std::abs(r.pushed - r.keptPushed) < 0.01) {
                    r.added = std::exchange(r.kept, 0.0);   // where it was
                } else if (moved) {
                    if (r.kept != 0)
                        widenMargins(cursor, r.item, 0, 0, -std::exchange(r.kept, 0.0));
                    if (r.pushed > 0)
                        r.added = push(cursor, r.item, r.pushed);
                    if (changed < 0)
                        changed = r.item.start();
                }
                padRows(r, 1);
                if (changed < 0 && !r.pads.empty())
                    changed = r.item.start();
            }
            if (changed >= 0)
                changedFrom(changed);
            cursor.endEditBlock();
            moveAllLines(applied, records.size(), records);
            applied = records.size();
        }
        shift = state.linesMoved;
        showing = !state.done && whole.size() > pager.pages().size();
        if (showing) {   // the pages of before, after those paged again
            shown = pager.pages();
            shown.insert(shown.end(), whole.begin() + static_cast<long>(shown.size()), whole.end());
        }
    }

    void padRows(const Record& r, double sign)
    {
        auto* table = qobject_cast<QTextTable*>(r.item.frame);
        if (!table || r.pads.empty())
            return;
        QTextCursor cursor(doc);
        cursor.beginEditBlock();   // the table is laid out again once
        for (const Pad& pad : r.pads)
            padRow(table, pad.row, pad.side, sign * pad.extra);
        cursor.endEditBlock();
    }

    void moveAllLines(size_t from, size_t to, const std::vector<Record>& rs)
    {
        if (from >= to)
            return;
        layout->blockBoundingRect(doc->findBlock(rs[to - 1].item.end()));   // laid out so far
        for (size_t k = from; k < to; ++k)
            for (const LineMove& move : rs[k].moves)
                moveLines(move);
    }

    // Undoes what an item paged before changed.
    void undo(const Record& r)
    {
        QTextCursor cursor(doc);
        if (r.added != 0)
            widenMargins(cursor, r.item, 0, 0, -r.added);
        padRows(r, -1);
    }

    // What the pages had widened the top margin of item by before an edit, and Qt still has.
    double keptMargin(const Item& item) const
    {
        if (earlier.empty() || !item.valid())
            return 0;
        const Earlier& e = earlier.front();
        for (size_t k = e.at; k < e.records.size() && e.records[k].item.start() <= item.start(); ++k)
            if (e.records[k].item.start() == item.start())
                return e.records[k].pads.empty() ? e.records[k].added : 0;
        return 0;
    }

    // An item's lines or rows; it ends where the next one starts, which stands lower by the margin
    // it kept from before an edit.
    Pieces piecesAt(const Item& item) const
    {
        const Item next = nextItem(item);
        Pieces p = piecesOf(layout, item, next);
        const bool floating = item.frame && !qobject_cast<const QTextTable*>(item.frame);   // ends at its own height
        if (const double kept = floating ? 0 : keptMargin(next); kept != 0) {
            const double bottom = item.frame ? p.units.back().top : layout->blockBoundingRect(item.block).bottom();
            p.units.back().bottom = std::max(bottom, p.units.back().bottom - kept);
        }
        return p;
    }

    // The record of item as paged before an edit, a table's changes undone.
    const Record* earlierRecord(const Item& item)
    {
        while (!earlier.empty()) {
            Earlier& e = earlier.front();
            while (e.at < e.records.size() && e.records[e.at].item.start() < item.start())
                ++e.at;
            if (e.at < e.records.size())
                break;
            earlier.pop_front();   // all paged again
        }
        if (earlier.empty())
            return nullptr;
        Earlier& e = earlier.front();
        if (e.records[e.at].item.start() != item.start())
            return nullptr;
        // A table's rows are read as they were before paging; a paragraph's top margin is allowed for.
        if (e.cleared <= e.at && !e.records[e.at].pads.empty()) {
            QTextCursor cursor(doc);
            cursor.beginEditBlock();
            undo(e.records[e.at]);
            changedFrom(item.start());
            cursor.endEditBlock();
            e.cleared = e.at + 1;
        }
        return &e.records[e.at];
    }

    // The pages met those laid out before at the nearest earlier record: from there on they are kept.
    void meet()
    {
        flush();
        Earlier e = std::move(earlier.front());
        earlier.pop_front();
        QTextCursor cursor(doc);
        cursor.beginEditBlock();
        int changed = -1;
        for (size_t k = e.at; k < e.cleared; ++k) {
            const Record& r = e.records[k];
            if (r.added != 0)
                widenMargins(cursor, r.item, 0, 0, r.added);
            padRows(r, 1);
            if (changed < 0 && (r.added != 0 || !r.pads.empty()))
                changed = r.item.start();
        }
        if (changed >= 0)
            changedFrom(changed);
        cursor.endEditBlock();
        moveAllLines(e.at, std::max(e.at, e.cleared), e.records);
        pager.adopt(e.records[e.at].page, std::move(e.pager));
        records.insert(records.end(), std::make_move_iterator(e.records.begin() + static_cast<long>(e.at)),
                       std::make_move_iterator(e.records.end()));
        applied = records.size();
        state = e.end;
        shift = state.linesMoved;
        if (state.done) {
            whole = pager.pages();
            reachLastPage();
        }
        flush();
    }

    void beginEdit(int at, int end, int relaidTo);
    void endEdit(int end, int delta);
};

bool Paginator::Flow::placeItem(const Item& item)
{
    const Record* before = earlier.empty() ? nullptr : earlierRecord(item);
    // What it was moved down by before stays until its new place is known: Qt has it there.
    const double kept = before && before->pads.empty() ? before->added : 0;
    if (kept != 0)
        shift -= before->pushed;
    Pieces pieces = piecesAt(item);
    const int section = sectionOf(setup, item.start());
    const double y = pieces.units.front().top + shift;

    Record rec;
    rec.item = item;
    rec.page = pager.pages().size() - 1;
    rec.section = pager.page().section;
    rec.number = pager.page().number;
    rec.sectionFirst = pager.page().sectionFirst;
    rec.pageNotes = pager.pageNotes();
    rec.nextNote = state.nextNote;
    rec.y = y;
    rec.linesMoved = state.linesMoved;
    rec.bottom = state.bottom;
    if (before && before->sameStart(rec) && linesInPlace(*before)) {
        shift += kept != 0 ? before->pushed : 0;
        meet();
        return false;
    }
    rec.kept = kept;
    rec.keptPushed = kept != 0 ? before->pushed : 0;
    if (before && !before->moves.empty() && !before->edited) {
        // Its lines are read again where Qt has them, not where they were moved.
        QTextCursor cursor(doc);
        cursor.beginEditBlock();
        doc->markContentsDirty(item.start(), item.end() - item.start());
        changedFrom(item.start());
        cursor.endEditBlock();
        pieces = piecesAt(item);
    }
    const std::vector<Unit>& units = pieces.units;
    const bool atTop = y <= pager.bodyTop() + 1;
    const auto noteHeight = [&](size_t n) { return setup.notes[static_cast<size_t>(footnotes[n])].height; };

    // Where the item starts: on a new page after a break, or with the next item's first lines.
    bool newPage = startsPage(state.prevStart, item);
    if (!newPage && pieces.keepWithNext && !atTop) {
        const double keptBottom = keptWithNext(item);
        newPage = keptBottom + shift > pager.bodyBottom() - pager.footRoom(0)
                  && keptBottom - units.front().top < pager.bodyBottom() - pager.bodyTop();
    }
    if (const auto start = sectionStart(state.prevStart, item); start && (newPage || atTop))
        pager.startSection(section, *start, atTop);
    else if (newPage && !atTop)
        pager.newPage(section);
    double pushed = std::exchange(state.linesMoved, 0.0);
    if (pager.bodyTop() - y > 0.5) {
        pushed += pager.bodyTop() - y;
        shift += pager.bodyTop() - y;
    }

    // Its lines or rows, page by page; a table's header rows go on above its rows on each page.
    auto* table = qobject_cast<QTextTable*>(item.frame);
    const size_t headerRows = table ? static_cast<size_t>(std::max(0, table->format().headerRowCount())) : 0;
    const double header = headerRows > 0 && headerRows < units.size() ? units[headerRows].top - rowTop(layout, table, 0) : 0;
    double startShift = shift;      // as the item's first page places it
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
    size_t& nextNote = state.nextNote;
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
                [&](double y) { return turnPage(fit, y + padding, true) + padding; }, rec.moves);
            if (grown > 0)
                rec.pads.push_back({static_cast<int>(fit), QTextFormat::TableCellBottomPadding, grown});
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
        if (table)
            rec.pads.push_back({static_cast<int>(goesOn), QTextFormat::TableCellTopPadding, extra});
        else if (!item.frame)
            rec.moves.push_back({item.block, static_cast<int>(goesOn), extra});
        if (!item.frame)
            state.linesMoved += extra;
        k = goesOn;
    }
    if (pushed > 0)
        rec.pushed = pushed;
    state.bottom = units.back().bottom + shift;
    while (state.bottom > pager.bodyBottom() + 1)   // a line or row taller than a page runs on over the next ones
        pager.newPage(pager.page().section);
    records.push_back(std::move(rec));
    return true;
}

// Before an edit at [at, end): the paging goes back to the item holding `at`, and what was paged
// from there on is kept to be met again.
void Paginator::Flow::beginEdit(int at, int end, int relaidTo)
{
    if (lazy())
        blanks = true;   // the edit is laid out alone
    if (!state.done && state.next.valid() && at >= state.next.start()) {
        if (earlier.empty())
            return;   // not paged yet
        pageTo(at);   // pages paged again before they meet the edit
        if (!state.done && state.next.valid() && at >= state.next.start())
            return;
    }
    const auto holding = std::upper_bound(records.begin(), records.end(), at,
                                          [](int pos, const Record& r) { return pos < r.item.start(); });
    if (holding == records.begin())
        return;
    const size_t e = static_cast<size_t>(holding - records.begin()) - 1;
    unreachLastPage();
    Earlier was{{}, pager, state};
    was.records.assign(std::make_move_iterator(records.begin() + static_cast<long>(e)), std::make_move_iterator(records.end()));
    records.resize(e);
    applied = e;
    // The paragraphs a join removes go with their records.
    was.records.erase(std::remove_if(was.records.begin() + 1, was.records.end(),
                                     [&](const Record& r) { return r.item.start() > at && r.item.start() <= end; }),
                      was.records.end());
    for (Record& r : was.records)
        r.edited = r.edited || r.item.start() <= std::max(at, relaidTo);
    const Record& from = was.records.front();
    pager.reopen(from.page, from.pageNotes, from.section, from.number, from.sectionFirst);
    state.next = from.item;
    state.done = false;
    state.prevStart = e > 0 ? records[e - 1].item.start() : -1;
    state.nextNote = from.nextNote;
    state.linesMoved = from.linesMoved;
    state.bottom = from.bottom;
    shift = state.linesMoved;
    edited = from.item.start();
    earlier.push_front(std::move(was));
    flush();
}

// After it: what followed it moved by delta.
void Paginator::Flow::endEdit(int end, int delta)
{
    // A join may have taken the edited paragraph's block away: it is found again where it starts.
    if (edited >= 0) {
        state.next = itemOf(doc->findBlock(edited));
        earlier.front().records.front().item = state.next;
        edited = -1;
    }
    const auto move = [&](int& pos) {
        if (pos >= end)
            pos += delta;
    };
    for (size_t s = 1; s < setup.sectionStarts.size(); ++s)
        move(setup.sectionStarts[s]);
    for (int& pos : setup.breaks)
        move(pos);
    for (PageNote& note : setup.notes)
        move(note.refPos);
    move(placedTo);
    move(state.prevStart);
    for (Earlier& e : earlier)
        move(e.end.prevStart);
}

Paginator::Paginator(QTextDocument* doc, PageSetup setup)
{
    if (!setup.frames.empty() && setup.frames.front().height > 0)
        m_flow = std::make_unique<Flow>(doc, std::move(setup));
}

Paginator::~Paginator() = default;

void Paginator::pageOn(int count)
{
    if (m_flow)
        m_flow->pageOn(count);
}

void Paginator::pageTo(int pos)
{
    if (m_flow)
        m_flow->pageTo(pos);
}

void Paginator::pageAfter(int pos)
{
    if (m_flow)
        m_flow->pageAfter(pos);
}

bool Paginator::done() const
{
    return !m_flow || m_flow->state.done;
}

const std::vector<Page>& Paginator::pages() const
{
    static const std::vector<Page> kNone;
    if (!m_flow)
        return kNone;
    return m_flow->showing ? m_flow->shown : m_flow->pager.pages();
}

int Paginator::pagedTo() const
{
    if (!m_flow || m_flow->state.done || !m_flow->state.next.valid())
        return std::numeric_limits<int>::max();
    return m_flow->state.next.start();
}

int Paginator::finishedPages() const
{
    if (!m_flow)
        return 0;
    const int paged = static_cast<int>(m_flow->pager.pages().size());
    return m_flow->state.done ? paged : paged - 1;
}

void Paginator::beginEdit(int at, int end, int relaidTo)
{
    if (m_flow)
        m_flow->beginEdit(at, end, relaidTo);
}

double Paginator::addedMargin(int pos) const
{
    if (!m_flow)
        return 0;
    const std::vector<Record>& records = m_flow->records;
    const auto holding = std::upper_bound(records.begin(), records.end(), pos,
                                          [](int p, const Record& r) { return p < r.item.start(); });
    if (holding != records.begin()) {
        const Record& r = *std::prev(holding);
        if (pos < r.item.end())
            return r.item.frame || !r.pads.empty() ? 0 : r.added;
    }
    return m_flow->keptMargin(itemOf(m_flow->doc->findBlock(pos)));
}

void Paginator::endEdit(int end, int delta)
{
    if (m_flow)
        m_flow->endEdit(end, delta);
}

PageFrame PageFrame::of(bool first, int number) const
{
    PageFrame f = *this;
    const auto take = [&f](int top, int bottom) {
        f.top = top >= 0 ? top : f.top;
        f.bottom = bottom >= 0 ? bottom : f.bottom;
    };
    if (first && (firstTop >= 0 || firstBottom >= 0))
        take(firstTop, firstBottom);
    else if (number % 2 == 0)
        take(evenTop, evenBottom);
    return f;
}

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
    Paginator paginator(doc, setup);
    paginator.pageTo(std::numeric_limits<int>::max());
    return paginator.pages();
}

} // namespace host
