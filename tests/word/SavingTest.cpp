#include "platform/core/Error.h"
#include "platform/docx/Package.h"
#include "platform/docx/PackageWriter.h"
#include "platform/docx/ZipReader.h"
#include "platform/word/Application.h"
#include "platform/word/Document.h"
#include "platform/word/Range.h"
#include "tests/support/CorpusDocuments.h"
#include "tests/support/DocxBuilder.h"
#include "tests/support/WordXml.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <csignal>
#include <unistd.h>

#include <functional>

using namespace word;
using namespace wordxml;

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// "Ab<c>" in a run, a tab, " d" in a highlighted run, a footnote reference, then "ef" with a
// comment; a second paragraph "gh".
DocxBuilder editDocument()
{
    return DocxBuilder()
        .body(para(run("Ab&lt;c&gt;") + "<w:r><w:tab/></w:r>" + run(" d", "<w:highlight w:val=\"yellow\"/>")
                   + "<w:r><w:footnoteReference w:id=\"1\"/></w:r>" + "<w:commentRangeStart w:id=\"0\"/>" + run("ef")
                   + "<w:commentRangeEnd w:id=\"0\"/><w:r><w:commentReference w:id=\"0\"/></w:r>")
              + para(run("gh")))
        .part("word/footnotes.xml", part("footnotes", "<w:footnote w:id=\"1\">" + para(run("note")) + "</w:footnote>"))
        .relationship("rIdF", "footnotes", "footnotes.xml")
        .part("word/comments.xml", part("comments", "<w:comment w:id=\"0\">" + para(run("remark")) + "</w:comment>"))
        .relationship("rIdC", "comments", "comments.xml");
}

struct Opened {
    QTemporaryDir dir;
    ApplicationPtr app = Application::create();
    DocumentPtr doc;
    QString path;
    explicit Opened(const DocxBuilder& b)
    {
        path = dir.filePath("doc.docx");
        b.save(path);
        doc = app->Documents()->Open(path);
    }
    RangePtr main(int32_t s, int32_t e) const
    {
        RangePtr r = doc->StoryRanges()->Item(1);
        r->setEnd(e);
        r->setStart(s);
        return r;
    }
};

} // namespace

// Edits shift what lies after them, refuse what could not be saved exactly, and undo and redo
// restore the model as it was.
TEST(Editing, EditsUndoAndRefusals)
{
    Opened o(editDocument());
    Document& d = *o.doc;
    const docx::Document before = d.model();
    EXPECT_EQ(d.story(0).text, QString("Ab<c>\t d\x02""ef\x05\rgh\r"));
    EXPECT_TRUE(d.Saved());

    o.main(1, 2)->setText("BB");              // inside a run
    o.main(9, 9)->InsertAfter("x");           // after " d": the highlighted run's format
    EXPECT_EQ(d.story(0).text, QString("ABB<c>\t dx\x02""ef\x05\rgh\r"));
    EXPECT_TRUE(d.story(0).runAt(9).format.highlight);
    EXPECT_EQ(d.model().notes[0].refPos, 10);
    EXPECT_EQ(d.model().comments[0].markPos, 13);
    EXPECT_EQ(d.model().comments[0].rangeStart, 11);
    EXPECT_FALSE(d.Saved());

    // Across a note mark, a comment mark, the story's last paragraph mark; a control character.
    for (auto [s, e, text] : {std::tuple{9, 11, ""}, std::tuple{12, 14, "z"}, std::tuple{17, 18, ""},
                              std::tuple{13, 15, ""}, std::tuple{2, 2, "\x02"}}) {
        const QString was = d.story(0).text;
        try {
            o.main(s, e)->setText(QString::fromLatin1(text));
            ADD_FAILURE() << "accepted " << s << "-" << e;
        } catch (const core::Error& err) {
            EXPECT_EQ(err.number(), 4605);
            EXPECT_FALSE(err.description().isEmpty());
        }
        EXPECT_EQ(d.story(0).text, was);
    }

    {
        Document::EditGroup group(d);
        o.main(0, 1)->Delete();
        o.main(14, 16)->setText("GHI");
    }
    EXPECT_EQ(d.story(0).text, QString("BB<c>\t dx\x02""ef\x05\rGHI\r"));
    ASSERT_TRUE(d.Undo());   // the group at once
    EXPECT_EQ(d.story(0).text, QString("ABB<c>\t dx\x02""ef\x05\rgh\r"));
    ASSERT_TRUE(d.Undo(5));
    EXPECT_FALSE(d.Undo());
    EXPECT_EQ(d.story(0).text, before.stories[0].text);
    EXPECT_EQ(d.story(0).runs, before.stories[0].runs);
    EXPECT_EQ(d.model().comments[0].markPos, before.comments[0].markPos);
    EXPECT_TRUE(d.Saved());
    ASSERT_TRUE(d.Redo(3));
    EXPECT_EQ(d.story(0).text, QString("BB<c>\t dx\x02""ef\x05\rGHI\r"));
}

