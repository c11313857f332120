// How stories look, read only when asked: tables' merges, list labels, run and paragraph looks,
// pages and pictures.
#include "platform/docx/Package.h"
#include "tests/docx/Fixture.h"
#include "tests/support/WordXml.h"

#include <QRectF>

#include <gtest/gtest.h>

#include <tuple>

using namespace wordxml;

namespace {

docx::Document loadShown(const DocxBuilder& b)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("looks.docx");
    b.save(path);
    docx::LoadOptions options;
    options.looks = true;
    return docx::load(path, options);
}

QString cell(const QString& text, const QString& tcPr = {})
{
    return "<w:tc>" + (tcPr.isEmpty() ? QString() : "<w:tcPr>" + tcPr + "</w:tcPr>") + para(run(text)) + "</w:tc>";
}

const QString kNumbering = part("numbering",
    "<w:abstractNum w:abstractNumId=\"4\">"
    "<w:lvl w:ilvl=\"0\"><w:start w:val=\"1\"/><w:numFmt w:val=\"decimal\"/><w:lvlText w:val=\"%1.\"/>"
    "<w:pPr><w:ind w:left=\"720\" w:hanging=\"360\"/></w:pPr></w:lvl>"
    "<w:lvl w:ilvl=\"1\"><w:start w:val=\"1\"/><w:numFmt w:val=\"lowerLetter\"/><w:lvlText w:val=\"%1-%2)\"/></w:lvl>"
    "</w:abstractNum>"
    "<w:abstractNum w:abstractNumId=\"5\"><w:lvl w:ilvl=\"0\"><w:numFmt w:val=\"bullet\"/>"
    "<w:lvlText w:val=\"\xEF\x82\xB7\"/></w:lvl></w:abstractNum>"
    "<w:num w:numId=\"1\"><w:abstractNumId w:val=\"4\"/></w:num>"
    "<w:num w:numId=\"2\"><w:abstractNumId w:val=\"5\"/></w:num>");

QString listItem(const QString& text, int numId, int level)
{
    return para(run(text), QString("<w:numPr><w:ilvl w:val=\"%1\"/><w:numId w:val=\"%2\"/></w:numPr>").arg(level).arg(numId));
}

} // namespace

TEST(Looks, MergedCellsSpanColumnsAndRowsAndTheGridKeepsItsWidths)
{
    const docx::Document doc = loadShown(DocxBuilder().body(
        "<w:tbl><w:tblPr><w:tblBorders><w:top w:val=\"single\"/></w:tblBorders></w:tblPr>"
        "<w:tblGrid><w:gridCol w:w=\"2000\"/><w:gridCol w:w=\"3000\"/><w:gridCol w:w=\"1000\"/></w:tblGrid>"
        "<w:tr>" + cell("wide", "<w:gridSpan w:val=\"2\"/>") + cell("tall", "<w:vMerge w:val=\"restart\"/><w:shd w:fill=\"FF0000\"/>") + "</w:tr>"
        "<w:tr>" + cell("a") + cell("b") + cell("", "<w:vMerge/>") + "</w:tr></w:tbl>" + para(run("after"))));
    const docx::Story& main = doc.stories[0];
    ASSERT_EQ(main.look.tables.size(), 1u);
    const docx::TableLook& t = main.look.tables[0];
    EXPECT_EQ(t.grid, (std::vector<int32_t>{2000, 3000, 1000}));
    EXPECT_TRUE(t.borders);
    ASSERT_EQ(t.rows.size(), 2u);
    ASSERT_EQ(t.rows[0].size(), 2u);
    EXPECT_EQ(t.rows[0][0].span, 2);
    EXPECT_EQ(t.rows[0][1].column, 2);
    EXPECT_EQ(t.rows[0][1].rowSpan, 2);
    EXPECT_EQ(t.rows[0][1].shading, 0x0000FF);   // COLORREF: red in the low byte
    EXPECT_TRUE(t.rows[1][2].merged);
    EXPECT_EQ(t.rows[1][1].column, 1);
    // Cells run from their first character to their mark.
    EXPECT_EQ(main.text.mid(t.rows[0][0].start, t.rows[0][0].end - t.rows[0][0].start), QStringLiteral("wide"));
    EXPECT_EQ(main.text[t.rows[0][0].end], QChar(docx::cp::CellMark));
    EXPECT_EQ(main.text.mid(t.end + 1), QStringLiteral("after\r"));
}

TEST(Looks, ANestedTableFollowsTheTableHoldingItAndKeepsItsOwnCells)
{
    const docx::Document doc = loadShown(DocxBuilder().body(
        "<w:tbl><w:tr><w:tc><w:tbl><w:tr>" + cell("x") + cell("y") + "</w:tr></w:tbl>" + para(run("z")) + "</w:tc>"
        + cell("w") + "</w:tr></w:tbl>"));
    const docx::Story& main = doc.stories[0];
    ASSERT_EQ(main.look.tables.size(), 2u);
    const docx::TableLook& outer = main.look.tables[0];
    const docx::TableLook& inner = main.look.tables[1];
    EXPECT_EQ(outer.start, inner.start);
    ASSERT_EQ(outer.rows.size(), 1u);
    ASSERT_EQ(outer.rows[0].size(), 2u);
    ASSERT_EQ(inner.rows[0].size(), 2u);
    EXPECT_EQ(main.text.mid(inner.rows[0][1].start, 1), QStringLiteral("y"));
    EXPECT_LT(inner.end, outer.rows[0][0].end);
    EXPECT_EQ(main.text.mid(outer.rows[0][1].start, 1), QStringLiteral("w"));
}

TEST(Looks, ListLabelsCountPerListAndLevelAndStayOutOfTheText)
{
    const docx::Document doc = loadShown(DocxBuilder()
        .body(listItem("one", 1, 0) + listItem("sub", 1, 1) + listItem("sub2", 1, 1) + listItem("two", 1, 0)
              + listItem("sub again", 1, 1) + listItem("dot", 2, 0) + para(run("plain")))
        .part("word/numbering.xml", kNumbering)
        .relationship("rIdNum", "numbering", "numbering.xml"));
    const docx::Story& main = doc.stories[0];
    EXPECT_EQ(main.text, QStringLiteral("one\rsub\rsub2\rtwo\rsub again\rdot\rplain\r"));
    QStringList labels;
    for (const docx::ParaLook& p : main.look.paras)
        labels << p.label;
    EXPECT_EQ(labels, (QStringList{"1.", "1-a)", "1-b)", "2.", "2-a)", "•", ""}));
    // The level's indents apply under the paragraph's own.
    EXPECT_EQ(main.look.paras[0].left, 720);
    EXPECT_EQ(main.look.paras[0].firstLine, -360);
}

