// The document window lays text out as the document says: tab stops and their leaders, the
// section's line grid and line spacing, tables' place, margins and row heights, right-to-left
// paragraphs.
#include "host/StoryView.h"
#include "tests/host/HostFixture.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QImage>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <QTextTable>

using namespace hostfixture;

namespace {

// An A4 page with 1701-twip side margins: the text column is 8504 twips wide.
const QString kA4 = "<w:sectPr><w:pgSz w:w=\"11906\" w:h=\"16838\"/>"
                    "<w:pgMar w:top=\"1985\" w:bottom=\"1701\" w:left=\"1701\" w:right=\"1701\"/></w:sectPr>";

QString tabbed(const QString& before, const QString& after) { return run(before) + "<w:r><w:tab/></w:r>" + run(after); }

QTextBlock blockStarting(host::StoryView* view, const QString& text)
{
    for (QTextBlock b = view->document()->begin(); b.isValid(); b = b.next())
        if (b.text().startsWith(text))
            return b;
    return {};
}

// Pixels at 96 dpi and the window's 100 % zoom.
double px(int twips) { return twips / 15.0; }

} // namespace

TEST_F(HostTest, TabStopsCountFromTheColumnsEdgeAndARightOneWithADotLeaderEndsAtTheMargin)
{
    const QString contents = "<w:tabs><w:tab w:val=\"right\" w:leader=\"dot\" w:pos=\"8504\"/></w:tabs>";
    const QString path = dir.filePath("contents.docx");
    DocxBuilder()
        .body(para(tabbed("Chapter one", "12"), contents)
              + para(tabbed("Section two", "34"), contents + "<w:ind w:left=\"567\" w:firstLine=\"300\"/>")
              + para(tabbed("A", "centred"), "<w:tabs><w:tab w:val=\"center\" w:pos=\"3000\"/></w:tabs>")
              + para(tabbed("(a)", "hanging"), "<w:ind w:left=\"720\" w:hanging=\"360\"/>")
              + para(tabbed("b", "default"), "<w:ind w:firstLine=\"300\"/>") + kA4)
        .part("word/settings.xml", part("settings", "<w:defaultTabStop w:val=\"840\"/>"))
        .save(path);
    start({path});
    host::StoryView* main = windowOf(1)->mainView();
    const QStringList starts{"Chapter", "Section", "A\t", "(a)", "b\t"};
    std::vector<QTextLine> lines;
    for (const QString& s : starts) {
        const QTextBlock b = blockStarting(main, s);
        ASSERT_TRUE(b.isValid() && b.layout()->lineCount() == 1) << s.toStdString();
        lines.push_back(b.layout()->lineAt(0));
    }
    // The page numbers end at the margin, indented or not; the rest is where its stop says.
    EXPECT_NEAR(lines[0].cursorToX(14), px(8504), 1.0);
    EXPECT_NEAR(lines[1].cursorToX(14), px(8504), 1.0);
    EXPECT_NEAR((lines[2].cursorToX(2) + lines[2].cursorToX(9)) / 2, px(3000), 1.0);
    EXPECT_NEAR(lines[3].cursorToX(4), px(720), 1.0);
    EXPECT_NEAR(lines[4].cursorToX(2), px(840), 1.0);   // the document's default stop

    // The leader fills the gap on the line: dark dots between the title and its number.
    main->resize(1000, 700);
    main->verticalScrollBar()->setValue(0);
    const QImage shot = main->viewport()->grab().toImage();
    const QPointF origin = main->document()->documentLayout()->blockBoundingRect(blockStarting(main, "Chapter")).topLeft()
                           - QPointF(main->horizontalScrollBar()->value(), 0);
    const double from = origin.x() + lines[0].cursorToX(11) + 4, to = origin.x() + lines[0].cursorToX(12) - 4;
    int ink = 0;
    for (int x = static_cast<int>(from); x < static_cast<int>(to); ++x)
        for (int y = static_cast<int>(origin.y()); y < static_cast<int>(origin.y() + lines[0].height()); ++y)
            ink += qGray(shot.pixel(x, y)) < 128;
    EXPECT_GT(ink, static_cast<int>((to - from) / 8));
}

