// Laying a drawn story out in pages: footnotes at the foot of the page holding their reference,
// endnotes after the text, each section at its own page size.
#include "host/PageLayout.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextTable>

#include <gtest/gtest.h>

#include <limits>

namespace {

using host::Page;
using host::PageFrame;
using host::PageSetup;

// A small page: 200 px of body, 20 px margins all round.
PageFrame smallPage(int width = 300, int height = 240)
{
    PageFrame f;
    f.width = width;
    f.height = height;
    f.top = f.bottom = f.left = f.right = 20;
    return f;
}

// A document of `count` one-line paragraphs, each exactly `height` pixels tall, framed as the
// story view frames it for these pages.
struct Paragraphs {
    Paragraphs(int count, double height, const std::vector<PageFrame>& pages)
    {
        doc.setDocumentMargin(0);
        QTextFrameFormat root = doc.rootFrame()->frameFormat();
        const host::RootFrame frame = host::rootFrame({pages, {}, {}, {}});
        root.setLeftMargin(frame.left);
        root.setRightMargin(frame.right);
        root.setTopMargin(pages.front().top);
        root.setBottomMargin(pages.front().bottom);
        doc.rootFrame()->setFrameFormat(root);
        doc.setTextWidth(frame.width);
        QTextCursor c(&doc);
        QTextBlockFormat f;
        f.setLineHeight(height, QTextBlockFormat::MinimumHeight);
        for (int i = 0; i < count; ++i) {
            if (i)
                c.insertBlock();
            c.setBlockFormat(f);
            c.insertText(QStringLiteral("p%1").arg(i));
        }
    }
    // One more paragraph of the same line height, `lines` lines of a word each; its block number.
    int append(int lines, const std::vector<int>& properties = {})
    {
        QTextCursor c(&doc);
        c.movePosition(QTextCursor::End);
        c.insertBlock();
        QTextBlockFormat f = c.blockFormat();
        for (int p : properties)
            f.setProperty(p, true);
        c.setBlockFormat(f);
        QStringList words;
        for (int k = 0; k < lines; ++k)
            words << QStringLiteral("w%1").arg(k);
        c.insertText(words.join(QChar::LineSeparator));
        return c.block().blockNumber();
    }
    // A table after the paragraphs, bordered, with 2 pixels of cell padding.
    QTextTable* appendTable(int rows, int columns, int headerRows = 0)
    {
        QTextCursor c(&doc);
        c.movePosition(QTextCursor::End);
        QTextTableFormat format;
        format.setCellPadding(2);
        format.setBorder(1);
        format.setHeaderRowCount(headerRows);
        return c.insertTable(rows, columns, format);
    }
    // Where line k of a paragraph stands in the document.
    double lineTop(int paragraph, int k)
    {
        const QTextLayout* lines = doc.findBlockByNumber(paragraph).layout();
        return rect(paragraph).top() + lines->lineAt(k).y() - lines->lineAt(0).y();
    }
    int start(int paragraph) { return doc.findBlockByNumber(paragraph).position(); }
    QRectF rect(int paragraph) { return doc.documentLayout()->blockBoundingRect(doc.findBlockByNumber(paragraph)); }
    int pageOf(const std::vector<Page>& pages, int paragraph) { return pageAt(pages, rect(paragraph).top() + 1); }
    static int pageAt(const std::vector<Page>& pages, double y)
    {
        int k = 0;
        while (k + 1 < static_cast<int>(pages.size()) && pages[static_cast<size_t>(k) + 1].top <= y)
            ++k;
        return k;
    }
    QTextDocument doc;
};

} // namespace