TEST(Looks, RunsResolveThroughStylesThemeFontsAndDirectFormattingAndParagraphsKeepTheirStyle)
{
    const QString styles = part("styles",
        "<w:docDefaults><w:rPrDefault><w:rPr><w:sz w:val=\"21\"/><w:rFonts w:ascii=\"Arial\" w:asciiTheme=\"minorHAnsi\" w:eastAsiaTheme=\"minorEastAsia\"/></w:rPr></w:rPrDefault></w:docDefaults>"
        "<w:style w:type=\"paragraph\" w:styleId=\"Heading1\"><w:pPr><w:jc w:val=\"center\"/><w:spacing w:before=\"240\" w:after=\"120\"/></w:pPr>"
        "<w:rPr><w:b/><w:sz w:val=\"32\"/></w:rPr></w:style>");
    const docx::Document doc = loadShown(DocxBuilder()
        .body(para(run("Title"), "<w:pStyle w:val=\"Heading1\"/>")
              + para(run("x", "<w:i/><w:u w:val=\"wave\"/><w:vertAlign w:val=\"superscript\"/><w:smallCaps/>")
                     + run("y", "<w:sz w:val=\"18\"/><w:highlight w:val=\"green\"/>"), "<w:ind w:firstLine=\"210\"/>")
              + "<w:sectPr><w:pgSz w:w=\"16838\" w:h=\"11906\"/><w:pgMar w:top=\"720\" w:bottom=\"720\" w:left=\"1000\" w:right=\"900\" w:header=\"300\" w:footer=\"400\"/></w:sectPr>")
        .part("word/styles.xml", styles)
        .part("word/theme/theme1.xml",
              "<a:theme xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\"><a:themeElements>"
              "<a:clrScheme name=\"x\"><a:dk1><a:srgbClr val=\"000000\"/></a:dk1></a:clrScheme>"
              "<a:fontScheme name=\"x\"><a:majorFont><a:latin typeface=\"Cambria\"/></a:majorFont>"
              "<a:minorFont><a:latin typeface=\"Century\"/><a:ea typeface=\"\"/><a:font script=\"Jpan\" typeface=\"ＭＳ 明朝\"/>"
              "</a:minorFont></a:fontScheme></a:themeElements></a:theme>")
        .relationship("rIdTheme", "theme", "theme/theme1.xml"));
    const docx::Look& look = doc.stories[0].look;
    const auto at = [&look](int32_t p) {
        docx::RunLook found;
        for (const docx::RunLookRun& r : look.runs)
            if (r.start <= p)
                found = r.look;
        return found;
    };
    EXPECT_TRUE(at(0).bold);
    EXPECT_EQ(at(0).halfPoints, 32);
    EXPECT_EQ(at(0).latinFont, QStringLiteral("Century"));
    EXPECT_EQ(at(0).eastAsiaFont, QStringLiteral("ＭＳ 明朝"));
    const docx::RunLook x = at(6), y = at(7);
    EXPECT_FALSE(x.bold);
    EXPECT_TRUE(x.italic && x.smallCaps);
    EXPECT_EQ(x.underline, docx::Underline::Wavy);
    EXPECT_EQ(x.vertAlign, docx::VertAlign::Super);
    EXPECT_EQ(x.halfPoints, 21);
    EXPECT_EQ(y.halfPoints, 18);
    EXPECT_EQ(y.highlight, 0x00FF00);
    ASSERT_EQ(look.paras.size(), 2u);
    EXPECT_EQ(look.paras[0].align, docx::Align::Center);
    EXPECT_EQ(look.paras[0].before, 240);
    EXPECT_EQ(look.paras[0].after, 120);
    EXPECT_EQ(look.paras[1].start, 6);
    EXPECT_EQ(look.paras[1].firstLine, 210);
    const docx::PageLook& page = doc.sections[0].page;
    EXPECT_EQ(page.width, 16838);
    EXPECT_EQ(page.height, 11906);
    EXPECT_EQ(page.left, 1000);
    EXPECT_EQ(page.right, 900);
    EXPECT_EQ(page.footer, 400);
}

TEST(Looks, PicturesKeepTheirSizePartAndTextAndOnlyAShownDocumentReadsAnyLook)
{
    const QString drawing =
        "<w:r><w:drawing><wp:inline><wp:extent cx=\"635000\" cy=\"317500\"/><wp:docPr id=\"1\" name=\"p\" descr=\"a logo\"/>"
        "<a:graphic><a:graphicData><pic:pic xmlns:pic=\"http://schemas.openxmlformats.org/drawingml/2006/picture\">"
        "<pic:blipFill><a:blip r:embed=\"rIdImg\"/></pic:blipFill></pic:pic></a:graphicData></a:graphic>"
        "</wp:inline></w:drawing></w:r>";
    const DocxBuilder b = DocxBuilder()
                              .body(para(run("see ") + drawing))
                              .relationship("rIdImg", "image", "media/logo.png")
                              .raw("word/media/logo.png", QByteArray("not really a png"));
    const docx::Document shown = loadShown(b);
    const docx::Look& look = shown.stories[0].look;
    ASSERT_EQ(look.pictures.size(), 1u);
    EXPECT_EQ(look.pictures[0].pos, 4);
    EXPECT_EQ(shown.stories[0].text[4], QChar(docx::cp::Graphic));
    EXPECT_EQ(look.pictures[0].width, 1000);
    EXPECT_EQ(look.pictures[0].height, 500);
    EXPECT_EQ(look.pictures[0].altText, QStringLiteral("a logo"));
    EXPECT_EQ(look.pictures[0].media, QStringLiteral("word/media/logo.png"));
    EXPECT_EQ(shown.media.at(QStringLiteral("word/media/logo.png")), QByteArray("not really a png"));

    const docx::Document searched = loadBuilt(b);
    EXPECT_TRUE(searched.stories[0].look.empty());
    EXPECT_TRUE(searched.stories[0].look.pictures.empty());
    EXPECT_TRUE(searched.media.empty());
    EXPECT_EQ(searched.stories[0].text, shown.stories[0].text);
}

