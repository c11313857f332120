#include "platform/docx/NumberFormat.h"
#include "platform/word/Application.h"
#include "platform/word/Document.h"
#include "platform/word/Location.h"
#include "platform/word/Range.h"
#include "tests/support/DocxBuilder.h"
#include "tests/support/WordXml.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace word;
using namespace wordxml;

namespace {

QString noteRef(const char* kind, int id, const QString& customMark = {})
{
    if (!customMark.isEmpty())
        return QString("<w:r><w:%1Reference w:customMarkFollows=\"1\" w:id=\"%2\"/><w:t>%3</w:t></w:r>").arg(kind).arg(id).arg(customMark);
    return QString("<w:r><w:%1Reference w:id=\"%2\"/></w:r>").arg(kind).arg(id);
}

QString note(const char* kind, int id, const QString& text)
{
    return QString("<w:%1 w:id=\"%2\">").arg(kind).arg(id) + para(QString("<w:r><w:%1Ref/></w:r>").arg(kind) + run(text))
         + QString("</w:%1>").arg(kind);
}

QString cell(const QString& content) { return "<w:tc>" + content + "</w:tc>"; }

// Two sections and a story of every kind. Footnotes are lower roman and restart in each section;
// the second section writes them upper roman. The second section has a first-page header holding
// a text box; an endnote has a custom mark.
QString makeDocument(const QTemporaryDir& dir)
{
    const QString field = "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText> REF 語 </w:instrText></w:r>"
                          "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r>" + run("結果")
                        + "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r>";
    const QString body =
        para(run("前の段落"))
        + para(run("前の") + field + "<w:del w:id=\"9\"><w:r><w:delText>消</w:delText></w:r></w:del>" + run("本文語A")
               + run("の後ろ") + noteRef("footnote", 1))
        + para("<w:commentRangeStart w:id=\"0\"/>" + run("ここ") + "<w:commentRangeEnd w:id=\"0\"/><w:r><w:commentReference w:id=\"0\"/></w:r>"
               + textBox("箱語"))
        + "<w:tbl><w:tr>"
        + cell("<w:tbl><w:tr>" + cell(para(run("入れ子語"))) + "</w:tr></w:tbl>" + para(run("外")))
        + cell(para(run("x"))) + "</w:tr><w:tr>" + cell(para(run("y"))) + cell(para(run("表語"))) + "</w:tr></w:tbl>"
        + para(run("二つ目") + noteRef("footnote", 2),
               "<w:sectPr><w:headerReference w:type=\"default\" r:id=\"rIdH1\"/></w:sectPr>")
        + para(run("二節語") + noteRef("footnote", 3) + noteRef("endnote", 1, "※") + noteRef("endnote", 2))
        + "<w:sectPr><w:headerReference w:type=\"first\" r:id=\"rIdH2\"/><w:titlePg/>"
          "<w:footnotePr><w:numFmt w:val=\"upperRoman\"/></w:footnotePr></w:sectPr>";
    const QString path = dir.filePath("every-story.docx");
    DocxBuilder()
        .body(body)
        .part("word/header1.xml", part("hdr", para(run("頭一語"))))
        .part("word/header2.xml", part("hdr", para(run("頭二語") + textBox("頭箱語"))))
        .relationship("rIdH1", "header", "header1.xml")
        .relationship("rIdH2", "header", "header2.xml")
        .part("word/settings.xml", part("settings", "<w:footnotePr><w:numFmt w:val=\"lowerRoman\"/>"
                                                    "<w:numRestart w:val=\"eachSect\"/></w:footnotePr>"))
        .part("word/footnotes.xml", part("footnotes", note("footnote", 1, "注一語") + note("footnote", 2, "注二語")
                                                          + note("footnote", 3, "注三語")))
        .part("word/endnotes.xml", part("endnotes", note("endnote", 1, "尾注語") + note("endnote", 2, "尾注二語")))
        .part("word/comments.xml", part("comments", "<w:comment w:id=\"0\" w:author=\"佐藤\" w:initials=\"ST\" "
                                                    "w:date=\"2026-11-02T10:00:00Z\">" + para(run("評語")) + "</w:comment>"))
        .save(path);
    return path;
}

// A location in one line, every member that applies.
std::string describe(const Location& at)
{
    QString s = QString("sec %1").arg(at.section + 1);
    if (at.headerFooterKind >= 0)
        s += QString(" kind %1").arg(at.headerFooterKind);
    if (at.note >= 0)
        s += " note " + at.noteNumber;
    if (at.comment >= 0)
        s += QString(" comment %1").arg(at.comment + 1);
    if (at.textBox >= 0)
        s += QString(" box %1 in %2").arg(at.textBox + 1).arg(at.anchorStory);
    if (at.table > 0)
        s += QString(" table %1 row %2 col %3").arg(at.table).arg(at.row).arg(at.column);
    return s.toStdString();
}

class LocationTest : public ::testing::Test {
protected:
    void SetUp() override { doc = app->Documents()->Open(makeDocument(dir)); }
    const docx::Document& model() const { return doc->model(); }
    // The story holding text and where: the first story, in Word's order, whose text has it.
    std::pair<int, int32_t> find(const QString& text) const
    {
        for (int i = 0; i < static_cast<int>(model().stories.size()); ++i)
            if (const auto at = model().stories[i].text.indexOf(text); at >= 0)
                return {i, static_cast<int32_t>(at)};
        ADD_FAILURE() << "no story holds " << text.toStdString();
        return {0, 0};
    }
    int storyOfType(int type) const
    {
        for (int i = 0; i < static_cast<int>(model().stories.size()); ++i)
            if (model().stories[i].type == type)
                return i;
        return -1;
    }

