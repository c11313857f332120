#include "platform/core/Error.h"
#include "platform/docx/Package.h"
#include "platform/docx/ZipReader.h"
#include "platform/word/Application.h"
#include "platform/word/Document.h"
#include "platform/word/Range.h"
#include "tests/support/DocxBuilder.h"
#include "tests/support/WordXml.h"

#include <QDirIterator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace word;
using namespace wordxml;

namespace {

struct Opened {
    QTemporaryDir dir;
    ApplicationPtr app = Application::create();
    DocumentPtr doc;
    QString path;
    // Opened for editing and, as the document window opens it, with its looks.
    explicit Opened(const DocxBuilder& b)
    {
        path = dir.filePath("doc.docx");
        b.save(path);
        doc = app->Documents()->Open(docx::load(path, {true, true}));
    }
    RangePtr range(int story, int32_t s, int32_t e) const
    {
        auto r = std::make_shared<Range>(doc, story, 0, doc->story(story).length());
        r->setEnd(e);
        r->setStart(s);
        return r;
    }
    RangePtr main(int32_t s, int32_t e) const { return range(0, s, e); }
};

// What an edit must restore or leave alone: everything the model keeps over a story.
void expectSameStory(const docx::Story& a, const docx::Story& b)
{
    EXPECT_EQ(a.text, b.text);
    EXPECT_EQ(a.runs, b.runs);
    EXPECT_EQ(a.symbols, b.symbols);
    EXPECT_EQ(a.rowEnds, b.rowEnds);
    ASSERT_EQ(a.sources.size(), b.sources.size());
    for (std::size_t i = 0; i < a.sources.size(); ++i) {
        const docx::TextSource &x = a.sources[i], &y = b.sources[i];
        EXPECT_TRUE(x.pos == y.pos && x.len == y.len && x.changed == y.changed && x.format == y.format) << i;
    }
    ASSERT_EQ(a.look.paras.size(), b.look.paras.size());
    for (std::size_t i = 0; i < a.look.paras.size(); ++i)
        EXPECT_TRUE(a.look.paras[i].start == b.look.paras[i].start && a.look.paras[i].align == b.look.paras[i].align) << i;
}

void expectSameModel(const docx::Document& a, const docx::Document& b)
{
    ASSERT_EQ(a.stories.size(), b.stories.size());
    for (std::size_t i = 0; i < a.stories.size(); ++i) {
        SCOPED_TRACE(i);
        expectSameStory(a.stories[i], b.stories[i]);
    }
    ASSERT_EQ(a.notes.size(), b.notes.size());
    for (std::size_t i = 0; i < a.notes.size(); ++i)
        EXPECT_TRUE(a.notes[i].refPos == b.notes[i].refPos && a.notes[i].start == b.notes[i].start
                    && a.notes[i].end == b.notes[i].end);
    ASSERT_EQ(a.comments.size(), b.comments.size());
    for (std::size_t i = 0; i < a.comments.size(); ++i)
        EXPECT_TRUE(a.comments[i].markPos == b.comments[i].markPos && a.comments[i].rangeStart == b.comments[i].rangeStart
                    && a.comments[i].start == b.comments[i].start && a.comments[i].end == b.comments[i].end);
    ASSERT_EQ(a.textBoxes.size(), b.textBoxes.size());
    for (std::size_t i = 0; i < a.textBoxes.size(); ++i)
        EXPECT_EQ(a.textBoxes[i].anchorPos, b.textBoxes[i].anchorPos);
    ASSERT_EQ(a.sections.size(), b.sections.size());
    for (std::size_t i = 0; i < a.sections.size(); ++i)
        EXPECT_EQ(a.sections[i].endPos, b.sections[i].endPos);
}

// Saves the document under a new name and reads the file back as the model had it: text, format
// runs, paragraph looks, notes, comments, text boxes and sections.
void expectSavedAsModel(Document& doc, const QString& target)
{
    const docx::Document edited = doc.model();
    doc.SaveAs2(target);
    docx::Document back = docx::load(target, {true, edited.looks});
    ASSERT_EQ(back.stories.size(), edited.stories.size());
    for (std::size_t i = 0; i < back.stories.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(back.stories[i].text, edited.stories[i].text);
        EXPECT_EQ(back.stories[i].runs, edited.stories[i].runs);
        ASSERT_EQ(back.stories[i].look.paras.size(), edited.stories[i].look.paras.size());
        for (std::size_t p = 0; p < back.stories[i].look.paras.size(); ++p)
            EXPECT_TRUE(back.stories[i].look.paras[p].start == edited.stories[i].look.paras[p].start
                        && back.stories[i].look.paras[p].align == edited.stories[i].look.paras[p].align)
                << p;
    }
    // The sources of the file written differ from the edited model's; the rest must not.
    for (std::size_t i = 0; i < back.stories.size(); ++i)
        back.stories[i].sources = edited.stories[i].sources;
    expectSameModel(back, edited);
}

int refusal(const std::function<void()>& edit)
{
    try {
        edit();
    } catch (const core::Error& e) {
        EXPECT_FALSE(e.description().isEmpty());
        return e.number();
    }
    return 0;
}

const char kTab[] = "<w:r><w:tab/><w:br/><w:sym w:font=\"Wingdings\" w:char=\"F04A\"/><w:noBreakHyphen/></w:r>";

} // namespace