TEST(Looks, AnEditMovesTheLooksAfterItAndDropsPicturesItRemoves)
{
    docx::Look look;
    docx::RunLook bold;
    bold.bold = true;
    look.set(0, {});
    look.set(4, bold);
    look.set(8, {});
    look.paras.push_back({});
    look.paras.push_back({});
    look.paras.back().start = 10;
    look.pictures.push_back({});
    look.pictures.back().pos = 5;
    look.pictures.push_back({});
    look.pictures.back().pos = 12;

    look.replace(3, 6, 1);   // three positions become one
    // The inserted character looks like the one it replaced first; the rest keep theirs.
    ASSERT_EQ(look.runs.size(), 3u);
    EXPECT_EQ(look.runs[1].start, 4);
    EXPECT_TRUE(look.runs[1].look.bold);
    EXPECT_EQ(look.runs[2].start, 6);
    EXPECT_FALSE(look.runs[2].look.bold);
    EXPECT_EQ(look.paras[1].start, 8);
    ASSERT_EQ(look.pictures.size(), 1u);
    EXPECT_EQ(look.pictures[0].pos, 10);
}

TEST(Looks, AnchoredDrawingsKeepTheirPlaceWrapAndTextBox)
{
    const QString png = picture("rIdImg");
    const QString body = para(
        run("a")
        // A picture set off from the column and the paragraph, text kept above and below it.
        + anchored(position("H", "column", "635000") + position("V", "paragraph", "-127000"), "<wp:wrapTopAndBottom/>",
                   png, 1270000, 635000, "distT=\"63500\" distB=\"127000\" behindDoc=\"0\"")
        // Centred on the page, at the top margin's foot, behind the text.
        + anchored(position("H", "page", "center") + position("V", "margin", "top"), "<wp:wrapNone/>", png, 635000,
                   635000, "distT=\"0\" distB=\"0\" behindDoc=\"1\"")
        + anchored(position("H", "margin", "right") + position("V", "line", "0"), "<wp:wrapSquare wrapText=\"bothSides\"/>",
                   textBoxShape("inside")
                       .replace("<wps:txbx>", "<wps:spPr><a:ln w=\"9525\"><a:noFill/></a:ln></wps:spPr><wps:txbx>")
                       .replace("<wps:bodyPr/>", "<wps:bodyPr><a:spAutoFit/></wps:bodyPr>"),
                   1905000, 317500))
        + para("<w:r><w:pict><v:shape style=\"position:absolute;margin-left:90pt;margin-top:-7.5pt;width:2in;height:20pt;"
                   "z-index:2;mso-position-horizontal-relative:page;mso-position-vertical-relative:margin\" stroked=\"f\">"
                   "<w10:wrap xmlns:w10=\"urn:schemas-microsoft-com:office:word\" type=\"topAndBottom\"/>"
                   "<v:textbox><w:txbxContent><w:p/></w:txbxContent></v:textbox></v:shape></w:pict></w:r>");
    const docx::Document doc = loadShown(DocxBuilder().body(body).relationship("rIdImg", "image", "media/p.png")
                                             .raw("word/media/p.png", QByteArray("png")));
    const docx::Look& look = doc.stories[0].look;
    ASSERT_EQ(look.pictures.size(), 4u);

    const docx::PictureLook& first = look.pictures[0];
    EXPECT_TRUE(first.anchored);
    EXPECT_EQ(doc.stories[0].text[first.pos], QChar(docx::cp::ShapeAnchor));
    EXPECT_EQ(first.width, 2000);
    EXPECT_EQ(first.height, 1000);
    EXPECT_EQ(first.horizontal, (docx::AnchorPlace{docx::AnchorFrom::Column, docx::AnchorAlign::None, 1000}));
    EXPECT_EQ(first.vertical, (docx::AnchorPlace{docx::AnchorFrom::Paragraph, docx::AnchorAlign::None, -200}));
    EXPECT_EQ(first.wrap, docx::Wrap::TopAndBottom);
    EXPECT_EQ(first.distTop, 100);
    EXPECT_EQ(first.distBottom, 200);
    EXPECT_FALSE(first.textBox);

    const docx::PictureLook& behind = look.pictures[1];
    EXPECT_EQ(behind.horizontal.from, docx::AnchorFrom::Page);
    EXPECT_EQ(behind.horizontal.align, docx::AnchorAlign::Center);
    EXPECT_EQ(behind.vertical.from, docx::AnchorFrom::Margin);
    EXPECT_EQ(behind.vertical.align, docx::AnchorAlign::Start);
    EXPECT_EQ(behind.wrap, docx::Wrap::Behind);

    // A text box's drawing is kept for its place though it shows no picture; its story is the
    // text box anchored at the same position.
    const docx::PictureLook& box = look.pictures[2];
    EXPECT_TRUE(box.textBox);
    EXPECT_TRUE(box.media.isEmpty());
    EXPECT_EQ(box.horizontal.align, docx::AnchorAlign::End);
    EXPECT_EQ(box.vertical.from, docx::AnchorFrom::Line);
    EXPECT_EQ(box.wrap, docx::Wrap::Square);
    EXPECT_FALSE(box.shape.outlined);
    EXPECT_TRUE(box.fitsText);
    EXPECT_TRUE(first.shape.outlined);
    ASSERT_EQ(doc.textBoxes.size(), 2u);
    EXPECT_EQ(doc.textBoxes[0].anchorPos, box.pos);
    EXPECT_EQ(doc.stories[static_cast<size_t>(doc.textBoxes[0].story)].text.left(6), QStringLiteral("inside"));

    // VML: the style's margins, relative areas and size; w10:wrap.
    const docx::PictureLook& vml = look.pictures[3];
    EXPECT_TRUE(vml.textBox);
    EXPECT_EQ(vml.width, 2880);
    EXPECT_EQ(vml.height, 400);
    EXPECT_EQ(vml.horizontal, (docx::AnchorPlace{docx::AnchorFrom::Page, docx::AnchorAlign::None, 1800}));
    EXPECT_EQ(vml.vertical, (docx::AnchorPlace{docx::AnchorFrom::Margin, docx::AnchorAlign::None, -150}));
    EXPECT_EQ(vml.wrap, docx::Wrap::TopAndBottom);
    EXPECT_FALSE(vml.shape.outlined);
    EXPECT_FALSE(vml.fitsText);
    EXPECT_EQ(doc.textBoxes[1].anchorPos, vml.pos);
}