TEST(PageLayout, AFootnoteStandsAtTheFootOfThePageOfItsReferenceAndTheTextStopsAboveIt)
{
    const PageFrame page = smallPage();
    Paragraphs text(30, 20, {page});   // 10 paragraphs fill a page's body
    PageSetup setup;
    setup.frames = {page};
    setup.sectionStarts = {0};
    setup.notes = {{text.start(12) + 1, 45, false}};   // referred to from the third paragraph of page 2
    const std::vector<Page> pages = host::layOutPages(&text.doc, setup);

    ASSERT_GE(pages.size(), 4u);
    EXPECT_EQ(text.pageOf(pages, 12), 1);
    ASSERT_EQ(pages[1].notes.size(), 1u);
    const host::PlacedNote& note = pages[1].notes.front();
    // At the foot of the body, above the bottom margin.
    EXPECT_DOUBLE_EQ(note.y + 45, pages[1].top + page.height - page.bottom);
    EXPECT_LT(pages[1].footnotesTop, note.y);
    for (const Page& other : {pages[0], pages[2]})
        EXPECT_TRUE(other.notes.empty());
    // The note took the room of the paragraphs that would have stood there.
    for (int p = 0; p < 30; ++p)
        if (text.pageOf(pages, p) == 1)
            EXPECT_LE(text.rect(p).bottom(), pages[1].footnotesTop + 0.5) << p;
    EXPECT_EQ(text.pageOf(pages, 17), 2);   // pushed on by the note
}

TEST(PageLayout, AParagraphWhoseNoteNoLongerFitsMovesWithItToTheNextPage)
{
    const PageFrame page = smallPage();
    Paragraphs text(12, 20, {page});
    PageSetup setup;
    setup.frames = {page};
    setup.sectionStarts = {0};
    setup.notes = {{text.start(9), 30, false}};   // the last paragraph that fits the first page
    const std::vector<Page> pages = host::layOutPages(&text.doc, setup);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(text.pageOf(pages, 8), 0);
    EXPECT_EQ(text.pageOf(pages, 9), 1);
    EXPECT_TRUE(pages[0].notes.empty());
    ASSERT_EQ(pages[1].notes.size(), 1u);
    EXPECT_DOUBLE_EQ(text.rect(9).top(), pages[1].top + page.top);
}

TEST(PageLayout, EndnotesFollowTheTextAndRunOnToANewPage)
{
    const PageFrame page = smallPage();
    Paragraphs text(5, 20, {page});   // half the first page
    PageSetup setup;
    setup.frames = {page};
    setup.sectionStarts = {0};
    setup.notes = {{text.start(1), 60, true}, {text.start(3), 80, true}};
    const std::vector<Page> pages = host::layOutPages(&text.doc, setup);
    ASSERT_EQ(pages.size(), 2u);
    ASSERT_EQ(pages[0].notes.size(), 1u);
    EXPECT_GT(pages[0].notes[0].y, text.rect(4).bottom());
    EXPECT_LT(pages[0].footnotesTop, 0);   // endnotes are no footnotes
    ASSERT_EQ(pages[1].notes.size(), 1u);
    EXPECT_EQ(pages[1].notes[0].note, 1);
    EXPECT_DOUBLE_EQ(pages[1].notes[0].y, pages[1].top + page.top);
    // The document reaches down to the end of the last page.
    EXPECT_NEAR(text.doc.size().height(), pages[1].top + page.height, 1);
}

