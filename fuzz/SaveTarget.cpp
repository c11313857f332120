// save: a package loaded for editing, then edits chosen by the script bytes (Replace All of a
// literal from a story with a coded replacement or with formatting alone, Range edits, Undo and
// Redo), each saved and read back: what the file reads back as must be what the model held, and
// undoing every edit must return the model to its last saved state. An edit may be refused only
// with Word's error for it. Saved before any edit, the package must come back byte for byte.
#include "fuzz/MemoryFile.h"
#include "fuzz/Targets.h"

#include "platform/core/Error.h"
#include "platform/docx/LoadError.h"
#include "platform/docx/PackageWriter.h"
#include "platform/match/Replacement.h"
#include "platform/word/Application.h"
#include "platform/word/Document.h"
#include "platform/word/Find.h"
#include "platform/word/Range.h"
#include "platform/word/WordError.h"

#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace fuzz {

namespace {

// The script's bytes, read one at a time; zeros once they run out.
class Script {
public:
    Script(const uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    bool done() const { return m_at >= m_size; }
    uint8_t byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    // A number in [0, count).
    int32_t below(int32_t count) { return count <= 0 ? 0 : static_cast<int32_t>((byte() << 8 | byte()) % count); }

private:
    const uint8_t* m_data;
    std::size_t m_size, m_at = 0;
};

// Typed text: plain, Japanese, markup characters, characters the writer must write as elements
// of their own or refuse, half a surrogate pair and a noncharacter. (Read through QStringView:
// QString::fromUtf16 would drop a leading U+FFFE as a byte order mark.)
const char16_t* const kTexts[] = {
    u"x", u"", u" ", u"  a  ", u"日本語", u"\t", u"a\tb", u"&<>\"'", u"é", u"\u00a0", u"\u200b", u"😀",
    u"\r", u"\x02", u"\x0b", u"\x0c", u"\x1e", u"\x1f", u"\x07", u"\x01", u"\x13", u"\x15", u"\xd800", u"a\nb", u"\xfffe",
};

// Replacement texts: the found text, the codes the replacement takes, codes it refuses (4605)
// and codes it does not know (5625).
const char16_t* const kReplacements[] = {
    u"^&", u"[^&]", u"^t", u"x^ty", u"^^", u"^s", u"^l", u"^+", u"^=", u"^0065", u"^u3042", u"^&^&", u"日本",
    u"", u"^p", u"^m", u"^~", u"^-", u"^c", u"^9", u"^", u"\\1", u"^n", u"ab",
};

QString typed(Script& s)
{
    return QStringView(kTexts[s.byte() % std::size(kTexts)]).toString();
}

// The runs with each run that starts with its predecessor's formatting folded into it: the
// reader splits runs where the file's w:r elements split, the editor where the edits did.
std::vector<docx::FormatRun> folded(const std::vector<docx::FormatRun>& runs)
{
    std::vector<docx::FormatRun> out;
    for (const docx::FormatRun& r : runs)
        if (out.empty() || !(out.back().format == r.format))
            out.push_back(r);
    return out;
}

// Where two texts first differ, shown on standard error before the check fails.
void showDifference(std::size_t story, const QString& saved, const QString& back)
{
    const auto at = std::mismatch(saved.begin(), saved.end(), back.begin(), back.end()).first - saved.begin();
    const auto around = [at](const QString& t) {
        QString shown;
        for (const QChar c : t.mid(std::max<qsizetype>(0, at - 8), 24))
            shown += c.unicode() < 32 ? QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0')) : QString(c);
        return shown.toUtf8();
    };
    std::fprintf(stderr, "story %zu, position %lld: saved \"%s\", read back \"%s\"\n", story, static_cast<long long>(at),
                 around(saved).constData(), around(back).constData());
}

// The stories and the positions kept beside them, against what they must be after something
// (a save read back, an undo).
void compare(const docx::Document& expected, const docx::Document& got, const char* after)
{
    const auto expect = [after](bool ok, const char* what) {
        if (!ok)
            std::fprintf(stderr, "after %s\n", after);
        check(ok, what);
    };
    expect(got.stories.size() == expected.stories.size(), "save: a story appeared or went");
    for (std::size_t i = 0; i < expected.stories.size(); ++i) {
        const docx::Story& a = expected.stories[i];
        const docx::Story& b = got.stories[i];
        expect(a.type == b.type && a.part == b.part, "save: a story changed its type or part");
        if (a.text != b.text)
            showDifference(i, a.text, b.text);
        expect(a.text == b.text, "save: a story's text differs");
        expect(folded(a.runs) == folded(b.runs), "save: a story's formatting differs");
        expect(a.symbols == b.symbols && a.rowEnds == b.rowEnds, "save: symbols or row ends moved");
    }
    expect(expected.notes.size() == got.notes.size() && expected.comments.size() == got.comments.size()
               && expected.textBoxes.size() == got.textBoxes.size() && expected.sections.size() == got.sections.size(),
           "save: a note, comment, text box or section appeared or went");
    for (std::size_t i = 0; i < expected.notes.size(); ++i)
        expect(expected.notes[i].refPos == got.notes[i].refPos && expected.notes[i].start == got.notes[i].start
                   && expected.notes[i].end == got.notes[i].end,
               "save: a note moved");
    for (std::size_t i = 0; i < expected.comments.size(); ++i) {
        const docx::Comment& a = expected.comments[i];
        const docx::Comment& b = got.comments[i];
        expect(a.rangeStart == b.rangeStart && a.rangeEnd == b.rangeEnd && a.markPos == b.markPos && a.start == b.start
                   && a.end == b.end,
               "save: a comment moved");
    }
    for (std::size_t i = 0; i < expected.textBoxes.size(); ++i)
        expect(expected.textBoxes[i].anchorPos == got.textBoxes[i].anchorPos, "save: a text box's anchor moved");
    for (std::size_t i = 0; i < expected.sections.size(); ++i)
        expect(expected.sections[i].endPos == got.sections[i].endPos, "save: a section's end moved");
}

// Saves as a new file and checks that the file reads back as the model; the document then is
// the file read back (Save As does that).
void saveAndCompare(word::Document& doc, const QString& path)
{
    const docx::Document saved = doc.model();
    try {
        doc.SaveAs2(path);
    } catch (const core::Error& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.description()));
        check(false, "save: a document that opened for editing could not be saved");
    }
    compare(saved, doc.model(), "saving and reading back");
}