TEST(Looks, ParagraphsKeepHowTheyBreakOverPagesAndSectionsWhereTheyStart)
{
    const QString styles = part("styles",
        "<w:style w:type=\"paragraph\" w:styleId=\"Heading1\"><w:pPr><w:keepNext/><w:keepLines/></w:pPr></w:style>"
        "<w:style w:type=\"paragraph\" w:styleId=\"Plain\"><w:pPr><w:widowControl w:val=\"0\"/></w:pPr></w:style>");
    const docx::Document doc = loadShown(DocxBuilder()
        .body(para(run("Title"), "<w:pStyle w:val=\"Heading1\"/>")
              + para(run("body"), "<w:pStyle w:val=\"Plain\"/><w:sectPr><w:type w:val=\"continuous\"/></w:sectPr>")
              + para(run("own"), "<w:pStyle w:val=\"Heading1\"/><w:keepNext w:val=\"false\"/><w:pageBreakBefore/>"
                                 "<w:sectPr><w:type w:val=\"evenPage\"/><w:pgNumType w:start=\"5\"/></w:sectPr>")
              + para(run("last")) + "<w:sectPr><w:type w:val=\"oddPage\"/></w:sectPr>")
        .part("word/styles.xml", styles));
    const std::vector<docx::ParaLook>& paras = doc.stories[0].look.paras;
    ASSERT_EQ(paras.size(), 4u);
    EXPECT_TRUE(paras[0].keepNext && paras[0].keepLines && paras[0].widowControl);
    EXPECT_FALSE(paras[0].pageBreakBefore);
    EXPECT_FALSE(paras[1].keepNext || paras[1].keepLines || paras[1].widowControl);
    EXPECT_FALSE(paras[2].keepNext);   // its own setting over its style's
    EXPECT_TRUE(paras[2].keepLines && paras[2].pageBreakBefore);
    EXPECT_TRUE(paras[3].widowControl);   // on unless turned off
    ASSERT_EQ(doc.sections.size(), 3u);
    EXPECT_EQ(doc.sections[0].page.start, docx::SectionStart::Continuous);
    EXPECT_EQ(doc.sections[1].page.start, docx::SectionStart::EvenPage);
    EXPECT_EQ(doc.sections[1].page.numberStart, 5);
    EXPECT_EQ(doc.sections[2].page.numberStart, -1);
    EXPECT_EQ(doc.sections[2].page.start, docx::SectionStart::OddPage);

    // A table's leading rows marked as header rows; a later one marked does not count.
    const QString header = "<w:tr><w:trPr><w:tblHeader/></w:trPr>" + cell("h") + "</w:tr>";
    const docx::Document table = loadShown(DocxBuilder().body(
        "<w:tbl>" + header + header + "<w:tr>" + cell("body") + "</w:tr>" + header + "</w:tbl>" + para(run("after"))));
    ASSERT_EQ(table.stories[0].look.tables.size(), 1u);
    EXPECT_EQ(table.stories[0].look.tables[0].headerRows, 2);

    // A row kept whole on one page.
    const docx::Document kept = loadShown(DocxBuilder().body(
        "<w:tbl><w:tr>" + cell("a") + "</w:tr><w:tr><w:trPr><w:cantSplit/></w:trPr>" + cell("b") + "</w:tr><w:tr>"
        + cell("c") + "</w:tr></w:tbl>" + para(run("after"))));
    EXPECT_EQ(kept.stories[0].look.tables[0].keptWhole, (std::vector<bool>{false, true}));
}

TEST(Looks, TabStopsAddUpThroughStylesTheLineGridIsItsSectionsOnlyAndTablesKeepTheirPlaceAndMargins)
{
    const QString styles = part("styles",
        "<w:style w:type=\"paragraph\" w:styleId=\"Base\"><w:pPr><w:tabs><w:tab w:val=\"left\" w:pos=\"500\"/>"
        "<w:tab w:val=\"bar\" w:pos=\"700\"/></w:tabs></w:pPr></w:style>"
        "<w:style w:type=\"paragraph\" w:styleId=\"Contents\"><w:basedOn w:val=\"Base\"/><w:pPr><w:tabs>"
        "<w:tab w:val=\"right\" w:leader=\"dot\" w:pos=\"9000\"/></w:tabs><w:bidi/>"
        "<w:spacing w:before=\"100\" w:after=\"200\"/><w:contextualSpacing/></w:pPr></w:style>"
        "<w:style w:type=\"table\" w:styleId=\"Roomy\"><w:tblPr><w:tblCellMar><w:top w:w=\"60\" w:type=\"dxa\"/>"
        "<w:left w:w=\"200\" w:type=\"dxa\"/></w:tblCellMar></w:tblPr></w:style>");
    const QString grid = "<w:docGrid w:type=\"lines\" w:linePitch=\"360\"/>";
    const QString table = "<w:tbl><w:tblPr>%1</w:tblPr><w:tblGrid><w:gridCol w:w=\"2000\"/></w:tblGrid><w:tr>" + cell("c", "<w:vAlign w:val=\"center\"/>") + "</w:tr></w:tbl>";
    const docx::Document doc = loadShown(DocxBuilder()
        .body(para(run("styled"), "<w:pStyle w:val=\"Contents\"/>")
              + para(run("own"), "<w:pStyle w:val=\"Contents\"/><w:tabs><w:tab w:val=\"clear\" w:pos=\"500\"/>"
                                 "<w:tab w:val=\"center\" w:pos=\"3000\"/></w:tabs><w:spacing w:line=\"300\" w:lineRule=\"exact\"/>")
              + para(run("off grid"), "<w:snapToGrid w:val=\"0\"/><w:spacing w:line=\"400\" w:lineRule=\"atLeast\"/>")
              + table.arg("<w:tblStyle w:val=\"Roomy\"/><w:jc w:val=\"center\"/>")
              + para(run("end of the first section"), "<w:sectPr>" + grid + "</w:sectPr>")
              + table.arg("<w:tblStyle w:val=\"Roomy\"/><w:tblInd w:w=\"300\" w:type=\"dxa\"/><w:tblCellMar><w:left w:w=\"0\" w:type=\"dxa\"/></w:tblCellMar>")
              + para(run("second"))
              + "<w:sectPr><w:docGrid w:linePitch=\"300\"/></w:sectPr>")
        .part("word/styles.xml", styles)
        .part("word/settings.xml", part("settings", "<w:defaultTabStop w:val=\"840\"/>")));
    const docx::Look& look = doc.stories[0].look;
    EXPECT_EQ(look.defaultTab, 840);
    ASSERT_EQ(look.paras.size(), 7u);
    using docx::TabStop;
    EXPECT_EQ(look.paras[0].tabs, (std::vector<TabStop>{{500}, {9000, docx::TabAlign::Right, docx::TabLeader::Dot}}));
    EXPECT_TRUE(look.paras[0].rightToLeft);
    // A paragraph's own stops come in among its style's, less those it clears.
    EXPECT_EQ(look.paras[1].tabs, (std::vector<TabStop>{{3000, docx::TabAlign::Center}, {9000, docx::TabAlign::Right, docx::TabLeader::Dot}}));
    EXPECT_EQ(look.paras[1].lineRule, docx::LineRule::Exact);
    EXPECT_EQ(look.paras[1].line, 300);
    // Contextual spacing: none between the two paragraphs of one style, but after the second.
    EXPECT_EQ(look.paras[0].after, 0);
    EXPECT_EQ(look.paras[1].before, 0);
    EXPECT_EQ(look.paras[1].after, 200);
    EXPECT_EQ(look.paras[2].lineRule, docx::LineRule::AtLeast);
    EXPECT_TRUE(look.paras[2].tabs.empty());
    // Only a grid of lines sets the pitch, and a paragraph can keep off it.
    for (size_t k : {0u, 1u, 3u, 4u})
        EXPECT_EQ(look.paras[k].gridPitch, 360) << k;
    EXPECT_EQ(look.paras[2].gridPitch, 0);
    EXPECT_EQ(look.paras[6].gridPitch, 0);
    EXPECT_EQ(doc.sections[0].page.linePitch, 360);
    // Cell margins: the table style's, with the sides the table sets itself.
    ASSERT_EQ(look.tables.size(), 2u);
    EXPECT_EQ(look.tables[0].margins, (docx::CellMargins{60, 200, 0, 108}));
    EXPECT_EQ(look.tables[1].margins, (docx::CellMargins{60, 0, 0, 108}));
    EXPECT_EQ(look.tables[0].align, docx::Align::Center);
    EXPECT_EQ(look.tables[1].align, docx::Align::Left);
    EXPECT_EQ(look.tables[1].indent, 300);
    EXPECT_EQ(look.tables[0].rows[0][0].vAlign, docx::CellAlign::Center);
}