TEST(PageLayout, EachSectionHasItsOwnPageWidthHeightAndMargins)
{
    const PageFrame portrait = smallPage(300, 240);
    PageFrame landscape = smallPage(500, 200);
    landscape.left = 40;
    Paragraphs text(4, 20, {portrait, landscape});
    // Long enough to wrap at any width, to show the width each section lays its lines out at.
    QTextCursor c(text.doc.findBlockByNumber(3));
    c.movePosition(QTextCursor::EndOfBlock);
    c.insertText(QStringLiteral("xxxxxxxxx ").repeated(40));
    PageSetup setup;
    setup.frames = {portrait, landscape};
    setup.sectionStarts = {0, text.start(2)};
    const std::vector<Page> pages = host::layOutPages(&text.doc, setup);

    ASSERT_GE(pages.size(), 2u);
    EXPECT_EQ(pages[0].section, 0);
    EXPECT_EQ(pages[1].section, 1);
    EXPECT_EQ(text.pageOf(pages, 2), 1);   // a section starts a page
    EXPECT_DOUBLE_EQ(pages[1].top, portrait.height + host::kPageGap);
    EXPECT_DOUBLE_EQ(text.rect(2).top(), pages[1].top + landscape.top);
    // The first section's lines keep its own width, the second's are as wide as its own body.
    const QTextLayout* first = text.doc.findBlockByNumber(0).layout();
    EXPECT_DOUBLE_EQ(first->position().x() + first->lineAt(0).x(), portrait.left);
    EXPECT_LE(first->lineAt(0).width(), portrait.bodyWidth());
    const QTextLayout* wide = text.doc.findBlockByNumber(3).layout();
    ASSERT_GT(wide->lineCount(), 1);
    EXPECT_DOUBLE_EQ(wide->position().x() + wide->lineAt(0).x(), landscape.left);
    EXPECT_DOUBLE_EQ(wide->lineAt(0).width(), landscape.bodyWidth());
    EXPECT_GT(wide->lineAt(0).naturalTextWidth(), portrait.bodyWidth());
    // Landscape pages are shorter: the third page starts one landscape page lower.
    if (pages.size() > 2)
        EXPECT_DOUBLE_EQ(pages[2].top, pages[1].top + landscape.height + host::kPageGap);
}

TEST(PageLayout, APageBreakStartsAPageAndATallParagraphRunsOverSeveral)
{
    const PageFrame page = smallPage();
    Paragraphs text(3, 20, {page});
    QTextCursor c(text.doc.findBlockByNumber(1));
    QTextBlockFormat tall = c.blockFormat();
    tall.setLineHeight(450, QTextBlockFormat::MinimumHeight);   // over two pages' bodies
    c.setBlockFormat(tall);
    PageSetup setup;
    setup.frames = {page};
    setup.sectionStarts = {0};
    setup.breaks = {text.start(1)};
    const std::vector<Page> pages = host::layOutPages(&text.doc, setup);
    EXPECT_EQ(text.pageOf(pages, 1), 1);
    EXPECT_DOUBLE_EQ(text.rect(1).top(), pages[1].top + page.top);
    ASSERT_EQ(pages.size(), 4u);   // the tall one takes pages 2 and 3, the last paragraph follows on 4
    EXPECT_EQ(text.pageOf(pages, 2), 3);
}

TEST(PageLayout, AParagraphCrossingThePageFootGoesOnAtTheNextPagesTopAsWidowAndKeepRulesAllow)
{
    const PageFrame page = smallPage();   // ten 20 px lines a page
    const PageSetup setup{{page}, {0}, {}, {}};
    struct Case {
        int before, lines;                // one-line paragraphs before it, its own lines
        std::vector<int> properties;
        int goesOn;                       // its first line on the second page
    };
    const Case cases[] = {
        {7, 6, {}, 3},                          // three lines' room
        {8, 3, {}, 0},                          // two and one would leave a line alone
        {8, 3, {host::NoWidowControl}, 2},
        {7, 4, {}, 2},                          // two and two rather than three and one
        {9, 5, {}, 0},                          // one first line alone at the foot
        {7, 5, {host::KeepLinesTogether}, 0},
    };
    for (const Case& c : cases) {
        Paragraphs text(c.before, 20, {page});
        const int p = text.append(c.lines, c.properties);
        const int after = text.append(1);
        const std::vector<Page> pages = host::layOutPages(&text.doc, setup);
        ASSERT_EQ(pages.size(), 2u) << c.before << c.lines;
        EXPECT_DOUBLE_EQ(text.lineTop(p, c.goesOn), pages[1].top + page.top) << c.before << c.lines;
        if (c.goesOn > 0)
            EXPECT_EQ(Paragraphs::pageAt(pages, text.lineTop(p, c.goesOn - 1)), 0) << c.before << c.lines;
        // The next paragraph follows the last line.
        EXPECT_NEAR(text.rect(after).top(), text.lineTop(p, c.lines - 1) + 20, 0.5) << c.before << c.lines;
    }
    // The moved lines are where the layout finds them: a click on the fourth line lands in it.
    Paragraphs text(7, 20, {page});
    const QTextBlock block = text.doc.findBlockByNumber(text.append(6));
    host::layOutPages(&text.doc, setup);
    const int hit = text.doc.documentLayout()->hitTest(QPointF(page.left + 2, text.lineTop(7, 3) + 10), Qt::FuzzyHit);
    EXPECT_EQ(block.layout()->lineForTextPosition(hit - block.position()).lineNumber(), 3);
}

