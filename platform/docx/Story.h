#pragma once

#include "platform/docx/Look.h"
#include "platform/docx/StoryText.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

// The document model: what a .docx package holds for searching and showing, as Word counts it.
// Every story is one UTF-16 array with one unit per character position; formatting and what
// each position shows are kept as runs over that array.
namespace docx {

enum StoryType : int {
    wdMainTextStory = 1,
    wdFootnotesStory = 2,
    wdEndnotesStory = 3,
    wdCommentsStory = 4,
    wdTextFrameStory = 5,
    wdEvenPagesHeaderStory = 6,
    wdPrimaryHeaderStory = 7,
    wdEvenPagesFooterStory = 8,
    wdPrimaryFooterStory = 9,
    wdFirstPageHeaderStory = 10,
    wdFirstPageFooterStory = 11,
    wdFootnoteSeparatorStory = 12,
    wdFootnoteContinuationSeparatorStory = 13,
    wdFootnoteContinuationNoticeStory = 14,
    wdEndnoteSeparatorStory = 15,
    wdEndnoteContinuationSeparatorStory = 16,
    wdEndnoteContinuationNoticeStory = 17,
};
constexpr int kFirstStoryType = 1;
constexpr int kLastStoryType = 17;

// Word's colour value for "automatic" (a COLORREF otherwise: red in the low byte).
constexpr int32_t kColorAutomatic = -16777216;

// Characters with a meaning of their own in a story's array.
namespace cp {
constexpr char16_t Graphic = 1;          // inline picture or object
constexpr char16_t NoteMark = 2;         // footnote/endnote reference mark
constexpr char16_t Separator = 3;        // note separator line
constexpr char16_t ContinuationSeparator = 4;
constexpr char16_t CommentMark = 5;
constexpr char16_t CellMark = 7;         // end of cell or row: one position, Range.Text "\r\a"
constexpr char16_t ShapeAnchor = 8;      // floating drawing or text box
constexpr char16_t Tab = 9;
constexpr char16_t LineBreak = 11;
constexpr char16_t PageBreak = 12;       // also a section break
constexpr char16_t ParagraphMark = 13;
constexpr char16_t ColumnBreak = 14;
constexpr char16_t FieldBegin = 19;
constexpr char16_t FieldSeparator = 20;
constexpr char16_t FieldEnd = 21;
constexpr char16_t NonBreakingHyphen = 30;
constexpr char16_t OptionalHyphen = 31;
} // namespace cp

// What a position shows. Every class keeps its position; only Shown text is what Find matches.
enum class CpClass : uint8_t {
    Shown,     // displayed text
    Field,     // field marks and field instruction text (codes are not shown)
    Deleted,   // tracked deletion
    Hidden,    // hidden text (w:vanish, w:specVanish)
};

// Which classes Range.Text returns and which Find matches: the one place these choices live.
constexpr bool inRangeText(CpClass c) { return c == CpClass::Shown || c == CpClass::Deleted; }
constexpr bool inFindText(CpClass c) { return c == CpClass::Shown; }
// Find sees nothing of a tracked deletion, yet no hit may run across one: its text would hold
// the deleted words.
constexpr bool cutsFindText(CpClass c) { return c == CpClass::Deleted; }

// The resolved character formatting that Find can test, plus the position's class.
struct CharFormat {
    int32_t color = kColorAutomatic;
    bool highlight = false;
    bool strike = false;
    bool doubleStrike = false;
    CpClass cls = CpClass::Shown;
    bool operator==(const CharFormat&) const = default;
};

// A run covers [start, next run's start) of its story; runs are sorted and the first starts at 0.
struct FormatRun {
    int32_t start = 0;
    CharFormat format;
    bool operator==(const FormatRun&) const = default;
};

constexpr uint32_t kNoRunProps = UINT32_MAX;

// What of the story's part a text source stands for, and so how the writer rewrites it.
enum class SourceKind : uint8_t {
    Text,     // the content of a w:t element; takes typed text
    Element,  // an element standing for one character (w:tab, w:br, w:sym ...), removed with it
    Join,     // the mark of a paragraph followed directly by a sibling paragraph (tagAt: the
              // sibling's start tag); removed, the two become one with the first one's properties
    NewRun,   // an empty paragraph (tagAt: its start tag); typed text goes into a run of its own
};

// Where a stretch of a story's text was read from. Kept only when the document is loaded for
// editing; the writer rewrites exactly these. Formatting part of an element's text splits it into
// several sources with the same tagAt, which the writer writes as runs of their own.
struct TextSource {
    int32_t pos = 0;             // first story position
    int32_t len = 0;             // positions it now holds (0 once all its text is deleted)
    uint32_t tagAt = 0;          // byte offset of the element's '<' in the part
    uint32_t rPrAt = kNoRunProps; // byte offset of its run's w:rPr (NewRun: the paragraph mark's)
    CharFormat format;           // what its text looks like, also once it is empty
    CharFormat loaded;           // what the element's text looked like as read
    bool changed = false;        // its text or formatting differs from the part's
    SourceKind kind = SourceKind::Text;
    // Text and NewRun: a paragraph mark typed into it can be written, its run lying directly in a
    // paragraph outside fields and tracked changes that ends no section.
    bool splittable = false;
    uint32_t pPrAt = kNoRunProps; // byte offset of its paragraph's w:pPr, copied into a split-off one