TEST(Looks, ShapesKeepTheirGeometryOutlineAndFillFromDrawingMlTheThemeAndVml)
{
    const auto shape = [](const QString& spPr, const QString& style = {}) {
        return anchored(position("H", "column", "0") + position("V", "paragraph", "0"), "<wp:wrapNone/>",
                        "<wps:wsp><wps:spPr>" + spPr + "</wps:spPr>" + style + "<wps:bodyPr/></wps:wsp>", 635000, 317500);
    };
    const QString body = para(
        // A red arrow 2 pt wide from the bottom left to the top right.
        shape("<a:xfrm flipV=\"1\"><a:off x=\"0\" y=\"0\"/><a:ext cx=\"635000\" cy=\"317500\"/></a:xfrm>"
              "<a:prstGeom prst=\"straightConnector1\"><a:avLst/></a:prstGeom>"
              "<a:ln w=\"25400\"><a:solidFill><a:srgbClr val=\"FF0000\"/></a:solidFill><a:tailEnd type=\"triangle\"/></a:ln>")
        // An ellipse in the style's theme colours: filled with accent1, outlined in it shaded to half.
        + shape("<a:prstGeom prst=\"ellipse\"><a:avLst/></a:prstGeom>",
                "<wps:style><a:lnRef idx=\"2\"><a:schemeClr val=\"accent1\"><a:shade val=\"50000\"/></a:schemeClr></a:lnRef>"
                "<a:fillRef idx=\"1\"><a:schemeClr val=\"accent1\"/></a:fillRef><a:effectRef idx=\"0\"><a:schemeClr val=\"accent1\"/></a:effectRef>"
                "<a:fontRef idx=\"minor\"><a:schemeClr val=\"lt1\"/></a:fontRef></wps:style>")
        // A flowchart shape of its own, unfilled and unoutlined: its rectangle, drawing nothing.
        + shape("<a:prstGeom prst=\"flowChartPunchedTape\"/><a:noFill/><a:ln><a:noFill/></a:ln>")
        // VML: a green line placed by its ends, rising to the right, and an unfilled oval.
        + "<w:r><w:pict><v:line style=\"position:absolute;z-index:1\" from=\"10pt,40pt\" to=\"110pt,10pt\" "
          "strokecolor=\"#00ff00\" strokeweight=\"2pt\"><v:stroke endarrow=\"block\"/></v:line></w:pict></w:r>"
        + "<w:r><w:pict><v:oval style=\"position:absolute;width:50pt;height:30pt\" filled=\"f\"/></w:pict></w:r>"
        // A flowchart decision by its VML shape type.
        + "<w:r><w:pict><v:shape type=\"#_x0000_t110\" style=\"position:absolute;width:50pt;height:30pt\" fillcolor=\"#ff0\"/></w:pict></w:r>");
    const docx::Document doc = loadShown(DocxBuilder().body(body)
        .part("word/theme/theme1.xml",
              "<a:theme xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\"><a:themeElements>"
              "<a:clrScheme name=\"x\"><a:dk1><a:srgbClr val=\"000000\"/></a:dk1><a:accent1><a:srgbClr val=\"4472C4\"/></a:accent1>"
              "</a:clrScheme></a:themeElements></a:theme>")
        .relationship("rIdTheme", "theme", "theme/theme1.xml"));
    const std::vector<docx::PictureLook>& shapes = doc.stories[0].look.pictures;
    ASSERT_EQ(shapes.size(), 6u);
    for (const docx::PictureLook& s : shapes)
        EXPECT_TRUE(s.anchored && s.media.isEmpty() && !s.textBox);

    const docx::PictureLook& arrow = shapes[0];
    EXPECT_EQ(arrow.shape.geometry, docx::Geometry::Line);
    EXPECT_TRUE(arrow.shape.flipV && !arrow.shape.flipH);
    EXPECT_TRUE(arrow.shape.outlined);
    EXPECT_EQ(arrow.shape.lineColor, 0x0000FF);   // COLORREF: red in the low byte
    EXPECT_EQ(arrow.shape.lineWidth, 40);
    EXPECT_EQ(arrow.shape.fill, -1);
    EXPECT_TRUE(arrow.shape.arrowAtEnd && !arrow.shape.arrowAtStart);

    const docx::PictureLook& ellipse = shapes[1];
    EXPECT_EQ(ellipse.shape.geometry, docx::Geometry::Ellipse);
    EXPECT_EQ(ellipse.shape.fill, 0xC47244);
    EXPECT_EQ(ellipse.shape.lineColor, 0x623922);

    const docx::PictureLook& tape = shapes[2];
    EXPECT_EQ(tape.shape.geometry, docx::Geometry::Rect);
    EXPECT_FALSE(tape.shape.outlined);
    EXPECT_EQ(tape.shape.fill, -1);

    const docx::PictureLook& line = shapes[3];
    EXPECT_EQ(line.shape.geometry, docx::Geometry::Line);
    EXPECT_EQ(line.width, 2000);
    EXPECT_EQ(line.height, 600);
    EXPECT_EQ(line.horizontal.offset, 200);
    EXPECT_EQ(line.vertical.offset, 200);
    EXPECT_TRUE(line.shape.flipV && !line.shape.flipH);
    EXPECT_EQ(line.shape.lineColor, 0x00FF00);
    EXPECT_EQ(line.shape.lineWidth, 40);
    EXPECT_TRUE(line.shape.arrowAtEnd);

    const docx::PictureLook& oval = shapes[4];
    EXPECT_EQ(oval.shape.geometry, docx::Geometry::Ellipse);
    EXPECT_EQ(oval.width, 1000);
    EXPECT_EQ(oval.shape.fill, -1);
    EXPECT_TRUE(oval.shape.outlined);
    EXPECT_EQ(oval.shape.lineColor, 0);

    EXPECT_EQ(shapes[5].shape.geometry, docx::Geometry::Diamond);
    EXPECT_EQ(shapes[5].shape.fill, 0x00FFFF);
}

