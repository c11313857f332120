// Writes samples/sample.docx: a short Japanese report in which the everyday word "資料" appears
// in every kind of story a search reaches (main text, a table, footnotes, an endnote, comments,
// two text boxes, the headers and footers of three sections, the notes' continuation notices),
// with highlighted, coloured and struck-through words and half- and full-width text.
#include "tests/support/DocxBuilder.h"
#include "tests/support/WordXml.h"

#include <QCoreApplication>
#include <QString>

#include <cstdio>

namespace {

const QString kNs = DocxBuilder::kNamespaces;

using wordxml::para;
using wordxml::run;

QString heading(const QString& text) { return para(run(text), "<w:pStyle w:val=\"Heading1\"/>"); }
QString footnoteRef(int id) { return QString("<w:r><w:rPr><w:rStyle w:val=\"FootnoteReference\"/></w:rPr><w:footnoteReference w:id=\"%1\"/></w:r>").arg(id); }
QString endnoteRef(int id) { return QString("<w:r><w:rPr><w:rStyle w:val=\"EndnoteReference\"/></w:rPr><w:endnoteReference w:id=\"%1\"/></w:r>").arg(id); }
QString commented(int id, const QString& text)
{
    return QString("<w:commentRangeStart w:id=\"%1\"/>").arg(id) + run(text)
         + QString("<w:commentRangeEnd w:id=\"%1\"/><w:r><w:commentReference w:id=\"%1\"/></w:r>").arg(id);
}

// A floating text box, written as Word writes one: DrawingML with a VML fallback.
QString textBox(int id, const QString& text)
{
    const QString content = "<w:txbxContent>" + para(run(text)) + "</w:txbxContent>";
    return QString(
        "<w:r><mc:AlternateContent><mc:Choice Requires=\"wps\"><w:drawing>"
        "<wp:anchor distT=\"0\" distB=\"0\" distL=\"114300\" distR=\"114300\" simplePos=\"0\" relativeHeight=\"%1\" "
        "behindDoc=\"0\" locked=\"0\" layoutInCell=\"1\" allowOverlap=\"1\">"
        "<wp:simplePos x=\"0\" y=\"0\"/><wp:positionH relativeFrom=\"column\"><wp:posOffset>3600000</wp:posOffset></wp:positionH>"
        "<wp:positionV relativeFrom=\"paragraph\"><wp:posOffset>0</wp:posOffset></wp:positionV>"
        "<wp:extent cx=\"1800000\" cy=\"540000\"/><wp:effectExtent l=\"0\" t=\"0\" r=\"0\" b=\"0\"/><wp:wrapSquare wrapText=\"bothSides\"/>"
        "<wp:docPr id=\"%1\" name=\"Text Box %1\"/><wp:cNvGraphicFramePr/>"
        "<a:graphic><a:graphicData uri=\"http://schemas.microsoft.com/office/word/2010/wordprocessingShape\">"
        "<wps:wsp><wps:cNvSpPr txBox=\"1\"/><wps:spPr><a:xfrm><a:off x=\"0\" y=\"0\"/><a:ext cx=\"1800000\" cy=\"540000\"/></a:xfrm>"
        "<a:prstGeom prst=\"rect\"><a:avLst/></a:prstGeom></wps:spPr><wps:txbx>%2</wps:txbx><wps:bodyPr/></wps:wsp>"
        "</a:graphicData></a:graphic></wp:anchor></w:drawing></mc:Choice>"
        "<mc:Fallback><w:pict><v:shape id=\"box%1\" type=\"#_x0000_t202\" style=\"width:141.75pt;height:42.5pt\">"
        "<v:textbox>%2</v:textbox></v:shape></w:pict></mc:Fallback></mc:AlternateContent></w:r>")
        .arg(id).arg(content);
}

QString headerFooter(const char* root, const QString& text) { return wordxml::part(root, para(run(text))); }

// Section properties: each section has its own primary, even-page and first-page headers and footers.
QString sectPr(int section)
{
    QString refs;
    const char* kinds[] = {"default", "even", "first"};
    for (int k = 0; k < 3; ++k) {
        refs += QString("<w:headerReference w:type=\"%1\" r:id=\"rIdH%2%3\"/>").arg(kinds[k]).arg(section).arg(k);
        refs += QString("<w:footerReference w:type=\"%1\" r:id=\"rIdF%2%3\"/>").arg(kinds[k]).arg(section).arg(k);
    }
    return "<w:sectPr>" + refs + "<w:pgSz w:w=\"11906\" w:h=\"16838\"/>"
           "<w:pgMar w:top=\"1985\" w:right=\"1701\" w:bottom=\"1701\" w:left=\"1701\" w:header=\"851\" w:footer=\"992\" w:gutter=\"0\"/>"
           "<w:titlePg/></w:sectPr>";
}

QString cell(const QString& text) { return "<w:tc><w:tcPr><w:tcW w:w=\"2800\" w:type=\"dxa\"/></w:tcPr>" + para(run(text)) + "</w:tc>"; }
QString row(const QString& a, const QString& b, const QString& c) { return "<w:tr>" + cell(a) + cell(b) + cell(c) + "</w:tr>"; }

QString body()
{
    const QString yellow = "<w:highlight w:val=\"yellow\"/>";
    const QString red = "<w:color w:val=\"FF0000\"/>";
    const QString strike = "<w:strike/>";
    const QString dstrike = "<w:dstrike/>";
    QString b;
    b += para(run("第３四半期 業務報告書"), "<w:pStyle w:val=\"Title\"/>");
    b += heading("１．概要");
    b += para(run("本報告書は、営業部と開発部から提出された") + run("資料", yellow) + run("をもとに、第３四半期の活動をまとめたものです。")
              + footnoteRef(1) + run("数値はすべて速報値であり、") + run("確定値は次回の資料で報告します", red) + run("。"));
    b += para(run("会議は東京本社（ＴＯＫＹＯ）と大阪支社（OSAKA）をオンラインで結んで行いました。") + textBox(1, "要点：配布資料は事前に共有済み"));
    b += para(run("前回の") + commented(0, "資料") + run("に記載した日程は") + run("９月３０日", strike) + run("１０月７日に変更しました。"),
              sectPr(1));
    b += heading("２．売上");
    b += para(run("部門別の売上は次の表のとおりです。詳しい資料は別紙を参照してください。") + footnoteRef(2));
    b += "<w:tbl><w:tblPr><w:tblStyle w:val=\"TableGrid\"/><w:tblW w:w=\"8400\" w:type=\"dxa\"/></w:tblPr>"
         "<w:tblGrid><w:gridCol w:w=\"2800\"/><w:gridCol w:w=\"2800\"/><w:gridCol w:w=\"2800\"/></w:tblGrid>"
         + row("部門", "売上（百万円）", "備考") + row("営業部", "１，２３０", "前年比１０５％")
         + row("開発部", "480", "資料作成を含む") + "</w:tbl>";
    b += para(run("ｶﾀｶﾅの半角表記と、カタカナの全角表記が混在している箇所があります。") + textBox(2, "補足：半角ｼﾘｮｳと全角シリョウ"));
    b += para(run("旧システムの") + run("資料番号", dstrike) + run("は廃止しました。") + commented(1, "要確認") + endnoteRef(1),
              sectPr(2));
    b += heading("３．今後の予定");
    b += para(run("次回の会議では、新しい") + run("資料", yellow + red) + run("の様式について検討します。"));
    b += para(run("以上"), "<w:jc w:val=\"right\"/>");
    b += sectPr(3);
    return b;
}

QString notes(const char* root, const char* item, const QString& normal)
{
    return QString("<w:%1 %2>"
                   "<w:%3 w:type=\"separator\" w:id=\"-1\"><w:p><w:r><w:separator/></w:r></w:p></w:%3>"
                   "<w:%3 w:type=\"continuationSeparator\" w:id=\"0\"><w:p><w:r><w:continuationSeparator/></w:r></w:p></w:%3>"
                   "<w:%3 w:type=\"continuationNotice\" w:id=\"-2\">%4</w:%3>%5</w:%1>")
        .arg(root, kNs, item, para(run("（資料は次のページに続きます）")), normal);
}

QString note(const char* item, const char* refTag, int id, const QString& text)
{
    return QString("<w:%1 w:id=\"%2\">").arg(item).arg(id)
         + para(QString("<w:r><w:rPr><w:vertAlign w:val=\"superscript\"/></w:rPr><w:%1/></w:r>").arg(refTag) + run(text))
         + QString("</w:%1>").arg(item);
}

QString comment(int id, const QString& author, const QString& initials, const QString& text)
{
    return QString("<w:comment w:id=\"%1\" w:author=\"%2\" w:initials=\"%3\" w:date=\"2026-10-01T09:00:00Z\">").arg(id).arg(author, initials)
         + para("<w:r><w:annotationRef/></w:r>" + run(text)) + "</w:comment>";
}

const char* const kStyles =
    "<w:styles %1><w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:ascii=\"Century\" w:eastAsia=\"ＭＳ 明朝\" w:hAnsi=\"Century\"/>"
    "<w:sz w:val=\"21\"/><w:lang w:val=\"en-US\" w:eastAsia=\"ja-JP\"/></w:rPr></w:rPrDefault></w:docDefaults>"
    "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name w:val=\"Normal\"/></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"Title\"><w:name w:val=\"Title\"/><w:basedOn w:val=\"Normal\"/><w:pPr><w:jc w:val=\"center\"/></w:pPr><w:rPr><w:b/><w:sz w:val=\"32\"/></w:rPr></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"Heading1\"><w:name w:val=\"heading 1\"/><w:basedOn w:val=\"Normal\"/><w:rPr><w:b/><w:sz w:val=\"24\"/></w:rPr></w:style>"
    "<w:style w:type=\"character\" w:styleId=\"FootnoteReference\"><w:name w:val=\"footnote reference\"/><w:rPr><w:vertAlign w:val=\"superscript\"/></w:rPr></w:style>"
    "<w:style w:type=\"character\" w:styleId=\"EndnoteReference\"><w:name w:val=\"endnote reference\"/><w:rPr><w:vertAlign w:val=\"superscript\"/></w:rPr></w:style>"
    "<w:style w:type=\"table\" w:styleId=\"TableGrid\"><w:name w:val=\"Table Grid\"/><w:tblPr><w:tblBorders>"
    "<w:top w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"auto\"/><w:left w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"auto\"/>"
    "<w:bottom w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"auto\"/><w:right w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"auto\"/>"
    "<w:insideH w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"auto\"/><w:insideV w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"auto\"/>"
    "</w:tblBorders></w:tblPr></w:style></w:styles>";

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample OUTPUT.docx\n");
        return 2;
    }
    DocxBuilder b;
    b.body(body())
        .part("word/styles.xml", QString(kStyles).arg(kNs))
        .part("word/settings.xml", QString("<w:settings %1><w:evenAndOddHeaders/></w:settings>").arg(kNs))
        .part("word/footnotes.xml", notes("footnotes", "footnote",
              note("footnote", "footnoteRef", 1, "速報値は各部門の資料から集計しています。")
              + note("footnote", "footnoteRef", 2, "別紙の資料は社内サイトで閲覧できます。")))
        .part("word/endnotes.xml", notes("endnotes", "endnote",
              note("endnote", "endnoteRef", 1, "参考資料：第２四半期業務報告書")))
        .part("word/comments.xml", QString("<w:comments %1>%2%3</w:comments>").arg(kNs,
              comment(0, "佐藤", "S", "どの資料のことか明記してください。"),
              comment(1, "田中", "T", "資料番号の扱いを確認しました。")));
    const char* kinds[] = {"奇数ページ", "偶数ページ", "先頭ページ"};
    for (int s = 1; s <= 3; ++s)
        for (int k = 0; k < 3; ++k) {
            const QString h = QString("word/header%1%2.xml").arg(s).arg(k);
            const QString f = QString("word/footer%1%2.xml").arg(s).arg(k);
            b.part(h, headerFooter("hdr", QString("第%1章 業務報告資料（%2のヘッダー）").arg(s).arg(QString::fromUtf8(kinds[k]))));
            b.part(f, headerFooter("ftr", QString("社外秘資料 ― 第%1章 %2のフッター").arg(s).arg(QString::fromUtf8(kinds[k]))));
            b.relationship(QString("rIdH%1%2").arg(s).arg(k), "header", h.section('/', -1));
            b.relationship(QString("rIdF%1%2").arg(s).arg(k), "footer", f.section('/', -1));
        }
    b.save(QString::fromLocal8Bit(argv[1]));
    return 0;
}