    bool takesText() const { return kind == SourceKind::Text || kind == SourceKind::NewRun; }
};

// A table cell: from its first position to its end-of-cell mark. Tables are numbered in their
// story from 1 in order of their start, rows in their table and cells in their row from 1.
struct TableCell {
    int32_t start = 0, end = 0;
    int table = 0, row = 0, column = 0;
    int outer = -1;                // index of the cell holding this cell's table, -1 none
};

struct Story {
    int type = wdMainTextStory;
    int section = -1;            // headers and footers: the 0-based section that owns the part
    QString part;                // the package part that fed the story, e.g. "/word/header2.xml"
    StoryText text;              // one UTF-16 unit per character position
    std::vector<FormatRun> runs; // empty only when text is empty
    std::vector<int32_t> symbols; // sorted positions of w:sym characters (Range.Text shows "(")
    std::vector<int32_t> rowEnds; // sorted positions of the cell marks that end a table row
    std::vector<TableCell> cells; // sorted by start (a cell before the cells of tables inside it)
    uint32_t revision = 0;       // bumped by every edit, so text derived from the story can tell it is stale
    std::vector<TextSource> sources; // sorted, disjoint; empty unless loaded for editing
    Look look;                   // empty unless the document was read to be shown

    int32_t length() const { return static_cast<int32_t>(text.size()); }
    // The run that covers position p (0 <= p < length()).
    const FormatRun& runAt(int32_t p) const;
};

// A footnote or endnote: its reference in some story and its span in the notes story.
struct Note {
    int type = wdFootnotesStory;   // wdFootnotesStory or wdEndnotesStory
    int refStory = -1;             // index into Document::stories of the story holding the reference
    int32_t refPos = -1;           // position of the reference mark there
    int32_t start = 0, end = 0;    // span in the notes story, from the note's own mark to its last ¶
    QString customMark;            // the mark text that stands for the number (customMarkFollows), "" none
};

// A comment: where it is anchored and its span in the comments story.
struct Comment {
    int anchorStory = -1;          // index into Document::stories of the story holding the mark
    int32_t rangeStart = -1;       // the commented range (start of w:commentRangeStart, or the mark)
    int32_t rangeEnd = -1;
    int32_t markPos = -1;          // position of the comment mark
    int32_t start = 0, end = 0;    // span in the comments story
    QString author, initials;
    QString date;                  // w:date as written (ISO 8601), "" when absent
};

// A text box: the story that holds its text and where it is anchored.
struct TextBox {
    int story = -1;                // index into Document::stories (a wdTextFrameStory)
    int anchorStory = -1;          // index of the story whose shape anchor holds it
    int32_t anchorPos = -1;
};

// How one kind of note is numbered in a section (w:footnotePr / w:endnotePr, the section's own
// settings over the document's).
struct NoteNumbering {
    enum Restart : uint8_t { Continuous, EachSection, EachPage };
    QString format;                // w:numFmt, e.g. "decimal", "lowerRoman", "chicago"
    int start = 1;                 // w:numStart
    Restart restart = Continuous;
};

// One section's headers and footers after link-to-previous: indexes into Document::stories, -1 none.
struct Section {
    bool titlePage = false;        // w:titlePg: first-page header and footer switched on
    int headers[3] = {-1, -1, -1}; // by kind: 0 primary (default), 1 first page, 2 even pages
    int footers[3] = {-1, -1, -1};
    int32_t endPos = -1;           // main-story position of the section's last character
    PageLook page;
    NoteNumbering footnotes{QStringLiteral("decimal")}, endnotes{QStringLiteral("lowerRoman")};
};

class Numbering;

struct Document {
    QString path;
    // Stories in Word's order: ascending type, and within a type the chain NextStoryRange follows.
    std::vector<Story> stories;
    std::vector<Note> notes;
    std::vector<Comment> comments;   // in order of their marks
    std::vector<TextBox> textBoxes;  // in chain order
    std::vector<Section> sections;
    bool evenAndOddHeaders = false;  // settings.xml w:evenAndOddHeaders
    bool textSources = false;        // loaded for editing: every story's sources were kept
    bool looks = false;              // read to be shown: stories carry their looks
    std::shared_ptr<const Numbering> numbering;   // the lists' levels, with looks: labels follow paragraph edits
    std::map<QString, QByteArray> media;   // pictures' parts by name ("word/media/image1.png"), with looks
    std::vector<QString> notices;    // what the document holds that no search sees, once each (Japanese)
};

} // namespace docx