// A paragraph split, tabs, breaks and symbols deleted, text typed into empty paragraphs (one with
// properties, one written as an empty element) and two joins: the part is the original with
// exactly these changes, the file reads back as the model, and undo restores the model exactly.
TEST(ParagraphEdits, SplitJoinDeleteAndTypeSavedExactly)
{
    const QString p1 = "<w:p w:rsidR=\"00A1\"><w:pPr><w:jc w:val=\"center\"/><w:rPr><w:color w:val=\"00FF00\"/></w:rPr>"
                       "</w:pPr><w:r><w:rPr><w:b/></w:rPr><w:t xml:space=\"preserve\">Hello world</w:t></w:r></w:p>";
    const QString p2 = "<w:p><w:r><w:t>x</w:t></w:r>" + QString(kTab) + "<w:r><w:t>y</w:t></w:r></w:p>";
    const QString p3 = "<w:p><w:pPr><w:rPr><w:highlight w:val=\"yellow\"/></w:rPr></w:pPr></w:p>";
    Opened o(DocxBuilder().body(p1 + p2 + p3 + "<w:p/>" + "<w:p><w:r><w:t>end</w:t></w:r></w:p>"));
    Document& d = *o.doc;
    const docx::Document original = d.model();
    ASSERT_EQ(d.story(0).text, QString("Hello world\rx\t\v") + QChar(0xF04A) + QString("\x1Ey\r\r\rend\r"));

    o.main(5, 6)->setText("\r");         // Enter in place of the space
    o.main(13, 17)->Delete();            // the tab, the break, the symbol, the hyphen
    o.main(15, 15)->InsertBefore("P3");  // into the empty paragraph with properties
    o.main(18, 18)->InsertBefore("Q\rR"); // into <w:p/>, with a paragraph of its own
    o.main(21, 22)->Delete();            // joins "R" and "end"
    o.main(11, 12)->Delete();            // joins "world" and "xy"
    EXPECT_EQ(d.story(0).text, QString("Hello\rworldxy\rP3\rQ\rRend\r"));
    EXPECT_TRUE(d.story(0).runAt(14).format.highlight);   // typed text takes the mark's formatting
    // The split-off paragraph looks like the one it came from; the joined one keeps the first's look.
    const auto& paras = d.story(0).look.paras;
    ASSERT_EQ(paras.size(), 5u);
    EXPECT_EQ(paras[1].start, 6);
    EXPECT_EQ(paras[1].align, docx::Align::Center);
    EXPECT_EQ(paras[4].start, 19);
    // The mark ending the joined paragraph takes the first one's mark format.
    EXPECT_EQ(d.story(0).runAt(13).format.color, 0x00FF00);

    const docx::Document edited = d.model();
    const std::string before = docx::ZipReader(o.path).read("word/document.xml");
    expectSavedAsModel(*o.doc, o.dir.filePath("saved.docx"));
    std::string expected = before;
    const auto swap = [&expected](const std::string& from, const std::string& to) {
        const auto at = expected.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        expected.replace(at, from.size(), to);
    };
    swap(">Hello world</w:t></w:r></w:p><w:p>",
         ">Hello</w:t></w:r></w:p><w:p><w:pPr><w:jc w:val=\"center\"/><w:rPr><w:color w:val=\"00FF00\"/></w:rPr>"
         "</w:pPr><w:r><w:rPr><w:b/></w:rPr><w:t xml:space=\"preserve\">world</w:t></w:r>");
    swap(kTab, "<w:r></w:r>");
    swap("</w:rPr></w:pPr></w:p>", "</w:rPr></w:pPr><w:r><w:rPr><w:highlight w:val=\"yellow\"/></w:rPr>"
                                   "<w:t xml:space=\"preserve\">P3</w:t></w:r></w:p>");
    swap("<w:p/><w:p>", "<w:p><w:r><w:t xml:space=\"preserve\">Q</w:t></w:r></w:p><w:p><w:r>"
                        "<w:t xml:space=\"preserve\">R</w:t></w:r>");
    EXPECT_EQ(docx::ZipReader(o.dir.filePath("saved.docx")).read("word/document.xml"), expected);

    // Saving read the file back: reopen the original to undo the edits one by one.
    Opened again(DocxBuilder().body(p1 + p2 + p3 + "<w:p/>" + "<w:p><w:r><w:t>end</w:t></w:r></w:p>"));
    again.main(5, 6)->setText("\r");
    again.main(13, 17)->Delete();
    again.main(15, 15)->InsertBefore("P3");
    again.main(18, 18)->InsertBefore("Q\rR");
    again.main(21, 22)->Delete();
    again.main(11, 12)->Delete();
    expectSameModel(again.doc->model(), edited);
    ASSERT_TRUE(again.doc->Undo(6));
    expectSameModel(again.doc->model(), original);
    EXPECT_TRUE(again.doc->Saved());
    ASSERT_TRUE(again.doc->Redo(6));
    expectSameModel(again.doc->model(), edited);
}

