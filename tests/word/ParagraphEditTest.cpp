#include "platform/core/Error.h"
#include "platform/docx/Package.h"
#include "platform/docx/ZipReader.h"
#include "platform/word/Application.h"
#include "platform/word/Document.h"
#include "platform/word/Range.h"
#include "tests/support/CorpusDocuments.h"
#include "tests/support/DocxBuilder.h"
#include "tests/support/WordXml.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace word;
using namespace wordxml;

namespace {

// A document opened for editing with its looks, as the document window opens it.
struct Opened {
    QTemporaryDir dir;
    ApplicationPtr app = Application::create();
    DocumentPtr doc;
    QString path;
    explicit Opened(const QString& body, DocxBuilder parts = DocxBuilder())
    {
        path = dir.filePath("doc.docx");
        parts.body(body).save(path);
        doc = app->Documents()->Open(docx::load(path, {true, true}));
    }
    void edit(int32_t s, int32_t e, const QString& text) const { doc->replaceText(0, s, e, text); }
};

// Everything the model keeps over its stories; sources only when asked (a file read back has its own).
void expectSameModel(const docx::Document& a, const docx::Document& b, bool sources = true)
{
    ASSERT_EQ(a.stories.size(), b.stories.size());
    for (std::size_t i = 0; i < a.stories.size(); ++i) {
        const docx::Story &x = a.stories[i], &y = b.stories[i];
        SCOPED_TRACE(i);
        EXPECT_TRUE(x.text == y.text && x.runs == y.runs && x.symbols == y.symbols && x.rowEnds == y.rowEnds);
        ASSERT_EQ(x.sources.size() * sources, y.sources.size() * sources);
        for (std::size_t k = 0; sources && k < x.sources.size(); ++k)
            EXPECT_TRUE(x.sources[k].pos == y.sources[k].pos && x.sources[k].len == y.sources[k].len
                        && x.sources[k].changed == y.sources[k].changed && x.sources[k].format == y.sources[k].format) << k;
        ASSERT_EQ(x.look.paras.size(), y.look.paras.size());
        for (std::size_t p = 0; p < x.look.paras.size(); ++p)
            EXPECT_TRUE(x.look.paras[p].start == y.look.paras[p].start && x.look.paras[p].align == y.look.paras[p].align) << p;
        ASSERT_EQ(x.cells.size(), y.cells.size());
        for (std::size_t c = 0; c < x.cells.size(); ++c)
            EXPECT_TRUE(x.cells[c].start == y.cells[c].start && x.cells[c].end == y.cells[c].end) << c;
    }
    ASSERT_TRUE(a.notes.size() == b.notes.size() && a.comments.size() == b.comments.size()
                && a.textBoxes.size() == b.textBoxes.size() && a.sections.size() == b.sections.size());
    for (std::size_t i = 0; i < a.notes.size(); ++i)
        EXPECT_TRUE(a.notes[i].refPos == b.notes[i].refPos && a.notes[i].start == b.notes[i].start
                    && a.notes[i].end == b.notes[i].end) << i;
    for (std::size_t i = 0; i < a.comments.size(); ++i)
        EXPECT_TRUE(a.comments[i].markPos == b.comments[i].markPos && a.comments[i].rangeStart == b.comments[i].rangeStart
                    && a.comments[i].start == b.comments[i].start && a.comments[i].end == b.comments[i].end) << i;
    for (std::size_t i = 0; i < a.textBoxes.size(); ++i)
        EXPECT_EQ(a.textBoxes[i].anchorPos, b.textBoxes[i].anchorPos);
    for (std::size_t i = 0; i < a.sections.size(); ++i)
        EXPECT_EQ(a.sections[i].endPos, b.sections[i].endPos);
}

// Saved under target, the file reads back as the model had it.
void expectSavedAsModel(Document& doc, const QString& target)
{
    const docx::Document edited = doc.model();
    doc.SaveAs2(target);
    expectSameModel(docx::load(target, {true, edited.looks}), edited, false);
}

int refusal(const std::function<void()>& edit)
{
    try {
        edit();
    } catch (const core::Error& e) {
        return e.description().isEmpty() ? -1 : e.number();
    }
    return 0;
}

} // namespace