    QTemporaryDir dir;
    ApplicationPtr app = Application::create();
    DocumentPtr doc;
};

} // namespace

TEST_F(LocationTest, EveryStoryKindSaysWhereItIs)
{
    const int main = 0;
    const int header2 = static_cast<int>(model().stories.size()) - 1;   // the first-page header, last
    ASSERT_EQ(model().stories[header2].type, docx::wdFirstPageHeaderStory);
    const struct {
        const char* text;
        std::string expected;
    } cases[] = {
        {"本文語A", "sec 1"},
        {"二節語", "sec 2"},
        {"表語", "sec 1 table 1 row 2 col 2"},
        {"入れ子語", "sec 1 table 2 row 1 col 1"},   // a table inside a cell counts after its own
        {"外", "sec 1 table 1 row 1 col 1"},
        {"注一語", "sec 1 note i"},
        {"注二語", "sec 1 note ii"},
        {"注三語", "sec 2 note I"},                  // restarted, in the section's own format
        {"尾注語", "sec 2 note ※"},                  // a custom mark takes no number
        {"尾注二語", "sec 2 note i"},
        {"評語", "sec 1 comment 1"},
        {"箱語", "sec 1 box 1 in " + std::to_string(main)},
        {"頭一語", "sec 1 kind 0"},
        {"頭二語", "sec 2 kind 1"},
        {"頭箱語", "sec 2 box 2 in " + std::to_string(header2)},
    };
    const Locator locator(model());
    for (const auto& c : cases) {
        const auto [story, pos] = find(QString::fromUtf8(c.text));
        EXPECT_EQ(describe(locator.locate(story, pos)), c.expected) << c.text;
    }
    const docx::Comment& comment = model().comments.at(0);
    EXPECT_EQ(comment.author, QStringLiteral("佐藤"));
    EXPECT_EQ(comment.initials, QStringLiteral("ST"));
    EXPECT_EQ(comment.date, QStringLiteral("2026-11-02T10:00:00Z"));
}