// A paragraph is not split inside a hyperlink, a field's result, a content control or a tracked
// insertion, nor where it ends a section; marks are not deleted before a table, at a cell's end,
// at a section break or the story's end. Each refusal is 4605 and changes nothing.
TEST(ParagraphEdits, RefusedWhereNotSavedExactly)
{
    const QString cell = "<w:tc>" + para(run("cellx")) + "</w:tc>";
    Opened o(DocxBuilder().body(
        para("<w:hyperlink w:anchor=\"a\">" + run("link") + "</w:hyperlink>"
             + "<w:fldSimple w:instr=\" PAGE \">" + run("9") + "</w:fldSimple>"
             + "<w:sdt><w:sdtContent>" + run("ctl") + "</w:sdtContent></w:sdt>"
             + "<w:ins w:id=\"1\" w:author=\"a\">" + run("new") + "</w:ins>")
        + para(run("sect"), "<w:sectPr/>") + para(run("table")) + "<w:tbl><w:tr>" + cell + "</w:tr></w:tbl>"
        + para(run("last"))));
    Document& d = *o.doc;
    const docx::Document before = d.model();
    const QString& text = d.story(0).text;
    const auto at = [&](const QString& what) { return static_cast<int32_t>(text.indexOf(what)); };
    for (const char* inside : {"link", "9", "ctl", "new", "sect"}) {
        SCOPED_TRACE(inside);
        const int32_t p = at(inside) + (QString(inside).size() > 1 ? 1 : 0);
        EXPECT_EQ(refusal([&] { o.main(p, p)->InsertAfter("\r"); }), 4605);
        // The same text takes other characters.
        EXPECT_EQ(refusal([&] { o.main(p, p)->InsertAfter("z"); }), 0);
        ASSERT_TRUE(d.Undo());
    }
    for (const char* after : {"sect", "table", "cellx", "last"}) {
        SCOPED_TRACE(after);
        const int32_t mark = at(after) + static_cast<int32_t>(QString(after).size());
        EXPECT_EQ(refusal([&] { o.main(mark, mark + 1)->Delete(); }), 4605);
    }
    EXPECT_EQ(refusal([&] { o.main(at("cellx"), at("cellx"))->InsertAfter("\x07"); }), 4605);
    expectSameModel(d.model(), before);
    EXPECT_TRUE(d.Saved());
}