TEST(PageLayout, AParagraphKeptWithTheNextGoesToTheNextPageWithItsFirstLines)
{
    const PageFrame page = smallPage();
    for (const bool keep : {true, false}) {
        Paragraphs text(9, 20, {page});   // room for the heading, not for two lines after it
        const int heading = keep ? text.append(1, {host::KeepWithNext}) : text.append(1);
        text.append(4);
        const std::vector<Page> pages = host::layOutPages(&text.doc, {{page}, {0}, {}, {}});
        EXPECT_EQ(text.pageOf(pages, heading), keep ? 1 : 0);
    }
}

TEST(PageLayout, ATableTallerThanItsPageBreaksBetweenRowsAndRepeatsItsHeaderRow)
{
    const PageFrame page = smallPage();
    for (const int headerRows : {0, 1}) {
        Paragraphs text(3, 20, {page});
        QTextTable* table = text.appendTable(14, 2, headerRows);
        for (int r = 0; r < table->rows(); ++r)
            for (int col = 0; col < 2; ++col)
                table->cellAt(r, col).firstCursorPosition().insertText(QStringLiteral("r%1").arg(r));
        const std::vector<Page> pages = host::layOutPages(&text.doc, {{page}, {0}, {}, {}});
        ASSERT_GE(pages.size(), 2u);
        const auto cellText = [&](int r, int col) {
            return text.doc.documentLayout()->blockBoundingRect(table->cellAt(r, col).firstCursorPosition().block());
        };
        int next = -1;   // the first row on the second page
        for (int r = 0; r < table->rows(); ++r) {
            const int k = Paragraphs::pageAt(pages, cellText(r, 0).top());
            EXPECT_LE(cellText(r, 0).bottom(), pages[static_cast<size_t>(k)].top + page.height - page.bottom) << r;
            if (k == 1 && next < 0)
                next = r;
        }
        ASSERT_GT(next, 0);   // the table starts where it stands
        // The page shows the rows above the cut; the row's sides, just outside its cells' text,
        // the table's border and its header rows are drawn again above it on the next page.
        const host::RowCut& cut = pages[0].rowCut;
        EXPECT_GE(cut.y, cellText(next - 1, 0).bottom());
        EXPECT_LE(cut.y, page.height - page.bottom);
        EXPECT_NEAR(cut.left, cellText(next, 0).left() - 2, 0.5);
        EXPECT_NEAR(cut.right, cellText(next, 1).right() + 2, 0.5);
        EXPECT_DOUBLE_EQ(cut.border, 1);
        EXPECT_NEAR(cut.headerTop, headerRows ? cellText(0, 0).top() - 2 : 0, 0.5);
        EXPECT_NEAR(cut.headerBottom, headerRows ? cellText(1, 0).top() - 2 : 0, 0.5);
        const double header = cut.headerBottom - cut.headerTop;
        EXPECT_NEAR(cellText(next, 0).top(), pages[1].top + page.top + header + 2, 1.5);
        EXPECT_DOUBLE_EQ(cellText(next, 1).top(), cellText(next, 0).top());
    }
}