TEST(Looks, AGroupKeepsEachMemberAtItsPlaceInTheGroupsExtentAndWhichHoldTextBoxes)
{
    const QString box = "<w:txbxContent>" + para(run("in the box")) + "</w:txbxContent>";
    // DrawingML: child coordinates from (100, 200), 4000 x 2000; a text box in the top left
    // quarter, an ellipse in the bottom right one.
    // Set off from the page's left by 5.9 % of its width (wp14).
    const QString drawingMl = anchored(
        "<wp:positionH relativeFrom=\"page\"><wp14:pctPosHOffset xmlns:wp14=\"http://schemas.microsoft.com/office/"
        "word/2010/wordprocessingDrawing\">5900</wp14:pctPosHOffset></wp:positionH>" + position("V", "paragraph", "0"),
        "<wp:wrapNone/>",
        "<wpg:wgp xmlns:wpg=\"http://schemas.microsoft.com/office/word/2010/wordprocessingGroup\"><wpg:cNvGrpSpPr/>"
        "<wpg:grpSpPr><a:xfrm><a:off x=\"0\" y=\"0\"/><a:ext cx=\"1270000\" cy=\"635000\"/>"
        "<a:chOff x=\"100\" y=\"200\"/><a:chExt cx=\"4000\" cy=\"2000\"/></a:xfrm></wpg:grpSpPr>"
        "<wps:wsp><wps:spPr><a:xfrm><a:off x=\"100\" y=\"200\"/><a:ext cx=\"2000\" cy=\"1000\"/></a:xfrm>"
        "<a:prstGeom prst=\"rect\"/></wps:spPr><wps:txbx>" + box + "</wps:txbx><wps:bodyPr/></wps:wsp>"
        "<wps:wsp><wps:spPr><a:xfrm><a:off x=\"2100\" y=\"1200\"/><a:ext cx=\"2000\" cy=\"1000\"/></a:xfrm>"
        "<a:prstGeom prst=\"ellipse\"/></wps:spPr><wps:bodyPr/></wps:wsp></wpg:wgp>",
        1270000, 635000);
    // VML: coordinates 2000 x 1000 over 200 x 100 pt; a text box at the top left, a red line
    // rising over the right half.
    const QString vml =
        "<w:r><w:pict><v:group style=\"position:absolute;margin-left:10pt;margin-top:10pt;width:200pt;height:100pt\" "
        "coordorigin=\"0,0\" coordsize=\"2000,1000\">"
        "<v:rect style=\"position:absolute;left:0;top:0;width:1000;height:500\"><v:textbox>" + box + "</v:textbox></v:rect>"
        "<v:line from=\"1000,1000\" to=\"2000,0\" strokecolor=\"red\"/></v:group></w:pict></w:r>";
    const docx::Document doc = loadShown(DocxBuilder().body(para(drawingMl + vml)));
    const std::vector<docx::PictureLook>& groups = doc.stories[0].look.pictures;
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(doc.textBoxes.size(), 2u);
    const auto expectAt = [](const docx::GroupMember& m, double left, double top, double width, double height) {
        EXPECT_DOUBLE_EQ(m.left, left);
        EXPECT_DOUBLE_EQ(m.top, top);
        EXPECT_DOUBLE_EQ(m.width, width);
        EXPECT_DOUBLE_EQ(m.height, height);
    };

    EXPECT_EQ(groups[0].horizontal.from, docx::AnchorFrom::Page);
    EXPECT_EQ(groups[0].horizontal.percent, 5900);
    EXPECT_EQ(groups[1].horizontal.percent, -1);
    ASSERT_EQ(groups[0].members.size(), 2u);
    EXPECT_TRUE(groups[0].textBox);
    expectAt(groups[0].members[0], 0, 0, 0.5, 0.5);
    EXPECT_TRUE(groups[0].members[0].textBox);
    expectAt(groups[0].members[1], 0.5, 0.5, 0.5, 0.5);
    EXPECT_FALSE(groups[0].members[1].textBox);
    EXPECT_EQ(groups[0].members[1].shape.geometry, docx::Geometry::Ellipse);

    EXPECT_EQ(groups[1].width, 4000);
    EXPECT_EQ(groups[1].height, 2000);
    EXPECT_EQ(groups[1].horizontal.offset, 200);
    ASSERT_EQ(groups[1].members.size(), 2u);
    expectAt(groups[1].members[0], 0, 0, 0.5, 0.5);
    EXPECT_TRUE(groups[1].members[0].textBox);
    const docx::GroupMember& line = groups[1].members[1];
    expectAt(line, 0.5, 0, 0.5, 1);
    EXPECT_EQ(line.shape.geometry, docx::Geometry::Line);
    EXPECT_TRUE(line.shape.flipV && !line.shape.flipH);
    EXPECT_EQ(line.shape.lineColor, 0x0000FF);
}

TEST(Looks, ARubysTextSizeRaiseAndAlignmentComeWithItsBaseAndFindsTextStaysTheField)
{
    const auto ruby = [](const QString& rubyPr, const QString& text, const QString& base) {
        return "<w:r><w:ruby><w:rubyPr>" + rubyPr + "</w:rubyPr><w:rt>" + run(text, "<w:sz w:val=\"10\"/>")
               + "</w:rt><w:rubyBase>" + run(base) + "</w:rubyBase></w:ruby></w:r>";
    };
    const docx::Document doc = loadShown(DocxBuilder().body(para(
        ruby("<w:rubyAlign w:val=\"distributeSpace\"/><w:hps w:val=\"10\"/><w:hpsRaise w:val=\"18\"/>", "かんじ", "漢字")
        + ruby("<w:rubyAlign w:val=\"left\"/><w:hps w:val=\"12\"/>", "き", "木"))));
    const docx::Story& main = doc.stories[0];
    // Find sees each ruby as a field: the ruby text in the code, the base as its result.
    EXPECT_EQ(main.text, QStringLiteral("\x13 EQ かんじ\x14漢字\x15\x13 EQ き\x14木\x15\r"));
    ASSERT_EQ(main.look.rubies.size(), 2u);
    const docx::RubyLook& kanji = main.look.rubies[0];
    EXPECT_EQ(std::tuple(kanji.text, kanji.halfPoints, kanji.raise, kanji.align),
              std::tuple(QStringLiteral("かんじ"), int16_t(10), int16_t(18), docx::RubyAlign::DistributeSpace));
    EXPECT_EQ(main.text.mid(kanji.separator + 1, kanji.end - kanji.separator - 1), QStringLiteral("漢字"));
    const docx::RubyLook& tree = main.look.rubies[1];
    EXPECT_EQ(std::tuple(tree.halfPoints, tree.raise, tree.align), std::tuple(int16_t(12), int16_t(-1), docx::RubyAlign::Left));
    EXPECT_EQ(main.text.mid(tree.separator + 1, tree.end - tree.separator - 1), QStringLiteral("木"));
}