// Notes, comments, text boxes and headers split and join their paragraphs as the main text does.
TEST(ParagraphEdits, EveryStoryKind)
{
    const QString two = para(run("one two")) + para(run("three"));
    Opened o(DocxBuilder()
                 .body(para(run("main") + "<w:r><w:footnoteReference w:id=\"1\"/></w:r>"
                            + "<w:commentRangeStart w:id=\"0\"/>" + run("c") + "<w:commentRangeEnd w:id=\"0\"/>"
                            + "<w:r><w:commentReference w:id=\"0\"/></w:r>"
                            + "<w:r><w:pict><v:shape><v:textbox><w:txbxContent>" + two
                            + "</w:txbxContent></v:textbox></v:shape></w:pict></w:r>")
                       + para(run("after")) + "<w:sectPr><w:headerReference w:type=\"default\" r:id=\"rIdH\"/></w:sectPr>")
                 .part("word/footnotes.xml", part("footnotes", "<w:footnote w:id=\"1\"><w:p><w:r><w:footnoteRef/></w:r>"
                                                               + run(" one two") + "</w:p>" + para(run("three")) + "</w:footnote>"))
                 .relationship("rIdF", "footnotes", "footnotes.xml")
                 .part("word/comments.xml", part("comments", "<w:comment w:id=\"0\"><w:p><w:r><w:annotationRef/></w:r>"
                                                             + run(" one two") + "</w:p>" + para(run("three")) + "</w:comment>"))
                 .relationship("rIdC", "comments", "comments.xml")
                 .part("word/header1.xml", part("hdr", two))
                 .relationship("rIdH", "header", "header1.xml"));
    Document& d = *o.doc;
    const docx::Document original = d.model();
    std::vector<int> kinds;
    {
        Document::EditGroup group(d);
        for (int i = 0; i < static_cast<int>(original.stories.size()); ++i) {
            const QString text = d.story(i).text;
            const int32_t space = static_cast<int32_t>(text.indexOf(" two")), join = static_cast<int32_t>(text.indexOf("\rthree"));
            if (space < 0 || join < 0)
                continue;
            kinds.push_back(d.story(i).type);
            o.range(i, join, join + 1)->Delete();
            o.range(i, space, space + 1)->setText("\r");
            EXPECT_EQ(d.story(i).text.mid(space - 3), QString("one\rtwothree\r")) << i;
        }
    }
    EXPECT_EQ(kinds, (std::vector<int>{docx::wdFootnotesStory, docx::wdCommentsStory, docx::wdTextFrameStory,
                                       docx::wdPrimaryHeaderStory}));
    // The main text's mark before "after" still joins, after the note and comment marks moved.
    const int32_t mark = static_cast<int32_t>(d.story(0).text.indexOf("\rafter"));
    o.main(mark, mark + 1)->Delete();
    const docx::Document edited = d.model();
    ASSERT_TRUE(d.Undo(2));
    expectSameModel(d.model(), original);
    ASSERT_TRUE(d.Redo(2));
    expectSameModel(d.model(), edited);
    expectSavedAsModel(*o.doc, o.dir.filePath("saved.docx"));
}

