// Content a document imports from parts of other formats (w:altChunk), read into the story where
// it is imported.
#include "tests/docx/Fixture.h"

#include <gtest/gtest.h>

namespace {

const QString kChunk = QStringLiteral("<w:altChunk r:id=\"c1\"/>");

// "before", the chunk, "after"; the chunk part is word/<name>.
DocxBuilder importing(const QString& name, const QByteArray& bytes)
{
    DocxBuilder b;
    b.body(paraXml("before") + kChunk + paraXml("after")).raw("word/" + name, bytes).relationship("c1", "aFChunk", name);
    return b;
}

docx::CharFormat formatOf(const docx::Story& s, const QString& text)
{
    return s.runAt(static_cast<int32_t>(s.text.indexOf(text))).format;
}

TEST(AltChunk, HtmlBecomesParagraphsTablesFieldsAndFormatting)
{
    const QByteArray html =
        "<html><head><title>T</title><style>p{color:red}</style><script>var x=1;</script></head><body>\n"
        "  <h1>Title  one</h1>\n  <p>  a  <b>bold</b>\n   text<br>next line </p>\n"
        "  <div>loose <span style=\"color:#FF0000\">red</span> <font color=\"blue\">blue</font> <s>struck</s> "
        "<span style=\"Text-Decoration: underline line-through\">s2</span><span style=\"display:none\">hid</span></div>\n"
        "  <table><tr> <td>A</td><td><p>B1</p><p>B2</p></td></tr>\n"
        "  <tr><td></td><td>D <a href=\"http://x.example/\">link</a></td></tr></table>\n"
        "  <pre>\n x  y\nz</pre>&nbsp;caf\xC3\xA9 &#x65E5;</body></html>";
    const docx::Document d = loadBuilt(importing("chunk.htm", html));
    const docx::Story& s = d.stories[0];
    EXPECT_EQ(visible(s.text),
              QStringLiteral("before¶Title one¶a bold text↵next line¶loose red blue struck s2hid¶"
                             "A¤B1¶B2¤¤¤D { HYPERLINK \"http://x.example/\" |link}¤¤ x  y¶z¶\u00A0café 日¶after¶"));
    EXPECT_EQ(formatOf(s, "red").color, 0x0000FF);
    EXPECT_EQ(formatOf(s, "blue").color, 0xFF0000);
    EXPECT_EQ(formatOf(s, "loose").color, docx::kColorAutomatic);
    EXPECT_TRUE(formatOf(s, "struck").strike);
    EXPECT_TRUE(formatOf(s, "s2").strike);
    EXPECT_FALSE(formatOf(s, "bold").strike);
    EXPECT_EQ(formatOf(s, "hid").cls, docx::CpClass::Hidden);
    EXPECT_EQ(formatOf(s, "HYPERLINK").cls, docx::CpClass::Field);
    EXPECT_EQ(formatOf(s, "link").cls, docx::CpClass::Shown);
    ASSERT_EQ(s.rowEnds.size(), 2u);
    EXPECT_EQ(s.rowEnds[0], s.text.indexOf("B2") + 3);
    EXPECT_TRUE(d.notices.empty());
}

// Bytes that are not UTF-8 are read in the encoding the page declares.
TEST(AltChunk, HtmlIsReadInTheEncodingItDeclares)
{
    const QByteArray sjis = "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">"
                            "</head><body><p>\x8E\x91\x97\xBF</p></body></html>";
    EXPECT_EQ(visible(loadBuilt(importing("chunk.htm", sjis)).stories[0].text), QStringLiteral("before¶資料¶after¶"));
}

TEST(AltChunk, PlainTextLinesBecomeParagraphsInATableCell)
{
    DocxBuilder b;
    b.body("<w:tbl><w:tr><w:tc>" + kChunk + "</w:tc></w:tr></w:tbl>" + paraXml("after"))
        .raw("word/chunk.txt", "\xEF\xBB\xBFone\r\ntwo\n\nthr\xC3\xA9\x65\n")
        .relationship("c1", "aFChunk", "chunk.txt");
    // The chunk's last paragraph mark ends the cell.
    EXPECT_EQ(visible(loadBuilt(b).stories[0].text), QStringLiteral("one¶two¶¶thrée¤¤after¶"));
}

TEST(AltChunk, DocxIsReadAsItsMainStoryNestedToABound)
{
    // Level k imports level k - 1; the file itself is level 9.
    QByteArray level = DocxBuilder().body(paraXml("L0")).bytes();
    for (int k = 1; k <= 9; ++k)
        level = importing("inner.docx", level).body(paraXml(QString("L%1").arg(k)) + kChunk).bytes();
    QTemporaryDir dir;
    const QString path = dir.filePath("nested.docx");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(level);
    f.close();
    const docx::Document d = docx::load(path);
    EXPECT_EQ(visible(d.stories[0].text), QStringLiteral("L9¶L8¶L7¶L6¶L5¶L4¶L3¶L2¶L1¶"));
    ASSERT_EQ(d.notices.size(), 1u);
    EXPECT_TRUE(d.notices[0].contains(QStringLiteral("/word/inner.docx は取り込みの入れ子が深すぎるため"))) << d.notices[0].toStdString();
}

TEST(AltChunk, RtfAndMhtAreNamedOnceAsNotSearched)
{
    DocxBuilder b;
    b.body(paraXml("before") + kChunk + "<w:altChunk r:id=\"c2\"/><w:altChunk r:id=\"c3\"/>" + paraXml("after"))
        .raw("word/a.rtf", "{\\rtf1 hidden from search}")
        .raw("word/b.mht", "MIME-Version: 1.0\r\n\r\nhidden")
        .relationship("c1", "aFChunk", "a.rtf")
        .relationship("c2", "aFChunk", "b.mht")
        .relationship("c3", "aFChunk", "a.rtf");
    const docx::Document d = loadBuilt(b);
    EXPECT_EQ(visible(d.stories[0].text), QStringLiteral("before¶after¶"));
    EXPECT_EQ(d.notices, (std::vector<QString>{QStringLiteral("取り込まれた部分 /word/a.rtf は RTF 形式のため検索されません。"),
                                               QStringLiteral("取り込まれた部分 /word/b.mht は MHT 形式のため検索されません。")}));
}

} // namespace