TEST(Looks, TypingInARubysBaseKeepsTheRubyOverItAndDeletingTheWholeBaseRemovesIt)
{
    docx::Look look;
    look.rubies.push_back({5, 8, QStringLiteral("かんじ")});    // base [6, 8)
    look.rubies.push_back({12, 14, QStringLiteral("き")});     // base [13, 14)
    look.replace(6, 6, 2);    // typed at the base's start
    look.replace(10, 10, 1);  // and at its end
    ASSERT_EQ(look.rubies.size(), 2u);
    EXPECT_EQ(look.rubies[0].separator, 5);
    EXPECT_EQ(look.rubies[0].end, 11);
    EXPECT_EQ(look.rubies[1].separator, 15);
    look.replace(16, 17, 0);  // the second base, whole
    ASSERT_EQ(look.rubies.size(), 1u);
    look.replace(4, 12, 0);   // a span taking the first field's separator and end
    EXPECT_TRUE(look.rubies.empty());

    look.rubies.push_back({1, 4, QStringLiteral("ふり")});
    look.remap([](int32_t p) { return p >= 3 ? p - 1 : p; });   // one base character of two gone
    ASSERT_EQ(look.rubies.size(), 1u);
    EXPECT_EQ(look.rubies[0].end, 3);
}

TEST(Looks, AnEmbeddedObjectShowsItsPreviewAtItsShapesSizeNamedByItsProgIdWhileFindSeesItsField)
{
    const auto object = [](const QString& shape, const QString& progId) {
        return "<w:r><w:object xmlns:o=\"urn:schemas-microsoft-com:office:office\"><v:shapetype id=\"_x0000_t75\"><v:stroke/>"
               "</v:shapetype>" + shape + "<o:OLEObject Type=\"Embed\" ProgID=\"" + progId + "\"/></w:object></w:r>";
    };
    const DocxBuilder b = DocxBuilder().body(para(run("a")
        + object("<v:shape type=\"#_x0000_t75\" style=\"width:68.25pt;height:38.25pt\"><v:imagedata r:id=\"rIdPreview\"/></v:shape>",
                 "Excel.Sheet.12")
        // No preview: its alternative text names it.
        + object("<v:shape type=\"#_x0000_t75\" alt=\"Budget\" style=\"width:1in;height:0.5in\"/>", "Word.Document.8") + run("b")))
        .relationship("rIdPreview", "image", "media/image1.emf").raw("word/media/image1.emf", QByteArray("EMF"));
    const docx::Document shown = loadShown(b);
    const docx::Story& story = shown.stories[0];
    const auto field = [](const QString& progId) {
        return QChar(docx::cp::FieldBegin) + QStringLiteral(" EMBED %1 ").arg(progId) + QChar(docx::cp::FieldSeparator)
             + QChar(docx::cp::Graphic) + QChar(docx::cp::FieldEnd);
    };
    EXPECT_EQ(story.text, "a" + field("Excel.Sheet.12") + field("Word.Document.8") + "b" + QChar(docx::cp::ParagraphMark));
    EXPECT_EQ(loadBuilt(b).stories[0].text, story.text);

    const std::vector<docx::PictureLook>& objects = story.look.pictures;
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(objects[0].pos, story.text.indexOf(QChar(docx::cp::Graphic)));
    EXPECT_EQ(objects[1].pos, story.text.indexOf(QChar(docx::cp::Graphic), objects[0].pos + 1));
    EXPECT_EQ(std::make_tuple(objects[0].width, objects[0].height, objects[0].altText), std::make_tuple(1365, 765, QString("Excel.Sheet.12")));
    EXPECT_EQ(shown.media.at(objects[0].media), QByteArray("EMF"));
    EXPECT_EQ(std::make_tuple(objects[1].width, objects[1].height, objects[1].altText), std::make_tuple(1440, 720, QString("Budget")));
}