// Context is what Find sees of the paragraph: the field's code and the deleted text are left out,
// the paragraph before is not reached, and the count is of characters each side.
TEST_F(LocationTest, ContextLeavesOutWhatFindLeavesOut)
{
    const Locator locator(model());
    const auto [story, pos] = find(QStringLiteral("本文語A"));
    ASSERT_EQ(story, 0);
    const Context wide = locator.context(story, pos, pos + 4, 20);
    EXPECT_EQ(wide.before, QStringLiteral("前の結果"));
    EXPECT_EQ(wide.after, QStringLiteral("の後ろ"));   // the note's reference mark is left out too
    const Context narrow = locator.context(story, pos, pos + 4, 2);
    EXPECT_EQ(narrow.before, QStringLiteral("結果"));
    EXPECT_EQ(narrow.after, QStringLiteral("の後"));
    const auto [cellStory, cellPos] = find(QStringLiteral("表語"));
    EXPECT_EQ(locator.context(cellStory, cellPos, cellPos + 1, 5).after, QStringLiteral("語"));   // the cell mark ends it

    // More room than the paragraph holds gives the paragraph; none gives nothing; the story's
    // first and last characters have nothing beyond them.
    const Context all = locator.context(story, pos, pos + 4, 1000);
    EXPECT_EQ(all.before, wide.before);
    EXPECT_EQ(all.after, wide.after);
    const Context none = locator.context(story, pos, pos + 4, 0);
    EXPECT_TRUE(none.before.isEmpty() && none.after.isEmpty());
    const Context first = locator.context(0, 0, 2, 20);
    EXPECT_EQ(first.before, QString());
    EXPECT_EQ(first.after, QStringLiteral("段落"));
    const int32_t length = model().stories[0].length();
    EXPECT_EQ(locator.context(0, length - 1, length, 20).after, QString());
}

// Edits move the cells and the sections with the text, so a later search still locates its hits.
TEST_F(LocationTest, EditsKeepLocationsInStep)
{
    doc->replaceText(0, 0, 0, QStringLiteral("挿入した文字列"));
    const Locator locator(model());
    const struct {
        const char* text;
        int section;
        bool inTable;
    } cases[] = {{"表語", 0, true}, {"二つ目", 0, false}, {"二節語", 1, false}};
    for (const auto& c : cases) {
        const auto [story, pos] = find(QString::fromUtf8(c.text));
        const Location at = locator.locate(story, pos);
        EXPECT_EQ(at.section, c.section) << c.text;
        EXPECT_EQ(at.table > 0, c.inTable) << c.text;
    }
}

// The words of a listing, reached through a range of the object model as the result window
// reaches them; the caller names the anchor's story type. A range an edit has left past its
// story's end reads up to that end.
TEST_F(LocationTest, RangesSayWhereTheyAreInWords)
{
    const auto typeName = [](int type) { return QStringLiteral("型%1").arg(type); };
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"表語", "セクション 1、表 1 の 2 行 2 列"},
        {"注三語", "セクション 2、脚注 I"},
        {"尾注語", "セクション 2、文末脚注 ※"},
        {"評語", "セクション 1、コメント 1（佐藤 [ST] 2026-11-02）"},
        {"箱語", "セクション 1、テキストボックス 1（型1に配置）"},
        {"頭一語", "セクション 1、ヘッダー"},   // the primary header shows on every page
        {"頭二語", "セクション 2、先頭ページのヘッダー"},
    };
    for (const auto& c : cases) {
        const QString text = QString::fromUtf8(c.text);
        const auto [story, pos] = find(text);
        const Range range(doc, story, pos, pos + static_cast<int32_t>(text.size()));
        EXPECT_EQ(locationText(range.location(), model(), typeName), QString::fromUtf8(c.expected)) << c.text;
    }
    const auto [comments, at] = find(QStringLiteral("評語"));
    const Range stale(doc, comments, at, at + 3);
    doc->replaceText(comments, at, at + 2, QString());
    ASSERT_LT(model().stories[comments].length(), stale.End());
    EXPECT_EQ(stale.context(5).before + stale.context(5).after, QString());
}

TEST(NoteNumberFormat, WritesWordsFormats)
{
    const struct {
        int n;
        const char* format;
        const char* expected;
    } cases[] = {
        {1, "decimal", "1"},         {4, "upperRoman", "IV"},          {14, "lowerRoman", "xiv"},
        {28, "lowerLetter", "bb"},   {3, "upperLetter", "C"},          {6, "chicago", "††"},
        {3, "decimalEnclosedCircle", "③"}, {21, "decimalEnclosedCircle", "21"},
        {12, "decimalFullWidth", "１２"}, {12, "japaneseCounting", "十二"}, {2, "aiueoFullWidth", "イ"},
        {3, "irohaFullWidth", "ハ"}, {5, "bullet", "5"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(docx::formatNumber(c.n, QString::fromUtf8(c.format)), QString::fromUtf8(c.expected)) << c.format << " " << c.n;
}