TEST(PageLayout, ASectionStartsOnAnOddOrEvenPageNumberOrGoesOnOnTheSamePage)
{
    const PageFrame page = smallPage();
    struct Case {
        docx::SectionStart start;
        int numberStart;
        int page, pages, number;   // where the second section starts, the page count, its number
    };
    const Case cases[] = {
        {docx::SectionStart::OddPage, -1, 2, 3, 3},   // page 2 left blank
        {docx::SectionStart::EvenPage, -1, 1, 2, 2},
        {docx::SectionStart::NextPage, -1, 1, 2, 2},
        {docx::SectionStart::Continuous, -1, 0, 1, 1},
        {docx::SectionStart::OddPage, 1, 1, 2, 1},    // counting from 1 again
    };
    for (const Case& c : cases) {
        Paragraphs text(4, 20, {page});
        PageFrame second = page;
        second.start = c.start;
        second.numberStart = c.numberStart;
        const std::vector<Page> pages = host::layOutPages(&text.doc, {{page, second}, {0, text.start(2)}, {}, {}});
        ASSERT_EQ(static_cast<int>(pages.size()), c.pages) << static_cast<int>(c.start);
        EXPECT_EQ(text.pageOf(pages, 2), c.page) << static_cast<int>(c.start);
        EXPECT_EQ(pages[static_cast<size_t>(c.page)].number, c.number) << static_cast<int>(c.start);
        // A page keeps the section it started with.
        EXPECT_EQ(pages.back().section, c.start == docx::SectionStart::Continuous ? 0 : 1);
    }
}

TEST(PageLayout, ARowThatDoesNotFitGoesOnInsideItsCellsUnlessKeptWhole)
{
    const PageFrame page = smallPage();
    // Row 1's first cell holds `lines` lines; with 30, the row is taller than a page.
    for (const auto& [lines, keptWhole] : {std::pair{6, false}, std::pair{6, true}, std::pair{30, false}}) {
        Paragraphs text(6, 20, {page});
        QTextTable* table = text.appendTable(3, 2);
        table->cellAt(1, 0).firstCursorPosition().insertText(QStringList(lines, QStringLiteral("w")).join(QChar::LineSeparator));
        table->cellAt(1, 1).firstCursorPosition().insertText(QStringLiteral("a") + QChar::LineSeparator + QStringLiteral("b"));
        QTextCharFormat kept;
        kept.setProperty(host::RowKeptWhole, keptWhole);
        table->cellAt(1, 0).setFormat(kept);
        const std::vector<Page> pages = host::layOutPages(&text.doc, {{page}, {0}, {}, {}});
        const QAbstractTextDocumentLayout* docLayout = text.doc.documentLayout();
        const QTextBlock cell = table->cellAt(1, 0).firstCursorPosition().block();
        const QTextLayout* layout = cell.layout();
        const auto lineTop = [&](int k) { return docLayout->blockBoundingRect(cell).top() + layout->lineAt(k).y() - layout->lineAt(0).y(); };
        const auto pageOf = [&](int k) { return Paragraphs::pageAt(pages, lineTop(k)); };
        // Each line stands inside its page's body, a page's first below its top, and is hit there.
        int first = -1;   // the first line on the second page
        for (int k = 0; k < layout->lineCount(); ++k) {
            const size_t p = static_cast<size_t>(pageOf(k));
            EXPECT_LE(lineTop(k) + layout->lineAt(k).height(), pages[p].top + page.height - page.bottom + 0.5) << lines << ' ' << k;
            first = first < 0 && p == 1 ? k : first;
            if (k > 0 && pageOf(k) != pageOf(k - 1))
                EXPECT_NEAR(lineTop(k), pages[p].top + page.top + 2, 1.5) << lines << ' ' << k;
            const QPointF at(docLayout->blockBoundingRect(cell).left() + 2, lineTop(k) + 2);
            EXPECT_EQ(docLayout->hitTest(at, Qt::FuzzyHit), cell.position() + layout->lineAt(k).textStart());
        }
        // The row goes on inside unless kept whole, with every line that fits left on the first page.
        ASSERT_GE(first, keptWhole ? 0 : 1) << lines;
        EXPECT_EQ(first == 0, keptWhole);
        if (first > 0)   // the first line moved would not have fitted
            EXPECT_GT(lineTop(first - 1) + layout->lineAt(first - 1).height() * 2, page.height - page.bottom);
        EXPECT_EQ(pages.size() > 2, lines > 20);
        EXPECT_EQ(Paragraphs::pageAt(pages, docLayout->blockBoundingRect(table->cellAt(1, 1).lastCursorPosition().block()).top()),
                  keptWhole ? 1 : 0);   // the short cell stays unless the row is kept whole
        // The row after it starts below its last line.
        EXPECT_GT(docLayout->blockBoundingRect(table->cellAt(2, 0).firstCursorPosition().block()).top(), lineTop(layout->lineCount() - 1));
    }
}

