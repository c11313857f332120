#include "host/PageLayout.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>

#include <algorithm>

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

class Pager {
public:
    Pager(const PageSetup& setup) : m_setup(setup) { m_pages.push_back({0, 0, {}, -1}); }

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
        m_pages.push_back({top, section, {}, -1});
        m_footnotes.emplace_back();
        m_footHeight = 0;
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
    double shift = 0, bottom = 0;
    size_t nextNote = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        const Item& item = items[i];
        const QRectF rect = extent(layout, item, i + 1 < items.size() ? &items[i + 1] : nullptr);
        const double y = rect.top() + shift;
        const int section = sectionOf(setup, item.start());
        double notesHeight = 0;
        const size_t firstNote = nextNote;
        while (nextNote < footnotes.size() && setup.notes[static_cast<size_t>(footnotes[nextNote])].refPos < item.end())
            notesHeight += setup.notes[static_cast<size_t>(footnotes[nextNote++])].height;
        const bool forced = section != pager.page().section
                            || (!item.frame && std::binary_search(setup.breaks.begin(), setup.breaks.end(), item.start()));
        const bool overflows = y + rect.height() > pager.bodyBottom() - pager.footRoom(notesHeight);
        if (y > pager.bodyTop() + 1 && (forced || overflows)) {
            pager.newPage(section);
            const double extra = pager.bodyTop() - y;
            shift += extra;
            pushes.emplace_back(&item, extra);
        }
        for (size_t n = firstNote; n < nextNote; ++n)
            pager.addFootnote(footnotes[n]);
        bottom = rect.bottom() + shift;
        while (bottom > pager.bodyBottom() + 1)   // taller than a page: it runs on over the next ones
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
        widenMargins(cursor, *item, 0, 0, extra);
    cursor.endEditBlock();
    std::vector<Page> pages = pager.finish();
    const Page& last = pages.back();
    QTextFrameFormat root = doc->rootFrame()->frameFormat();
    const double end = last.top + setup.frames[static_cast<size_t>(last.section)].height;
    root.setBottomMargin(std::max(0.0, end - doc->size().height() + root.bottomMargin()));
    doc->rootFrame()->setFrameFormat(root);
    return pages;
}

} // namespace host