TEST(Looks, AFreeformsPathsAreScaledIntoItsExtentEachByItsOwnSize)
{
    const QString pt = "<a:pt x=\"%1\" y=\"%2\"/>";
    // In a 100 x 200 grid: a corner, a curve back and a close. In the shape's own EMU, neither
    // filled nor outlined: a quarter circle of radius 317500 from the top centre. By a guide: not drawn.
    const QString paths = "<a:path w=\"100\" h=\"200\"><a:moveTo>" + pt.arg(0).arg(0) + "</a:moveTo><a:lnTo>" + pt.arg(100).arg(0)
        + "</a:lnTo><a:cubicBezTo>" + pt.arg(100).arg(100) + pt.arg(50).arg(200) + pt.arg(0).arg(200) + "</a:cubicBezTo><a:close/></a:path>"
        "<a:path fill=\"none\" stroke=\"0\"><a:moveTo>" + pt.arg(317500).arg(0)
        + "</a:moveTo><a:arcTo wR=\"317500\" hR=\"317500\" stAng=\"16200000\" swAng=\"5400000\"/></a:path>"
        "<a:path w=\"2\" h=\"2\"><a:moveTo><a:pt x=\"T0\" y=\"0\"/></a:moveTo></a:path>";
    const QString body = para(anchored(position("H", "column", "0") + position("V", "paragraph", "0"), "<wp:wrapNone/>",
        "<wps:wsp><wps:spPr><a:xfrm flipH=\"1\"><a:off x=\"0\" y=\"0\"/><a:ext cx=\"635000\" cy=\"317500\"/></a:xfrm><a:custGeom>"
        "<a:gdLst><a:gd name=\"T0\" fmla=\"*/ 1 w 2\"/></a:gdLst><a:pathLst>" + paths + "</a:pathLst></a:custGeom>"
        "<a:solidFill><a:srgbClr val=\"005747\"/></a:solidFill></wps:spPr><wps:bodyPr/></wps:wsp>", 635000, 317500))
        // VML: from the origin (10, 0) in a 100 x 200 grid, absolute and relative steps, a number a
        // comma leaves empty being 0; one by a formula is not drawn.
        + para("<w:r><w:pict><v:shape style=\"position:absolute;width:50pt;height:50pt\" coordsize=\"100,200\" "
               "coordorigin=\"10,0\" path=\"m10,0 l110,0r-100,200,,-100xe\" stroked=\"f\"/></w:pict></w:r>"
               "<w:r><w:pict><v:shape style=\"position:absolute;width:50pt;height:50pt\" path=\"m0,0l@1,0e\"/></w:pict></w:r>");
    const docx::Document doc = loadShown(DocxBuilder().body(body));
    ASSERT_EQ(doc.stories[0].look.pictures.size(), 2u);
    const auto expectSteps = [](const docx::FreeformPath& path, const std::vector<docx::PathStep::Kind>& kinds,
                                const std::vector<QPointF>& points) {
        ASSERT_EQ(path.steps.size(), kinds.size());
        for (std::size_t i = 0, p = 0; i < kinds.size(); ++i) {
            EXPECT_EQ(path.steps[i].kind, kinds[i]) << i;
            for (int k = 0; k < (kinds[i] == docx::PathStep::Cubic ? 3 : kinds[i] == docx::PathStep::Close ? 0 : 1); ++k, ++p)
                EXPECT_EQ(path.steps[i].points[k], points[p]) << i;
        }
    };
    using K = docx::PathStep;
    const docx::ShapeLook& shape = doc.stories[0].look.pictures[0].shape;
    EXPECT_TRUE(shape.geometry == docx::Geometry::Freeform && shape.flipH && shape.fill == 0x475700);
    ASSERT_EQ(shape.paths.size(), 2u);
    EXPECT_TRUE(shape.paths[0].filled && shape.paths[0].stroked);
    expectSteps(shape.paths[0], {K::Move, K::Line, K::Cubic, K::Close}, {{0, 0}, {1, 0}, {1, 0.5}, {0.5, 1}, {0, 1}});
    EXPECT_FALSE(shape.paths[1].filled || shape.paths[1].stroked);
    ASSERT_EQ(shape.paths[1].steps.size(), 2u);
    // Along the circle around (317500, 317500): half the shape's width, all of its height.
    const docx::PathStep& quarter = shape.paths[1].steps[1];
    EXPECT_EQ(quarter.kind, K::Arc);
    EXPECT_NEAR(quarter.points[0].manhattanLength(), 0, 1e-9);
    EXPECT_NEAR((quarter.points[1] - QPointF(1, 2)).manhattanLength(), 0, 1e-9);
    EXPECT_EQ(std::make_pair(quarter.start, quarter.sweep), std::make_pair(-270.0, -90.0));

    const docx::ShapeLook& vml = doc.stories[0].look.pictures[1].shape;
    EXPECT_FALSE(vml.outlined);
    ASSERT_EQ(vml.paths.size(), 1u);
    expectSteps(vml.paths[0], {K::Move, K::Line, K::Line, K::Line, K::Close}, {{0, 0}, {1, 0}, {0, 1}, {0, 0.5}});
}

TEST(Looks, AGroupWithinAGroupPlacesItsMembersThroughItsOwnCoordinates)
{
    const auto box = [](const char* element, int x, int y, int cx, int cy) {
        return QString("<a:%1><a:off x=\"%2\" y=\"%3\"/><a:ext cx=\"%4\" cy=\"%5\"/>").arg(element).arg(x).arg(y).arg(cx).arg(cy);
    };
    const auto member = [&box](int x, int y, int cx, int cy) {
        return "<wps:wsp><wps:spPr>" + box("xfrm", x, y, cx, cy) + "</a:xfrm><a:prstGeom prst=\"rect\"/></wps:spPr><wps:bodyPr/></wps:wsp>";
    };
    const auto groupProps = [&box](int x, int y, int cx, int cy, int chX, int chY, int chCx, int chCy) {
        return "<wpg:grpSpPr>" + box("xfrm", x, y, cx, cy)
             + QString("<a:chOff x=\"%1\" y=\"%2\"/><a:chExt cx=\"%3\" cy=\"%4\"/></a:xfrm></wpg:grpSpPr>").arg(chX).arg(chY).arg(chCx).arg(chCy);
    };
    // Outer coordinates 1000 x 1000; the inner group fills the bottom right quarter with
    // coordinates from (10, 10), 100 x 100. VML: the inner group at the top right, 100 x 100 inside.
    const QString drawingMl = anchored(position("H", "column", "0") + position("V", "paragraph", "0"), "<wp:wrapNone/>",
        "<wpg:wgp xmlns:wpg=\"http://schemas.microsoft.com/office/word/2010/wordprocessingGroup\">"
        + groupProps(0, 0, 635000, 635000, 0, 0, 1000, 1000) + member(0, 0, 500, 500) + "<wpg:grpSp>"
        + groupProps(500, 500, 500, 500, 10, 10, 100, 100) + member(60, 10, 50, 100) + "</wpg:grpSp>" + member(0, 500, 250, 250)
        + "</wpg:wgp>", 635000, 635000);
    const QString vml =
        "<w:r><w:pict><v:group style=\"position:absolute;width:100pt;height:100pt\" coordsize=\"1000,1000\">"
        "<v:group style=\"position:absolute;left:500;top:0;width:500;height:500\" coordsize=\"100,100\">"
        "<v:rect style=\"position:absolute;left:0;top:50;width:100;height:50\"/></v:group>"
        "<v:oval style=\"position:absolute;left:0;top:0;width:500;height:500\"/></v:group></w:pict></w:r>";
    const docx::Document doc = loadShown(DocxBuilder().body(para(drawingMl + vml)));
    const std::vector<docx::PictureLook>& groups = doc.stories[0].look.pictures;
    ASSERT_EQ(groups.size(), 2u);
    const auto places = [](const docx::PictureLook& group) {
        std::vector<QRectF> out;
        for (const docx::GroupMember& m : group.members)
            out.emplace_back(m.left, m.top, m.width, m.height);
        return out;
    };
    EXPECT_EQ(places(groups[0]), (std::vector<QRectF>{QRectF(0, 0, 0.5, 0.5), QRectF(0.75, 0.5, 0.25, 0.5), QRectF(0, 0.5, 0.25, 0.25)}));
    EXPECT_EQ(places(groups[1]), (std::vector<QRectF>{QRectF(0.5, 0.25, 0.5, 0.25), QRectF(0, 0, 0.5, 0.5)}));
}