// A split, a tab, break, symbol and hyphen deleted, text typed into empty paragraphs (one with
// properties, one an empty element) and two joins: the part is the original with exactly these
// changes, the file reads back as the model, and undo and redo restore the model exactly.
TEST(ParagraphEdits, SplitJoinDeleteAndTypeSavedExactly)
{
    const QString marks = "<w:r><w:tab/><w:br/><w:sym w:font=\"Wingdings\" w:char=\"F04A\"/><w:noBreakHyphen/></w:r>";
    const QString body =
        "<w:p w:rsidR=\"00A1\"><w:pPr><w:jc w:val=\"center\"/><w:rPr><w:color w:val=\"00FF00\"/></w:rPr></w:pPr>"
        "<w:r><w:rPr><w:b/></w:rPr><w:t xml:space=\"preserve\">Hello world</w:t></w:r></w:p><w:p><w:r><w:t>x</w:t></w:r>"
        + marks + "<w:r><w:t>y</w:t></w:r></w:p><w:p><w:pPr><w:rPr><w:highlight w:val=\"yellow\"/></w:rPr></w:pPr></w:p>"
        "<w:p/><w:p><w:r><w:t>end</w:t></w:r></w:p>";
    Opened o(body), again(body);
    const docx::Document original = o.doc->model();
    ASSERT_EQ(o.doc->story(0).text, QString("Hello world\rx\t\v") + QChar(0xF04A) + QString("\x1Ey\r\r\rend\r"));
    for (const Opened* d : {&o, &again}) {
        d->edit(5, 6, "\r");         // Enter in place of the space
        d->edit(13, 17, "");         // the tab, the break, the symbol, the hyphen
        d->edit(15, 15, "P3");       // into the empty paragraph with properties
        d->edit(18, 18, "Q\rR");     // into <w:p/>, with a paragraph of its own
        d->edit(21, 22, "");         // joins "R" and "end"
        d->edit(11, 12, "");         // joins "world" and "xy"
    }
    const docx::Story& s = o.doc->story(0);
    EXPECT_EQ(s.text, QString("Hello\rworldxy\rP3\rQ\rRend\r"));
    EXPECT_TRUE(s.runAt(14).format.highlight);       // typed text takes the mark's formatting
    EXPECT_EQ(s.runAt(13).format.color, 0x00FF00);   // the joined paragraph's mark is the first one's
    ASSERT_EQ(s.look.paras.size(), 5u);              // the split-off paragraph looks like its first half
    EXPECT_TRUE(s.look.paras[1].start == 6 && s.look.paras[1].align == docx::Align::Center);

    const std::string before = docx::ZipReader(o.path).read("word/document.xml");
    expectSavedAsModel(*o.doc, o.dir.filePath("saved.docx"));
    std::string expected = before;
    for (auto [from, to] : std::initializer_list<std::pair<QString, QString>>{
             {">Hello world</w:t></w:r></w:p><w:p>",
              ">Hello</w:t></w:r></w:p><w:p><w:pPr><w:jc w:val=\"center\"/><w:rPr><w:color w:val=\"00FF00\"/></w:rPr>"
              "</w:pPr><w:r><w:rPr><w:b/></w:rPr><w:t xml:space=\"preserve\">world</w:t></w:r>"},
             {marks, "<w:r></w:r>"},
             {"</w:rPr></w:pPr></w:p>", "</w:rPr></w:pPr><w:r><w:rPr><w:highlight w:val=\"yellow\"/></w:rPr>"
                                        "<w:t xml:space=\"preserve\">P3</w:t></w:r></w:p>"},
             {"<w:p/><w:p>", "<w:p><w:r><w:t xml:space=\"preserve\">Q</w:t></w:r></w:p><w:p><w:r>"
                             "<w:t xml:space=\"preserve\">R</w:t></w:r>"}}) {
        const auto at = expected.find(from.toStdString());
        ASSERT_NE(at, std::string::npos) << from.toStdString();
        expected.replace(at, from.toUtf8().size(), to.toStdString());
    }
    EXPECT_EQ(docx::ZipReader(o.dir.filePath("saved.docx")).read("word/document.xml"), expected);

    // Saving read the file back and dropped the history: undo on the copy edited alike.
    const docx::Document edited = again.doc->model();
    ASSERT_TRUE(again.doc->Undo(6));
    expectSameModel(again.doc->model(), original);
    ASSERT_TRUE(again.doc->Redo(6));
    expectSameModel(again.doc->model(), edited);
}