// Saving writes only the changed text; the file reads back as the model had it.
TEST(Saving, ChangedTextOnlyAndReadBack)
{
    Opened o(editDocument());
    const QByteArray original = fileBytes(o.path);
    EXPECT_EQ(docx::writePackage(o.doc->model()), original);
    QFile::copy(o.path, o.dir.filePath("was.docx"));

    o.main(0, 1)->setText(" <&>  ");           // escaped
    o.main(12, 12)->InsertBefore("\t");        // inside " d": a tab element in that run
    RangePtr note = o.doc->StoryRanges()->Item(docx::wdFootnotesStory);
    note->setEnd(4);
    note->setText("ノート");
    const docx::Document edited = o.doc->model();
    o.doc->Save();
    EXPECT_TRUE(o.doc->Saved());
    EXPECT_FALSE(o.doc->changedOnDisk());

    const docx::Document back = docx::load(o.path);
    ASSERT_EQ(back.stories.size(), edited.stories.size());
    for (std::size_t i = 0; i < back.stories.size(); ++i)
        EXPECT_EQ(back.stories[i].text, edited.stories[i].text) << i;
    EXPECT_EQ(back.notes[0].refPos, edited.notes[0].refPos);
    EXPECT_EQ(back.comments[0].markPos, edited.comments[0].markPos);
    EXPECT_TRUE(back.stories[0].runAt(12).format.highlight && back.stories[0].runAt(13).format.highlight);

    // Everything else stays as it was, byte for byte.
    docx::ZipReader was(o.dir.filePath("was.docx")), now(o.path);
    for (const char* name : {"word/styles.xml", "word/comments.xml", "[Content_Types].xml", "word/_rels/document.xml.rels"})
        if (was.contains(name)) {
            EXPECT_EQ(now.read(name), was.read(name)) << name;
        }
    std::string main = was.read("word/document.xml");
    const auto swap = [&main](const std::string& from, const std::string& to) {
        const auto at = main.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        main.replace(at, from.size(), to);
    };
    swap(">Ab&lt;c&gt;<", "> &lt;&amp;&gt;  b&lt;c&gt;<");
    swap("> d<", "> </w:t><w:tab/><w:t xml:space=\"preserve\">d<");
    EXPECT_EQ(now.read("word/document.xml"), main);
}

// Every real document that opens: saved unchanged it is the same file; with every "e" of every
// story's text turned into "eé" it reads back as exactly that, with its notes, comments, text
// boxes and sections where they were.
TEST(Saving, CorpusRoundTrip)
{
    QTemporaryDir out;
    ApplicationPtr app = Application::create();
    int saved = 0;
    forEachCorpusDocument(app, [&](const QString& path, const DocumentPtr& doc) {
        ASSERT_EQ(docx::writePackage(doc->model()), fileBytes(path));

        const docx::Document original = doc->model();
        std::vector<QString> expected;
        {
            Document::EditGroup group(*doc);
            for (int i = 0; i < static_cast<int>(original.stories.size()); ++i) {
                const docx::Story& s = original.stories[i];
                QString text = s.text;
                for (auto src = s.sources.rbegin(); src != s.sources.rend(); ++src)
                    for (int32_t p = src->pos + src->len - 1; p >= src->pos; --p)
                        if (s.text[p] == u'e') {
                            doc->replaceText(i, p, p + 1, QStringLiteral("eé"));
                            text.replace(p, 1, QStringLiteral("eé"));
                        }
                expected.push_back(text);
            }
        }
        const docx::Document edited = doc->model();
        const QString target = out.filePath(QString::number(saved++) + ".docx");
        doc->SaveAs2(target);
        const docx::Document back = docx::load(target);
        ASSERT_EQ(back.stories.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i)
            EXPECT_EQ(back.stories[i].text, expected[i]) << i;
        ASSERT_EQ(back.notes.size(), edited.notes.size());
        for (std::size_t i = 0; i < back.notes.size(); ++i)
            EXPECT_TRUE(back.notes[i].refPos == edited.notes[i].refPos && back.notes[i].start == edited.notes[i].start);
        ASSERT_EQ(back.comments.size(), edited.comments.size());
        for (std::size_t i = 0; i < back.comments.size(); ++i)
            EXPECT_TRUE(back.comments[i].markPos == edited.comments[i].markPos
                        && back.comments[i].rangeStart == edited.comments[i].rangeStart
                        && back.comments[i].start == edited.comments[i].start);
        ASSERT_EQ(back.textBoxes.size(), edited.textBoxes.size());
        for (std::size_t i = 0; i < back.textBoxes.size(); ++i)
            EXPECT_EQ(back.textBoxes[i].anchorPos, edited.textBoxes[i].anchorPos);
        ASSERT_EQ(back.sections.size(), edited.sections.size());
        for (std::size_t i = 0; i < back.sections.size(); ++i)
            EXPECT_EQ(back.sections[i].endPos, edited.sections[i].endPos);
        doc->Close();
    });
    EXPECT_GT(saved, 200);
}