namespace {

// Where everything stands once paged: the pages, the top of every line of every paragraph (table
// cells' included, lines moved by the pages included) and the document's height.
struct Laid {
    std::vector<Page> pages;
    std::vector<double> lines;
    double height = 0;
};

Laid laidOut(Paragraphs& text, const std::vector<Page>& pages)
{
    Laid out{pages, {}, text.doc.size().height()};
    for (QTextBlock b = text.doc.begin(); b.isValid(); b = b.next()) {
        const QRectF rect = text.doc.documentLayout()->blockBoundingRect(b);
        for (int k = 0; k < b.layout()->lineCount(); ++k)
            out.lines.push_back(rect.top() + b.layout()->lineAt(k).y() - b.layout()->lineAt(0).y());
    }
    return out;
}

void expectSame(const Laid& got, const Laid& want, const std::string& what)
{
    ASSERT_EQ(got.pages.size(), want.pages.size()) << what;
    for (size_t k = 0; k < want.pages.size(); ++k) {
        const Page& a = got.pages[k];
        const Page& b = want.pages[k];
        EXPECT_DOUBLE_EQ(a.top, b.top) << what << " page " << k;
        EXPECT_EQ(a.section, b.section) << what << " page " << k;
        EXPECT_EQ(a.number, b.number) << what << " page " << k;
        EXPECT_DOUBLE_EQ(a.footnotesTop, b.footnotesTop) << what << " page " << k;
        EXPECT_DOUBLE_EQ(a.rowCut.y, b.rowCut.y) << what << " page " << k;
        ASSERT_EQ(a.notes.size(), b.notes.size()) << what << " page " << k;
        for (size_t n = 0; n < a.notes.size(); ++n) {
            EXPECT_EQ(a.notes[n].note, b.notes[n].note) << what << " page " << k;
            EXPECT_DOUBLE_EQ(a.notes[n].y, b.notes[n].y) << what << " page " << k;
        }
    }
    ASSERT_EQ(got.lines.size(), want.lines.size()) << what;
    for (size_t k = 0; k < want.lines.size(); ++k)
        ASSERT_NEAR(got.lines[k], want.lines[k], 0.01) << what << " line " << k;
    EXPECT_NEAR(got.height, want.height, 0.5) << what;
}

// Some pages of text of two sections: paragraphs, one of six lines crossing a page's foot, a
// table running over a page, a footnote, a page break.
struct Mixed {
    Mixed() : text(25, 20, {smallPage(), smallPage(400, 200)})
    {
        crossing = text.append(6);   // lines 6 to 11 of the third page's ten
        for (int k = 0; k < 12; ++k)
            text.append(1);
        QTextTable* table = text.appendTable(12, 2);
        for (int r = 0; r < table->rows(); ++r)
            table->cellAt(r, 0).firstCursorPosition().insertText(QStringLiteral("r%1").arg(r));
        for (int k = 0; k < 30; ++k)
            broken = text.append(k % 7 == 0 ? 3 : 1);
        setup.frames = {smallPage(), smallPage(400, 200)};
        place();
    }
    void place()
    {
        setup.sectionStarts = {0, text.start(30)};
        setup.breaks = {text.start(broken - 10)};
        setup.notes = {{text.start(crossing + 3) + 1, 25, false}, {text.start(8), 30, true}};
    }
    Paragraphs text;
    PageSetup setup;
    int crossing = 0, broken = 0;
};

} // namespace

