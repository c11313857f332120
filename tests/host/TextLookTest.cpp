// The document window lays text out as the document says: tab stops and their leaders, the
// section's line grid and line spacing, cell margins, right-to-left paragraphs.
#include "host/StoryView.h"
#include "tests/host/HostFixture.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QImage>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <QTextTable>

using namespace hostfixture;

namespace {

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

// A4 with 1701-twip margins: the text column is 8504 twips wide.
TEST_F(HostTest, ARightTabWithADotLeaderPutsThePageNumberAtTheRightMargin)
{
    const QString tabs = "<w:tabs><w:tab w:val=\"right\" w:leader=\"dot\" w:pos=\"8504\"/></w:tabs>";
    const QString path = dir.filePath("contents.docx");
    DocxBuilder()
        .body(para(run("Chapter one") + "<w:r><w:tab/></w:r>" + run("12"), tabs)
              + para(run("A") + "<w:r><w:tab/></w:r>" + run("centred"), "<w:tabs><w:tab w:val=\"center\" w:pos=\"3000\"/></w:tabs>")
              + para(run("Section two") + "<w:r><w:tab/></w:r>" + run("34"), tabs + "<w:ind w:left=\"567\" w:firstLine=\"300\"/>")
              + para(run("(a)") + "<w:r><w:tab/></w:r>" + run("hanging"), "<w:ind w:left=\"720\" w:hanging=\"360\"/>")
              + "<w:sectPr><w:pgSz w:w=\"11906\" w:h=\"16838\"/><w:pgMar w:top=\"1985\" w:bottom=\"1701\" w:left=\"1701\" w:right=\"1701\"/></w:sectPr>")
        .save(path);
    start({path});
    host::StoryView* main = windowOf(1)->mainView();
    const QTextBlock entry = blockStarting(main, QStringLiteral("Chapter one"));
    ASSERT_TRUE(entry.isValid());
    const QTextLine line = entry.layout()->lineAt(0);
    ASSERT_EQ(entry.layout()->lineCount(), 1);
    const int number = static_cast<int>(entry.text().indexOf(u'1'));
    EXPECT_NEAR(line.cursorToX(entry.length() - 1), px(8504), 1.0);
    const double gapFrom = line.cursorToX(number - 1), gapTo = line.cursorToX(number);
    EXPECT_GT(gapTo - gapFrom, px(8504) / 2);
    const QTextBlock centred = blockStarting(main, QStringLiteral("A"));
    ASSERT_TRUE(centred.isValid());
    const QTextLine centredLine = centred.layout()->lineAt(0);
    const double middle = (centredLine.cursorToX(2) + centredLine.cursorToX(centred.length() - 1)) / 2;
    EXPECT_NEAR(middle, px(3000), 1.0);

    // Stops are measured from the column's edge, whatever the paragraph's indents.
    const QTextBlock indented = blockStarting(main, QStringLiteral("Section two"));
    ASSERT_TRUE(indented.isValid());
    EXPECT_EQ(indented.layout()->lineCount(), 1);
    EXPECT_NEAR(indented.layout()->lineAt(0).cursorToX(indented.length() - 1), px(8504), 1.0);
    const QTextBlock hanging = blockStarting(main, QStringLiteral("(a)"));
    ASSERT_TRUE(hanging.isValid());
    EXPECT_NEAR(hanging.layout()->lineAt(0).cursorToX(4), px(720), 1.0);

        // The leader fills the gap on the line's baseline; nothing is drawn there without one.
    main->resize(1000, 700);
    main->verticalScrollBar()->setValue(0);
    const QImage shot = main->viewport()->grab().toImage();
    const QPointF origin = main->document()->documentLayout()->blockBoundingRect(entry).topLeft()
                           - QPointF(main->horizontalScrollBar()->value(), 0);
    const auto inkBetween = [&](double from, double to, const QTextLine& l) {   // dark pixels
        int ink = 0;
        const int y0 = static_cast<int>(origin.y() + l.y()), y1 = static_cast<int>(origin.y() + l.y() + l.height());
        for (int x = static_cast<int>(origin.x() + from) + 4; x < static_cast<int>(origin.x() + to) - 4; ++x)
            for (int y = y0; y < y1; ++y)
                ink += qGray(shot.pixel(x, y)) < 128;
        return ink;
    };
    const int leader = inkBetween(gapFrom, gapTo, line);
    EXPECT_GT(leader, static_cast<int>((gapTo - gapFrom) / 8)) << "dots drawn: " << leader;
}

TEST_F(HostTest, ASectionsLineGridGivesLinesItsPitchAndExactSpacingHoldsWhateverTheFont)
{
    const QString threeLines = run(QStringLiteral("一行目")) + "<w:r><w:br/></w:r>" + run(QStringLiteral("二行目"))
                               + "<w:r><w:br/></w:r>" + run(QStringLiteral("三行目"));
    const QString calibri = "<w:rFonts w:ascii=\"Calibri\" w:hAnsi=\"Calibri\"/>";   // a font with a wide line gap
    const QString path = dir.filePath("grid.docx");
    DocxBuilder()
        .body(para(threeLines)
              + para(threeLines, "<w:spacing w:line=\"360\" w:lineRule=\"auto\"/>")
              + para(run("Latin one", calibri) + "<w:r><w:br/></w:r>" + run("Latin two", calibri) + "<w:r><w:br/></w:r>"
                         + run("Latin three", calibri), "<w:snapToGrid w:val=\"0\"/><w:spacing w:line=\"276\" w:lineRule=\"auto\"/>")
              + para(run(QStringLiteral("大きい")) + "<w:r><w:br/></w:r>" + run(QStringLiteral("大きい")),
                     "<w:spacing w:line=\"300\" w:lineRule=\"exact\"/><w:rPr><w:sz w:val=\"48\"/></w:rPr>")
              + "<w:sectPr><w:docGrid w:type=\"lines\" w:linePitch=\"360\"/></w:sectPr>")
        .save(path);
    start({path});
    host::StoryView* main = windowOf(1)->mainView();
    std::vector<QTextBlock> blocks;
    for (QTextBlock b = main->document()->begin(); b.isValid(); b = b.next())
        if (b.text().startsWith(QStringLiteral("一行目")) || b.text().startsWith(QStringLiteral("大きい")) || b.text().startsWith("Latin"))
            blocks.push_back(b);
    ASSERT_EQ(blocks.size(), 4u);
    const auto pitch = [](const QTextBlock& b) {
        const QTextLayout* l = b.layout();
        return l->lineCount() < 3 ? l->lineAt(1).y() - l->lineAt(0).y() : l->lineAt(2).y() - l->lineAt(1).y();
    };
    EXPECT_NEAR(pitch(blocks[0]), px(360), 0.5);          // 18 pt a line
    EXPECT_NEAR(pitch(blocks[1]), px(360) * 1.5, 0.5);    // one and a half lines of the grid
    // Off the grid: 1.15 times as tall as the font reaches, with no line gap.
    QTextCursor at(blocks[2]);
    at.setPosition(blocks[2].position() + 1);
    const QFontMetricsF font(at.charFormat().font());
    EXPECT_NEAR(pitch(blocks[2]), (font.ascent() + font.descent()) * 1.15, 1.0);
    EXPECT_NEAR(pitch(blocks[3]), px(300), 0.5);          // exact, though the font is taller
}

TEST_F(HostTest, CellsKeepTheirMarginsRowsTheirLeastHeightAndARightToLeftParagraphStartsAtTheRight)
{
    const QString path = dir.filePath("margins.docx");
    DocxBuilder()
        .body("<w:tbl><w:tblPr><w:tblCellMar><w:top w:w=\"150\" w:type=\"dxa\"/><w:left w:w=\"300\" w:type=\"dxa\"/>"
              "</w:tblCellMar></w:tblPr><w:tblGrid><w:gridCol w:w=\"3000\"/><w:gridCol w:w=\"3000\"/></w:tblGrid>"
              "<w:tr><w:tc>" + para(run("left")) + "</w:tc><w:tc>" + para(run("right")) + "</w:tc></w:tr>"
              "<w:tr><w:trPr><w:trHeight w:val=\"900\"/></w:trPr><w:tc><w:tcPr><w:vAlign w:val=\"bottom\"/></w:tcPr>"
              + para(run("low")) + "</w:tc><w:tc>" + para(run("high")) + "</w:tc></w:tr></w:tbl>"
              + para(run(QStringLiteral("من اليمين")), "<w:bidi/>")
              + para(run(QStringLiteral("فصل")) + "<w:r><w:tab/></w:r>" + run("12"),
                     "<w:bidi/><w:ind w:left=\"567\"/><w:tabs><w:tab w:val=\"right\" w:leader=\"dot\" w:pos=\"8504\"/></w:tabs>"))
        .save(path);
    start({path});
    host::StoryView* main = windowOf(1)->mainView();
    QTextTable* table = firstTable(main);
    ASSERT_NE(table, nullptr);
    QAbstractTextDocumentLayout* layout = main->document()->documentLayout();
    const QTextBlock first = table->cellAt(0, 0).firstCursorPosition().block();
    const QTextBlock second = table->cellAt(0, 1).firstCursorPosition().block();
    // The second cell's text starts a column's width after the first's; each sits its margins in.
    const QRectF a = layout->blockBoundingRect(first), b = layout->blockBoundingRect(second);
    EXPECT_NEAR(b.left() - a.left(), px(3000), 1.5);
    const QTextFrameFormat page = main->document()->rootFrame()->frameFormat();
    EXPECT_NEAR(a.left() - page.leftMargin(), px(300), 1.5);
    EXPECT_NEAR(a.top() - page.topMargin(), px(150), 1.5);

    // A row of a least height is that tall, its bottom-aligned text at its foot.
    const QRectF low = layout->blockBoundingRect(table->cellAt(1, 0).firstCursorPosition().block());
    const QRectF high = layout->blockBoundingRect(table->cellAt(1, 1).firstCursorPosition().block());
    EXPECT_NEAR(low.bottom() - high.top(), px(900 - 150), 1.5);

    const QTextBlock rtl = blockStarting(main, QStringLiteral("من"));
    ASSERT_TRUE(rtl.isValid());
    const QTextLine line = rtl.layout()->lineAt(0);
    const QTextBlock after = table->lastCursorPosition().block().next();
    EXPECT_EQ(after.position(), rtl.position());
    // Its text ends at the column's right edge, where a left-to-right paragraph's would begin at the left.
    EXPECT_GT(line.naturalTextRect().left(), line.width() / 2);
    // Its indent is at its start, the right, and its stops are measured from there: a contents
    // line's page number reaches the column's left edge.
    const QTextBlock entry = blockStarting(main, QStringLiteral("فصل"));
    ASSERT_TRUE(entry.isValid());
    ASSERT_EQ(entry.layout()->lineCount(), 1);
    const QTextLine entryLine = entry.layout()->lineAt(0);
    EXPECT_NEAR(entryLine.x(), 0, 1.0);
    EXPECT_NEAR(entryLine.width(), px(8504 - 567), 1.0);
    EXPECT_NEAR(entryLine.naturalTextRect().left(), 0, 1.0);
}

TEST_F(HostTest, ACentredTableStandsMidColumnAndDefaultStopsCountFromTheColumnsEdge)
{
    const QString path = dir.filePath("centred.docx");
    DocxBuilder()
        .body(para(run("a") + "<w:r><w:tab/></w:r>" + run("b"), "<w:ind w:firstLine=\"300\"/>")
              + para(run(QStringLiteral("into the margin")), "<w:ind w:left=\"-1080\" w:firstLine=\"1080\"/>")
              + "<w:tbl><w:tblPr><w:jc w:val=\"center\"/></w:tblPr><w:tblGrid><w:gridCol w:w=\"3000\"/></w:tblGrid>"
                "<w:tr><w:tc>" + para(run("mid")) + "</w:tc></w:tr></w:tbl>"
              + para(run("after"))
              + "<w:sectPr><w:pgSz w:w=\"11906\" w:h=\"16838\"/><w:pgMar w:top=\"1985\" w:bottom=\"1701\" w:left=\"1701\" w:right=\"1701\"/></w:sectPr>")
        .part("word/settings.xml", part("settings", "<w:defaultTabStop w:val=\"840\"/>"))
        .save(path);
    start({path});
    host::StoryView* main = windowOf(1)->mainView();
    const QTextBlock tabbed = blockStarting(main, QStringLiteral("a\tb"));
    ASSERT_TRUE(tabbed.isValid());
    EXPECT_NEAR(tabbed.layout()->lineAt(0).cursorToX(2), px(840), 1.0);
    // An indent into the page's margin stops at the column's edge.
    const QTextBlock outdented = blockStarting(main, QStringLiteral("into"));
    ASSERT_TRUE(outdented.isValid());
    EXPECT_NEAR(outdented.layout()->lineAt(0).x(), 0, 0.5);

    QTextTable* table = firstTable(main);
    ASSERT_NE(table, nullptr);
    const QRectF cell = main->document()->documentLayout()->blockBoundingRect(table->cellAt(0, 0).firstCursorPosition().block());
    const double column = main->document()->rootFrame()->frameFormat().leftMargin();
    EXPECT_NEAR(cell.left() - px(108) - column, px(8504 - 3000) / 2, 1.5);
}