// A target that cannot be written, a full disk, a crash before the rename: the file on disk is
// what it was, and the document keeps its changes.
TEST(Saving, FaultsLoseNothing)
{
    Opened o(editDocument());
    o.main(0, 1)->setText("Z");
    const QByteArray original = fileBytes(o.path);
    const auto saveError = [&](const QString& target) {
        try {
            o.doc->SaveAs2(target);
        } catch (const core::Error& e) {
            EXPECT_TRUE(e.description().contains(QFileInfo(target).fileName())) << e.what();
            return e.number();
        }
        return 0;
    };

    QFile::setPermissions(o.path, QFile::ReadOwner);
    EXPECT_EQ(saveError(o.path), docx::kErrCannotSave);
    QFile::setPermissions(o.path, QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(saveError(o.dir.filePath("gone/doc.docx")), docx::kErrCannotSave);
    EXPECT_EQ(fileBytes(o.path), original);
    EXPECT_FALSE(o.doc->Saved());
    EXPECT_EQ(o.doc->story(0).text.front(), u'Z');

    // In a child: files limited to a few bytes (the disk is full), then a save that dies before
    // its rename.
    const auto inChild = [&](const std::function<int()>& body) {
        const pid_t pid = fork();
        if (pid == 0)
            _exit(body());
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(inChild([&] {
                  std::signal(SIGXFSZ, SIG_IGN);
                  const rlimit small{512, 512};
                  setrlimit(RLIMIT_FSIZE, &small);
                  try {
                      docx::savePackage(o.doc->model(), o.path);
                  } catch (const core::Error& e) {
                      return e.description().contains(QStringLiteral("空き容量")) ? 7 : 8;
                  }
                  return 9;
              }),
              7);
    EXPECT_EQ(QDir(o.dir.path()).entryList(QDir::Files), QStringList{"doc.docx"})
        << "no temporary file is left";
    EXPECT_EQ(inChild([&] {
                  QSaveFile f(o.path);
                  f.open(QIODevice::WriteOnly);
                  f.write(docx::writePackage(o.doc->model()));
                  f.flush();
                  _exit(3);   // before the rename
                  return 0;
              }),
              3);
    EXPECT_EQ(fileBytes(o.path), original);
    o.doc->Save();
    EXPECT_EQ(docx::load(o.path).stories[0].text, o.doc->story(0).text);
}

// What XML cannot hold is refused: half a surrogate pair or a noncharacter typed, an edit between
// a pair's halves. A formatting change ending inside a pair leaves that pair as it was. What is
// accepted reads back as the model has it.
TEST(Saving, SurrogatePairsStayWhole)
{
    Opened o(DocxBuilder().body(para(run(QStringLiteral("a😀b")))));   // a 0, the pair 1-2, b 3
    Document& d = *o.doc;
    for (auto [s, e, text] : {std::tuple{0, 0, u"\xd800"}, std::tuple{0, 0, u"x\xdc00y"}, std::tuple{4, 4, u"\xfffe"},
                              std::tuple{2, 2, u"x"}, std::tuple{1, 2, u""}, std::tuple{2, 4, u"y"}}) {
        try {
            o.main(s, e)->setText(QStringView(text).toString());
            ADD_FAILURE() << "accepted " << s << "-" << e;
        } catch (const core::Error& err) {
            EXPECT_EQ(err.number(), 4605);
        }
        EXPECT_EQ(d.story(0).text, QStringLiteral("a😀b\r"));
    }

    FormatChange highlight;
    highlight.highlight = true;
    d.formatSpans(0, {{0, 2}}, highlight);
    d.formatSpans(0, {{2, 4}}, highlight);
    const auto highlighted = [&d](int32_t p) { return d.story(0).runAt(p).format.highlight; };
    EXPECT_TRUE(highlighted(0) && highlighted(3));
    EXPECT_FALSE(highlighted(1) || highlighted(2));

    o.main(1, 3)->setText(QStringLiteral("😀x😀"));
    const docx::Document edited = d.model();
    o.doc->Save();
    const docx::Document back = docx::load(o.path);
    EXPECT_EQ(back.stories[0].text, QStringLiteral("a😀x😀b\r"));
    EXPECT_EQ(back.stories[0].text, edited.stories[0].text);
    for (int32_t p = 0; p < edited.stories[0].length(); ++p)
        EXPECT_EQ(back.stories[0].runAt(p).format, edited.stories[0].runAt(p).format) << p;
}

// A part in another encoding is read through its UTF-8 conversion, whose offsets are not the
// part's: its text is refused for editing rather than saved over the wrong bytes.
TEST(Saving, PartInAnotherEncodingIsNotEdited)
{
    const QString xml = QString("<?xml version=\"1.0\" encoding=\"UTF-16\"?><w:document %1><w:body>%2</w:body></w:document>")
                            .arg(DocxBuilder::kNamespaces, para(run(QStringLiteral("日本語の文書"))));
    QByteArray utf16("\xFF\xFE", 2);
    utf16.append(reinterpret_cast<const char*>(xml.utf16()), xml.size() * 2);
    Opened o(DocxBuilder().body({}).raw("word/document.xml", utf16));
    ASSERT_EQ(o.doc->story(0).text, QStringLiteral("日本語の文書\r"));
    for (auto [s, e] : {std::pair{0, 0}, std::pair{3, 4}}) {
        try {
            o.main(s, e)->setText("x");
            ADD_FAILURE() << "accepted " << s << "-" << e;
        } catch (const core::Error& err) {
            EXPECT_EQ(err.number(), 4605);
        }
    }
    o.doc->Save();
    EXPECT_EQ(docx::load(o.path).stories[0].text, QStringLiteral("日本語の文書\r"));
}

// Text typed at the very start of a comment goes into that comment, as the saved file reads
// back: the comment keeps its start, through undo and redo too.
TEST(Saving, TextTypedAtACommentsStartIsTheComments)
{
    Opened o(editDocument());
    const docx::Comment was = o.doc->model().comments[0];
    RangePtr at = o.doc->StoryRanges()->Item(docx::wdCommentsStory);
    at->setEnd(was.start);
    at->InsertBefore(QStringLiteral("新"));
    const auto span = [&o] { return std::pair{o.doc->model().comments[0].start, o.doc->model().comments[0].end}; };
    EXPECT_EQ(span(), std::pair(was.start, was.end + 1));
    ASSERT_TRUE(o.doc->Undo());
    EXPECT_EQ(span(), std::pair(was.start, was.end));
    ASSERT_TRUE(o.doc->Redo());
    o.doc->Save();
    const docx::Document back = docx::load(o.path);
    EXPECT_EQ(std::pair(back.comments[0].start, back.comments[0].end), std::pair(was.start, was.end + 1));
    const auto comments = std::find_if(back.stories.begin(), back.stories.end(),
                                       [](const docx::Story& st) { return st.type == docx::wdCommentsStory; });
    ASSERT_NE(comments, back.stories.end());
    EXPECT_EQ(comments->text, QStringLiteral("新remark\r"));
}

// A paragraph mark looks as its paragraph's properties say, which the file keeps apart from the
// runs: a formatting change leaves a typed mark as it leaves one read from the file, so that the
// paragraph that ends with it after a join reads back as the model has it.
TEST(Saving, FormattingLeavesTypedParagraphMarksBe)
{
    Opened o(DocxBuilder().body(para(run("abcd"))));
    o.main(2, 2)->InsertAfter("\r");   // "ab\rcd\r"
    FormatChange strike;
    strike.doubleStrike = true;
    o.doc->formatSpans(0, {{1, 6}}, strike);
    EXPECT_TRUE(o.doc->story(0).runAt(1).format.doubleStrike && o.doc->story(0).runAt(3).format.doubleStrike);
    EXPECT_FALSE(o.doc->story(0).runAt(2).format.doubleStrike);
    o.main(1, 4)->setText("x");   // takes the typed mark away: the paragraphs join
    const docx::Story edited = o.doc->story(0);
    o.doc->Save();
    const docx::Story back = docx::load(o.path).stories[0];
    ASSERT_EQ(back.text, QStringLiteral("axd\r"));
    for (int32_t p = 0; p < edited.length(); ++p)
        EXPECT_EQ(back.runAt(p).format, edited.runAt(p).format) << p;
}