TEST_F(HostTest, ASectionsLineGridGivesLinesItsPitchAndOtherLinesTheirFontsHeightTimesTheSpacing)
{
    const QString threeLines = run(QStringLiteral("一行目")) + "<w:r><w:br/></w:r>" + run(QStringLiteral("二行目"))
                               + "<w:r><w:br/></w:r>" + run(QStringLiteral("三行目"));
    const QString calibri = "<w:rPr><w:rFonts w:ascii=\"Calibri\" w:hAnsi=\"Calibri\"/></w:rPr>";   // a wide line gap
    const QString path = dir.filePath("grid.docx");
    DocxBuilder()
        .body(para(threeLines) + para(threeLines, "<w:spacing w:line=\"360\" w:lineRule=\"auto\"/>")
              + "<w:p><w:pPr><w:snapToGrid w:val=\"0\"/><w:spacing w:line=\"276\" w:lineRule=\"auto\"/></w:pPr><w:r>" + calibri
              + "<w:t>Latin</w:t><w:br/><w:t>two</w:t><w:br/><w:t>three</w:t></w:r></w:p>"
              + para(threeLines, "<w:spacing w:line=\"300\" w:lineRule=\"exact\"/><w:rPr><w:sz w:val=\"48\"/></w:rPr>")
              + "<w:sectPr><w:docGrid w:type=\"lines\" w:linePitch=\"360\"/></w:sectPr>")
        .save(path);
    start({path});
    host::StoryView* main = windowOf(1)->mainView();
    std::vector<double> pitches;
    for (QTextBlock b = main->document()->begin(); b.isValid(); b = b.next())
        if (b.layout()->lineCount() == 3)
            pitches.push_back(b.layout()->lineAt(2).y() - b.layout()->lineAt(1).y());
    ASSERT_EQ(pitches.size(), 4u);
    EXPECT_NEAR(pitches[0], px(360), 0.5);         // 18 pt a line
    EXPECT_NEAR(pitches[1], px(360) * 1.5, 0.5);   // one and a half lines of the grid
    // Off the grid: 1.15 times as tall as the font reaches, with no line gap.
    QTextCursor at(blockStarting(main, "Latin"));
    at.movePosition(QTextCursor::NextCharacter);
    const QFontMetricsF font(at.charFormat().font());
    EXPECT_NEAR(pitches[2], (font.ascent() + font.descent()) * 1.15, 1.0);
    EXPECT_NEAR(pitches[3], px(300), 0.5);         // exact, though the font is taller
}

TEST_F(HostTest, TablesKeepTheirPlaceMarginsAndRowHeightsAndARightToLeftParagraphItsIndentAndStops)
{
    const QString path = dir.filePath("tables.docx");
    DocxBuilder()
        .body("<w:tbl><w:tblPr><w:tblCellMar><w:top w:w=\"150\" w:type=\"dxa\"/><w:left w:w=\"300\" w:type=\"dxa\"/>"
              "</w:tblCellMar></w:tblPr><w:tblGrid><w:gridCol w:w=\"3000\"/><w:gridCol w:w=\"3000\"/></w:tblGrid>"
              "<w:tr><w:tc>" + para(run("left")) + "</w:tc><w:tc>" + para(run("right")) + "</w:tc></w:tr>"
              "<w:tr><w:trPr><w:trHeight w:val=\"900\"/></w:trPr><w:tc><w:tcPr><w:vAlign w:val=\"bottom\"/></w:tcPr>"
              + para(run("low")) + "</w:tc><w:tc>" + para(run("high")) + "</w:tc></w:tr></w:tbl>"
              + para(tabbed(QStringLiteral("فصل"), "12"),
                     "<w:bidi/><w:ind w:left=\"567\"/><w:tabs><w:tab w:val=\"right\" w:leader=\"dot\" w:pos=\"8504\"/></w:tabs>")
              + "<w:tbl><w:tblPr><w:jc w:val=\"center\"/></w:tblPr><w:tblGrid><w:gridCol w:w=\"3000\"/></w:tblGrid>"
                "<w:tr><w:tc>" + para(run("mid")) + "</w:tc></w:tr></w:tbl>"
              + para(run(QStringLiteral("into the margin")), "<w:ind w:left=\"-1080\" w:firstLine=\"1080\"/>") + kA4)
        .save(path);
    start({path});
    host::StoryView* main = windowOf(1)->mainView();
    QTextTable* table = firstTable(main);
    ASSERT_NE(table, nullptr);
    QAbstractTextDocumentLayout* layout = main->document()->documentLayout();
    const auto rect = [&](QTextTable* t, int row, int column) {
        return layout->blockBoundingRect(t->cellAt(row, column).firstCursorPosition().block());
    };
    // Each cell's text sits its table's margins in; a row of a least height is that tall, its
    // bottom-aligned text at its foot.
    const QTextFrameFormat page = main->document()->rootFrame()->frameFormat();
    EXPECT_NEAR(rect(table, 0, 1).left() - rect(table, 0, 0).left(), px(3000), 1.5);
    EXPECT_NEAR(rect(table, 0, 0).left() - page.leftMargin(), px(300), 1.5);
    EXPECT_NEAR(rect(table, 0, 0).top() - page.topMargin(), px(150), 1.5);
    EXPECT_NEAR(rect(table, 1, 0).bottom() - rect(table, 1, 1).top(), px(900 - 150), 1.5);
    // A centred table stands mid column.
    QTextTable* centred = qobject_cast<QTextTable*>(main->document()->frameAt(blockStarting(main, "mid").position()));
    ASSERT_NE(centred, nullptr);
    EXPECT_NEAR(rect(centred, 0, 0).left() - px(108) - page.leftMargin(), px(8504 - 3000) / 2, 1.5);

    // A right-to-left paragraph's indent is at its start, the right, and its stops count from
    // there: a contents line's page number reaches the column's left edge.
    const QTextBlock entry = blockStarting(main, QStringLiteral("فصل"));
    ASSERT_TRUE(entry.isValid() && entry.layout()->lineCount() == 1);
    const QTextLine line = entry.layout()->lineAt(0);
    EXPECT_NEAR(line.x(), 0, 1.0);
    EXPECT_NEAR(line.width(), px(8504 - 567), 1.0);
    EXPECT_NEAR(line.naturalTextRect().left(), 0, 1.0);
    // An indent into the page's margin stops at the column's edge.
    EXPECT_NEAR(blockStarting(main, "into").layout()->lineAt(0).x(), 0, 0.5);
}