// Every real document that opens: in every story, a paragraph split inside text, two paragraphs
// joined, a tab, break or symbol deleted and text typed into an empty paragraph, where the story
// has them; a split where the paragraph cannot be split is refused and changes nothing. Undo
// restores the model exactly, redo gives the edited one back, and the saved file reads back as it.
TEST(ParagraphEdits, CorpusRoundTrip)
{
    QTemporaryDir out;
    ApplicationPtr app = Application::create();
    std::map<int, int> splits, joins, elements, typed, refused;   // by story type
    int saved = 0;
    QDirIterator it(QStringLiteral(TARVELIN_CORPUS_DIR), {"*.docx"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        SCOPED_TRACE(path.toStdString());
        DocumentPtr doc;
        try {
            doc = app->Documents()->Open(path);
        } catch (const core::Error&) {
            continue;   // the corpus test lists the documents that do not open
        }
        const docx::Document original = doc->model();
        struct Edit {
            int32_t start, end;
            QString text;
        };
        for (int i = 0; i < static_cast<int>(original.stories.size()); ++i) {
            const docx::Story& s = original.stories[i];
            const auto cannotSplit = std::find_if(s.sources.begin(), s.sources.end(), [](const docx::TextSource& t) {
                return t.kind == docx::SourceKind::Text && !t.splittable && t.len >= 2;
            });
            if (cannotSplit != s.sources.end()) {
                EXPECT_EQ(refusal([&] { doc->replaceText(i, cannotSplit->pos + 1, cannotSplit->pos + 1, "\r"); }), 4605);
                EXPECT_EQ(doc->story(i).text, s.text);
                ++refused[s.type];
            }
            // One edit of each kind, well apart, applied from the end so that earlier positions hold.
            std::vector<Edit> edits;
            const auto apart = [&](int32_t from, int32_t to) {
                return std::all_of(edits.begin(), edits.end(), [&](const Edit& e) { return to + 1 < e.start || from > e.end + 1; });
            };
            for (const docx::TextSource& t : s.sources) {
                if (t.kind == docx::SourceKind::Text && t.splittable && t.len >= 2 && !splits.count(-i - 1)
                    && apart(t.pos + 1, t.pos + 1)) {
                    edits.push_back({t.pos + 1, t.pos + 1, "\r"});
                    splits[-i - 1] = 1;
                    ++splits[s.type];
                } else if (t.kind == docx::SourceKind::Join && !joins.count(-i - 1) && apart(t.pos, t.pos + 1)) {
                    edits.push_back({t.pos, t.pos + 1, {}});
                    joins[-i - 1] = 1;
                    ++joins[s.type];
                } else if (t.kind == docx::SourceKind::Element && t.len == 1 && !elements.count(-i - 1)
                           && apart(t.pos, t.pos + 1)) {
                    edits.push_back({t.pos, t.pos + 1, {}});
                    elements[-i - 1] = 1;
                    ++elements[s.type];
                } else if (t.kind == docx::SourceKind::NewRun && !typed.count(-i - 1) && apart(t.pos, t.pos)) {
                    edits.push_back({t.pos, t.pos, QStringLiteral("新")});
                    typed[-i - 1] = 1;
                    ++typed[s.type];
                }
            }
            for (auto* kind : {&splits, &joins, &elements, &typed})
                kind->erase(-i - 1);
            std::sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) { return a.start > b.start; });
            QString expected = s.text;
            for (const Edit& e : edits) {
                doc->replaceText(i, e.start, e.end, e.text);
                expected.replace(e.start, e.end - e.start, e.text);
            }
            EXPECT_EQ(doc->story(i).text, expected) << i;
        }
        const docx::Document edited = doc->model();
        if (doc->Undo(1000)) {
            SCOPED_TRACE("undone");
            expectSameModel(doc->model(), original);
            doc->Redo(1000);
            SCOPED_TRACE("redone");
            expectSameModel(doc->model(), edited);
        }
        expectSavedAsModel(*doc, out.filePath(QString::number(saved++) + ".docx"));
        doc->Close();
    }
    EXPECT_GT(saved, 200);
    // Every story kind that allows them had each edit somewhere in the corpus.
    for (int type : {docx::wdMainTextStory, docx::wdFootnotesStory, docx::wdCommentsStory, docx::wdTextFrameStory,
                     docx::wdPrimaryHeaderStory}) {
        SCOPED_TRACE(type);
        EXPECT_GT(splits[type], 0);
        EXPECT_GT(joins[type], 0);
    }
    EXPECT_GT(elements[docx::wdMainTextStory], 0);
    EXPECT_GT(typed[docx::wdMainTextStory], 0);
    EXPECT_GT(refused[docx::wdMainTextStory], 0);
}

// Text typed at a cell's first position is the cell's, and undoing the deletion of a cell's first
// character puts the cell's start back where it was, with its look.
TEST(ParagraphEdits, CellStartsStayWhereAnEditStarts)
{
    Opened o(DocxBuilder().body(para(run("before")) + "<w:tbl><w:tr><w:tc>" + para(run("ab")) + "</w:tc><w:tc>"
                                + para("<w:r><w:tab/></w:r>" + run("cd")) + "</w:tc></w:tr></w:tbl>" + para(run("after"))));
    Document& d = *o.doc;
    const docx::Document original = d.model();
    ASSERT_EQ(d.story(0).cells.size(), 2u);
    const int32_t first = d.story(0).cells[0].start, second = d.story(0).cells[1].start;
    o.main(first, first)->InsertBefore("x");
    EXPECT_EQ(d.story(0).cells[0].start, first);
    EXPECT_EQ(d.story(0).cells[1].start, second + 1);
    o.main(second + 1, second + 2)->Delete();   // the tab that starts the second cell
    EXPECT_EQ(d.story(0).cells[1].start, second + 1);
    ASSERT_EQ(d.story(0).look.tables.size(), 1u);
    EXPECT_EQ(d.story(0).look.tables[0].start, first);
    ASSERT_TRUE(d.Undo(2));
    expectSameModel(d.model(), original);
    EXPECT_EQ(d.story(0).look.tables[0].rows[0][1].start, second);
}
