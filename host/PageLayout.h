#pragma once

#include "platform/docx/Look.h"

#include <QBrush>
#include <QTextFormat>

#include <memory>
#include <vector>

class QTextDocument;

namespace host {

// Format properties (bool) the pages keep: a paragraph on the page of the next one's first lines,
// all of a paragraph's lines on one page, and one line left alone at a page's foot or top allowed
// (widow control, by default on); set on a table cell, its row kept whole on one page.
enum BlockPaging : int {
    KeepWithNext = QTextFormat::UserProperty + 0x100,
    KeepLinesTogether,
    NoWidowControl,
    RowKeptWhole,
};

// A section's page in pixels: its size, its margins, and where its header and footer stand.
struct PageFrame {
    int width = 0, height = 0;   // height 0: not paged
    int top = 0, bottom = 0, left = 0, right = 0;
    int header = 0, footer = 0;  // distance of the header from the page's top, the footer from its foot
    docx::SectionStart start = docx::SectionStart::NextPage;   // of the section whose page it is
    int numberStart = -1;        // the number of the section's first page; -1: counting on
    // The top and bottom margins of the section's first page and of its even pages, whose header
    // and footer may be of other heights than the others': -1, those of the others.
    int firstTop = -1, firstBottom = -1, evenTop = -1, evenBottom = -1;
    int bodyWidth() const { return width - left - right; }
    // The frame of one of the section's pages: its first or not, numbered `number`.
    PageFrame of(bool first, int number) const;
};

// A note the pages draw beside the text: a footnote at the foot of the page holding its
// reference, an endnote after the end of the text.
struct PageNote {
    int refPos = 0;              // drawn position of the reference (footnotes)
    double height = 0;           // pixels, at the width of the page's body
    bool atEnd = false;          // an endnote
};

// Where a note is drawn: its index among the notes given and the top of its text, in document
// coordinates.
struct PlacedNote {
    int note = 0;
    double y = 0;
};

// A table row that did not fit at a page's foot and goes on at the next page's top, whole or with
// its cells' lines that did not fit.
struct RowCut {
    double y = -1;                // where it was cut (below, nothing of the row shows); -1: none
    double left = 0, right = 0;   // the table's sides
    double border = 0;            // the width of the table's border, to be drawn above the row again
    QBrush brush;                 // and its colour
    double headerTop = 0, headerBottom = 0;   // the table's header rows, drawn again above the row
};

struct Page {
    double top = 0;                  // document coordinate of the page's top edge
    int section = 0;                 // index of its frame
    std::vector<PlacedNote> notes;   // footnotes at its foot, endnotes after the text, in order
    double footnotesTop = -1;        // where the footnote separator is drawn; -1: no footnotes
    RowCut rowCut;
    int number = 1;                  // its page number
    bool sectionFirst = false;       // the first page of its section
};

// What the main text is laid out against: each section's frame, where each section starts and
// where a page break forces a new page (drawn positions, ascending), and the notes (footnotes by
// ascending reference).
struct PageSetup {
    std::vector<PageFrame> frames;   // by section; empty: not paged
    std::vector<int> sectionStarts;  // one per frame, the first 0
    std::vector<int> breaks;
    std::vector<PageNote> notes;
};

constexpr double kPageGap = 16;      // pixels of desk between two pages

// Lays the root frame's paragraphs and tables out in pages, a step at a time: each section's text
// at its own page width and margins (the document is as wide as the widest page). What follows a
// page break or starts a section (on a page of the section's parity, a blank one left before where
// needed) moves to the next page's body by a wider top margin. A paragraph crossing the foot of its
// page's body (above the footnotes its lines refer to) goes on at the next page's top with the
// lines that do not fit, as widow control, keeping lines together and keeping with the next
// paragraph allow; a table, with the rows that do not fit (a row's cells get a wider top padding)
// and, unless kept whole, the lines of a row's cells that do not fit (each cell's go on at the
// next page's top; the row gets a wider bottom padding). Text positions never change, so a map of
// drawn positions stays valid. A line or a row kept whole taller than a page runs on over its foot.
//
// Only what has been paged is laid out by Qt: a change of margin or padding makes Qt lay out again
// or move what follows it as far as it has laid the text out, so the text beyond stays unread. The
// lines moved are lost when Qt lays their paragraph out again: an edit pages again from its item.
class Paginator {
public:
    // The setup's positions are drawn positions. The document is changed as it is paged.
    Paginator(QTextDocument* doc, PageSetup setup);
    ~Paginator();
    Paginator(const Paginator&) = delete;
    Paginator& operator=(const Paginator&) = delete;

    // Pages on until `count` more pages have been started or the text is all paged.
    void pageOn(int count);
    // Pages on until drawn position pos stands on a page.
    void pageTo(int pos);
    // Pages on until drawn position pos stands on a page, and the item after it, where the pages
    // of an edit may meet those of before: their changes made to the document at once.
    void pageAfter(int pos);
    bool done() const;
    // The pages so far: all but the last are final until the text is all paged.
    const std::vector<Page>& pages() const;
    // Where the paging has got to: the drawn position of the next item to page.
    int pagedTo() const;
    // How many of the first pages are final: all but the one being filled.
    int finishedPages() const;

    // Before drawn [at, end) is replaced: the paging goes back to the item holding `at`, to page it
    // again and those after it until the pages meet the ones laid out before. Items starting up to
    // relaidTo, which Qt is to lay out again, are paged again whatever their start.
    void beginEdit(int at, int end, int relaidTo = -1);
    // After it: what followed moved by delta.
    void endEdit(int end, int delta);
    // What the pages widened the top margin of the paragraph holding drawn position pos by: a
    // paragraph split from it is not to take that on.
    double addedMargin(int pos) const;

private:
    struct Flow;
    std::unique_ptr<Flow> m_flow;
};

// All pages at once.
std::vector<Page> layOutPages(QTextDocument* doc, const PageSetup& setup);

// The widest page's width, and the left and right margins of the document's root frame: the
// smallest of any section's, as a paragraph's own margins can widen them but not narrow them.
struct RootFrame {
    int width = 0, left = 0, right = 0;
};
RootFrame rootFrame(const PageSetup& setup);

// The frame of the page that section starts drawn position pos belongs to.
int sectionOf(const PageSetup& setup, int pos);

} // namespace host