void replaceAll(const word::DocumentPtr& doc, int story, Script& s, bool formatOnly)
{
    const docx::Story& st = doc->story(story);
    const int32_t start = s.below(st.length());
    const int32_t length = 1 + s.byte() % 6;
    // The literal as Find takes it: ^ stands for itself doubled.
    QString literal = st.text.mid(start, length);
    literal.replace(QLatin1Char('^'), QStringLiteral("^^"));
    auto range = std::make_shared<word::Range>(doc, story, 0, st.length());
    word::FindPtr find = range->Find();
    const uint8_t options = s.byte();
    find->setText(literal);
    find->setMatchCase(options & 1);
    find->setMatchWholeWord(options & 2);
    if (formatOnly) {
        find->Replacement()->setHighlight(options & 4 ? -1 : 0);
        if (options & 8)
            find->Replacement()->Font()->setStrikeThrough(options & 16 ? -1 : 0);
        if (options & 32)
            find->Replacement()->Font()->setDoubleStrikeThrough(options & 64 ? -1 : 0);
        if (options & 128)
            find->Replacement()->Font()->setColor(0x0000FF);
    } else {
        find->Replacement()->setText(QStringView(kReplacements[s.byte() % std::size(kReplacements)]).toString());
    }
    try {
        find->Execute(word::wdReplaceAll);
    } catch (const core::Error& e) {
        check(e.number() == match::kInvalidReplacementError || e.number() == word::CommandNotAvailable,
              "save: Replace All failed with another error");
    }
}

// One Range edit over positions from the script.
void editRange(const word::DocumentPtr& doc, int story, Script& s, uint8_t op)
{
    const int32_t length = doc->story(story).length();
    int32_t start = s.below(length + 1);
    int32_t end = std::min(length, start + s.byte() % 8);
    auto range = std::make_shared<word::Range>(doc, story, start, end);
    try {
        switch (op % 4) {
        case 0: range->setText(typed(s)); break;
        case 1: range->Delete(); break;
        case 2: range->InsertBefore(typed(s)); break;
        default: range->InsertAfter(typed(s)); break;
        }
    } catch (const core::Error& e) {
        check(e.number() == word::CommandNotAvailable, "save: a Range edit failed with another error");
    }
}

} // namespace

void save(const uint8_t* data, std::size_t size)
{
    if (size <= kSaveScriptSize)
        return;
    static const word::ApplicationPtr app = word::Application::create();
    // Saving flushes the file to disk: in memory where the machine has such a folder.
    static const QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm/tarvelin-fuzz-XXXXXX")
                                                                             : QDir::tempPath() + QStringLiteral("/tarvelin-fuzz-XXXXXX"));
    Script script(data, kSaveScriptSize);
    const MemoryFile file(data + kSaveScriptSize, size - kSaveScriptSize);
    word::DocumentPtr doc;
    try {
        doc = app->Documents()->Open(file.path());
    } catch (const core::Error& e) {
        check(e.number() == docx::kErrFileCorrupt, "save: unexpected error number");
        return;
    }
    // Saved with no edit, the package comes back byte for byte.
    try {
        check(docx::writePackage(doc->model())
                  == QByteArray::fromRawData(reinterpret_cast<const char*>(data + kSaveScriptSize),
                                             static_cast<qsizetype>(size - kSaveScriptSize)),
              "save: a save with no edit changed the package");
    } catch (const core::Error& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.description()));
        check(false, "save: a document that opened for editing could not be saved unchanged");
    }
    const int stories = static_cast<int>(doc->model().stories.size());
    const QString path = dir.filePath(QStringLiteral("saved.docx"));
    docx::Document saved = doc->model();   // as last opened or saved: what undoing every edit returns to
    while (!script.done() && stories > 0) {
        const uint8_t op = script.byte();
        const int story = script.byte() % stories;
        switch (op % 8) {
        case 0: replaceAll(doc, story, script, false); break;
        case 1: replaceAll(doc, story, script, true); break;
        case 2: case 3: case 4: editRange(doc, story, script, op / 8); break;
        case 5: doc->Undo(1 + script.byte() % 4); break;
        case 6: doc->Redo(1 + script.byte() % 4); break;
        default:
            saveAndCompare(*doc, path);
            saved = doc->model();
            break;
        }
    }
    const docx::Document edited = doc->model();
    int steps = 0;
    while (doc->Undo())
        ++steps;
    compare(saved, doc->model(), "undoing every edit");
    doc->Redo(steps);
    compare(edited, doc->model(), "redoing them");
    saveAndCompare(*doc, path);
    doc->Close();
}

} // namespace fuzz