// No split inside a hyperlink, a field's result, a content control, a tracked insertion or a
// paragraph ending a section; no mark deleted at a section break, before a table, at a cell's or
// the story's end. Each refusal is 4605 and changes nothing. Text typed at a cell's start is the
// cell's, and undoing a deletion there puts the cell back.
TEST(ParagraphEdits, RefusalsAndCellStarts)
{
    Opened o(para("<w:hyperlink w:anchor=\"a\">" + run("link") + "</w:hyperlink><w:fldSimple w:instr=\" PAGE \">"
                  + run("9") + "</w:fldSimple><w:sdt><w:sdtContent>" + run("ctl") + "</w:sdtContent></w:sdt>"
                  + "<w:ins w:id=\"1\" w:author=\"a\">" + run("new") + "</w:ins>")
             + para(run("sect"), "<w:sectPr/>") + para(run("table")) + "<w:tbl><w:tr><w:tc>" + para(run("cellx"))
             + "</w:tc><w:tc>" + para("<w:r><w:tab/></w:r>" + run("cd")) + "</w:tc></w:tr></w:tbl>" + para(run("last")));
    Document& d = *o.doc;
    const docx::Document original = d.model();
    const auto at = [&](const char* what) { return static_cast<int32_t>(d.story(0).text.indexOf(what)); };
    for (const char* inside : {"link", "9", "ctl", "new", "sect"}) {
        const int32_t p = at(inside) + (inside[1] ? 1 : 0);
        EXPECT_EQ(refusal([&] { o.edit(p, p, "\r"); }), 4605) << inside;
        EXPECT_EQ(refusal([&] { o.edit(p, p, "z"); }), 0) << inside;   // other characters are taken there
        ASSERT_TRUE(d.Undo());
    }
    for (const char* before : {"sect", "table", "cellx", "last"}) {
        const int32_t mark = at(before) + static_cast<int32_t>(strlen(before));
        EXPECT_EQ(refusal([&] { o.edit(mark, mark + 1, ""); }), 4605) << before;
    }
    EXPECT_EQ(refusal([&] { o.edit(at("cellx"), at("cellx"), "\x07"); }), 4605);
    expectSameModel(d.model(), original);

    const int32_t first = d.story(0).cells[0].start, second = d.story(0).cells[1].start;
    o.edit(first, first, "x");
    o.edit(second + 1, second + 2, "");   // the tab that starts the second cell
    EXPECT_TRUE(d.story(0).cells[0].start == first && d.story(0).cells[1].start == second + 1);
    ASSERT_TRUE(d.Undo(2));
    expectSameModel(d.model(), original);
    EXPECT_EQ(d.story(0).look.tables[0].rows[0][1].start, second);
}

// A commented range's ends follow the run the text goes into: typed after its last character
// (or before its first one, into the run before it) the text is inside (outside); undoing a
// deletion right after the range puts its end back. The file reads back so.
TEST(ParagraphEdits, CommentedRangeEndsFollowTheText)
{
    const QString body = para(run("ab") + "<w:commentRangeStart w:id=\"0\"/>" + run("cd") + "<w:commentRangeEnd w:id=\"0\"/>"
                              + run("ef") + "<w:r><w:commentReference w:id=\"0\"/></w:r>");
    Opened o(body, DocxBuilder().part("word/comments.xml", part("comments", "<w:comment w:id=\"0\">" + para(run("c")) + "</w:comment>"))
                       .relationship("rIdC", "comments", "comments.xml"));
    const docx::Document original = o.doc->model();
    const docx::Comment& c = o.doc->model().comments[0];
    o.edit(2, 2, "X");   // before the range, into "ab"
    o.edit(5, 5, "Y");   // at its end, into "cd"
    EXPECT_TRUE(c.rangeStart == 3 && c.rangeEnd == 6);
    o.edit(6, 7, "");    // "e", right after it
    ASSERT_TRUE(o.doc->Undo());
    EXPECT_EQ(c.rangeEnd, 6);
    ASSERT_TRUE(o.doc->Redo());
    expectSavedAsModel(*o.doc, o.dir.filePath("saved.docx"));
    EXPECT_EQ(o.doc->model().comments[0].rangeEnd, 6);
}