TEST(PageLayout, PagingInStepsLaysOutWhatPagingAtOnceDoes)
{
    Mixed once, stepped;
    const Laid whole = laidOut(once.text, host::layOutPages(&once.text.doc, once.setup));
    ASSERT_GE(whole.pages.size(), 8u);
    host::Paginator paginator(&stepped.text.doc, stepped.setup);
    int steps = 0;
    for (; !paginator.done(); ++steps) {
        const size_t before = paginator.pages().size();
        paginator.pageOn(1);
        ASSERT_GE(paginator.pages().size(), before);
    }
    EXPECT_GT(steps, 4);
    expectSame(laidOut(stepped.text, paginator.pages()), whole, "in steps");
}

TEST(PageLayout, AnEditPagesAgainFromItsParagraphUntilThePagesMeetThoseOfBefore)
{
    // A letter typed in the paragraph crossing a page's foot, then a line more there (what follows
    // moves until the page break), a line more in a later paragraph the paging again has not
    // reached yet, and a letter in the first once more while the paging again goes on.
    const QString lineMore = QString(QChar::LineSeparator) + QStringLiteral("w9");
    struct Edit {
        int paragraph;      // of those below
        QString text;
        bool metAtOnce;     // the paging is done once the edited paragraph and the next are: the pages after kept
    };
    const Edit edits[] = {{0, QStringLiteral("x"), true}, {0, lineMore, false}, {2, lineMore, false}, {0, QStringLiteral("y"), false}};
    Mixed edited, fresh;
    const int paragraphs[] = {edited.crossing, edited.crossing + 8, edited.broken - 5};
    host::Paginator paginator(&edited.text.doc, edited.setup);
    paginator.pageTo(std::numeric_limits<int>::max());
    std::string done;
    for (const Edit& e : edits) {
        done += e.text.toStdString() + ' ';
        const int at = edited.text.start(paragraphs[e.paragraph]) + 1;
        for (Paragraphs* text : {&edited.text, &fresh.text}) {
            if (text == &edited.text)
                paginator.beginEdit(at, at);
            QTextCursor c(&text->doc);
            c.setPosition(at);
            c.insertText(e.text);
            if (text == &edited.text)
                paginator.endEdit(at, static_cast<int>(e.text.size()));
        }
        paginator.pageAfter(at);
        EXPECT_EQ(paginator.done(), e.metAtOnce) << done;
    }
    paginator.pageTo(std::numeric_limits<int>::max());
    ASSERT_TRUE(paginator.done());
    fresh.place();   // the positions of the fresh text's breaks and notes, after its edits
    expectSame(laidOut(edited.text, paginator.pages()), laidOut(fresh.text, host::layOutPages(&fresh.text.doc, fresh.setup)),
               "edited " + done);
}

TEST(PageLayout, SplittingAndJoiningAbovePageBreakPagesAsAFreshLayoutDoes)
{
    // The paragraph above a page break split, which moves what follows down a line until the
    // wider top margin of the paragraph after the break takes it up, then joined again: the
    // paragraphs above the break end where their text ends, not where Qt still places the next
    // one with the margin the pages gave it before.
    Mixed edited;
    host::Paginator paginator(&edited.text.doc, edited.setup);
    paginator.pageTo(std::numeric_limits<int>::max());
    const int at = edited.text.start(edited.broken - 11) + 1;
    for (const bool split : {true, false}) {
        const int end = split ? at : at + 1;
        paginator.beginEdit(at, end);
        QTextCursor c(&edited.text.doc);
        c.setPosition(at);
        c.setPosition(end, QTextCursor::KeepAnchor);
        c.insertText(split ? QString(QChar::ParagraphSeparator) : QString());
        paginator.endEdit(end, split ? 1 : -1);
        paginator.pageAfter(at);
        paginator.pageTo(std::numeric_limits<int>::max());
        Mixed fresh;   // split, or as it was, and paged once
        if (split) {
            QTextCursor f(&fresh.text.doc);
            f.setPosition(at);
            f.insertText(QString(QChar::ParagraphSeparator));
            ++fresh.broken;
            fresh.place();
        }
        expectSame(laidOut(edited.text, paginator.pages()),
                   laidOut(fresh.text, host::layOutPages(&fresh.text.doc, fresh.setup)), split ? "split" : "joined");
    }
}