// Every real document that opens: in every story a paragraph split, a join, a tab, break or
// symbol deleted and text typed into an empty paragraph, where it has them, from the end so that
// earlier positions hold; a split where it cannot be written is refused and changes nothing. Undo
// and redo restore the models exactly, and the saved file reads back as the edited model.
TEST(ParagraphEdits, CorpusRoundTrip)
{
    QTemporaryDir out;
    ApplicationPtr app = Application::create();
    std::map<std::pair<int, int>, int> done;   // (story type, kind of edit) -> count; kind 4: refused
    int saved = 0;
    forEachCorpusDocument(app, [&](const QString&, const DocumentPtr& doc) {
        const docx::Document original = doc->model();
        for (int i = 0; i < static_cast<int>(original.stories.size()); ++i) {
            const docx::Story& s = original.stories[i];
            std::vector<TextSpan> edits;   // one of each kind, apart
            bool kinds[5] = {};
            for (const docx::TextSource& t : s.sources) {
                const bool split = t.kind == docx::SourceKind::Text && t.len >= 2;
                if (split && !t.splittable && !std::exchange(kinds[4], true)) {
                    ++done[{s.type, 4}];
                    EXPECT_EQ(refusal([&] { doc->replaceText(i, t.pos + 1, t.pos + 1, "\r"); }), 4605);
                    EXPECT_EQ(doc->story(i).text, s.text);
                }
                const int kind = static_cast<int>(t.kind);   // 0 split, 1 element, 2 join, 3 typed
                const int32_t from = t.pos + (kind == 0), to = from + (kind == 1 || kind == 2);
                if ((kind == 0 && !(split && t.splittable)) || kinds[kind]
                    || !std::all_of(edits.begin(), edits.end(), [&](const TextSpan& e) { return to + 1 < e.start || from > e.end + 1; }))
                    continue;
                kinds[kind] = true;
                ++done[{s.type, kind}];
                edits.push_back({from, to, kind == 0 ? "\r" : kind == 3 ? "新" : ""});
            }
            QString expected = s.text;
            std::sort(edits.begin(), edits.end(), [](const TextSpan& a, const TextSpan& b) { return a.start > b.start; });
            for (const TextSpan& e : edits) {
                doc->replaceText(i, e.start, e.end, e.text);
                expected.replace(e.start, e.end - e.start, e.text);
            }
            EXPECT_EQ(doc->story(i).text, expected) << i;
        }
        const docx::Document edited = doc->model();
        if (doc->Undo(1000)) {
            expectSameModel(doc->model(), original);
            doc->Redo(1000);
            expectSameModel(doc->model(), edited);
        }
        expectSavedAsModel(*doc, out.filePath(QString::number(saved++) + ".docx"));
        doc->Close();
    });
    EXPECT_GT(saved, 200);
    // Each story kind that allows them was split and joined somewhere; the main text had every edit.
    const auto count = [&](int type, int kind) { return done[{type, kind}]; };
    for (int type : {docx::wdMainTextStory, docx::wdFootnotesStory, docx::wdCommentsStory, docx::wdTextFrameStory,
                     docx::wdPrimaryHeaderStory})
        EXPECT_TRUE(count(type, 0) > 0 && count(type, 2) > 0) << type;
    for (int kind = 0; kind < 5; ++kind)
        EXPECT_GT(count(docx::wdMainTextStory, kind), 0) << kind;
}
