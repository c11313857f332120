#pragma once

#include "platform/docx/ShapeReader.h"
#include "platform/docx/Story.h"
#include "platform/docx/StoryWriter.h"
#include "platform/docx/Styles.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace docx {

class Relationships;
class XmlReader;

struct NoteRef { int type; long id; int32_t pos; QString customMark; };

// w:footnotePr or w:endnotePr as written: what it leaves out stays as it was.
struct NotePr {
    std::optional<QString> format;
    std::optional<int> start;
    std::optional<NoteNumbering::Restart> restart;
    void applyTo(NoteNumbering& n) const;
};
// Reads the w:footnotePr or w:endnotePr the reader stands on, to its end.
NotePr readNotePr(XmlReader& x);
struct CommentEvent { long id; int32_t pos; };

// A section as its w:sectPr gives it: relationship ids of its own headers and footers.
struct SectionInfo {
    enum Slot { HeaderDefault, HeaderFirst, HeaderEven, FooterDefault, FooterFirst, FooterEven, SlotCount };
    std::string refs[SlotCount];
    bool titlePage = false;
    int32_t endPos = -1;
    PageLook page;
    NotePr notePr[2];   // footnotes, endnotes
};

// One walked story and what its walk met: note and comment marks, text boxes anchored in it
// (each walked into a story of its own) and, for the main story, its sections.
struct Walked {
    Story story;
    std::vector<NoteRef> noteRefs;
    std::vector<CommentEvent> commentMarks, commentStarts, commentEnds;
    std::vector<Walked> boxes;
    std::vector<int32_t> boxAnchors;   // position of each box's anchor, parallel to boxes
    std::vector<SectionInfo> sections;
};

// Content a part imports from parts of other formats (w:altChunk), converted into story content,
// by relationship id.
using Chunks = std::map<std::string, Story, std::less<>>;

// The code of the HYPERLINK field Word keeps for a link to target or to a bookmark (anchor).
QString hyperlinkCode(std::string_view target, std::string_view anchor);

// Walks WordprocessingML block content into character positions as Word counts them.
class TextWalker {
public:
    struct Context {
        XmlReader& xml;
        const Styles& styles;
        const Relationships& rels;   // of the part being walked, for hyperlink targets
        const QString& path;         // for errors
        bool sources = false;        // record where each w:t's text came from
        const Chunks* chunks = nullptr;   // of the part being walked
    };

    TextWalker(const Context& ctx, Walked& out, int depth = 0);
    // Walks the block-level children of the element the reader stands on (w:body, w:hdr,
    // w:footnote, w:txbxContent ...), reading to its end.
    void walkBlocks();

private:
    struct Depth;

    // Each reads the element the reader stands on to its end.
    void block();
    void paragraph();
    void table();
    void rows();
    void cells();
    void cell();
    SectionInfo section();
    void inlines();
    void inlineItem();
    void run();
    void runItem(const ResolvedRun& rr);
    void text(const CharFormat& f);
    // The text put since start is the custom mark of the note reference that awaits one.
    void customMarkFrom(int32_t start);
    void sourcedText(const CharFormat& f);
    // Where the text came from is recorded, unless the part was in another encoding: its offsets
    // are then into its UTF-8 conversion, not where the writer would find the elements.
    bool keepsSources() const;
    // Puts the character the element the reader stands on stands for.
    void element(char16_t c, const CharFormat& f);
    void math(ResolvedRun rr);
    void drawing(const ResolvedRun& rr, bool vml);
    bool textBox(int32_t anchor);
    bool textBoxesIn(int32_t anchor);
    void object(const ResolvedRun& rr);
    void ruby(const ResolvedRun& rr);
    void hyperlink();
    void simpleField();
    void commentRange(std::vector<CommentEvent>& into);
    void altChunk();

    void fieldBegin(const ResolvedRun& rr);
    void fieldCode(QStringView code, const ResolvedRun& rr);
    void fieldSeparate(const ResolvedRun& rr);
    void fieldEnd(const ResolvedRun& rr);

    // Looks, collected only when the styles read them (m_look set).
    bool pictureFact();
    // What the element the reader stands on and all within it tell of the picture, to its end.
    void pictureFacts();
    void vmlShapeFact(std::string_view style);
    void cellLook();
    void rowLook();
    void tableLook();
    void finishTableLook(std::size_t index);
    void sectionEnded(const PageLook& page);

    ResolvedRun paragraphDefault() const;
    CharFormat format(const ResolvedRun& rr, bool deletedItem) const;
    CharFormat fieldFormat(const ResolvedRun& rr) const;

    const Context& m_ctx;
    XmlReader& m_x;
    const Styles& m_styles;
    Walked& m_out;
    StoryWriter m_w;
    int m_depth;
    int m_tableStyle = Styles::kNone;
    int m_paraStyle = Styles::kNone;
    int m_deleted = 0;                 // open w:del / w:moveFrom containers
    int m_codeDepth = 0;               // open fields still in their code part
    std::vector<bool> m_fields;        // per open field: still in its code part
    int32_t m_lastParaMark = -1;
    uint32_t m_rPrAt = kNoRunProps;    // the w:rPr of the run being walked
    int m_paraDepth = -1;              // the reader's depth at the paragraph being walked
    uint32_t m_pPrAt = kNoRunProps;    // its w:pPr
    bool m_paraSplittable = false;     // it may be split (sources kept, no section break, not deleted)
    int32_t m_joinMark = -1;           // the mark of the paragraph just walked, if the next may join it
    CharFormat m_joinFormat;
    int m_joinStyle = Styles::kNone;

    Look* m_look = nullptr;
    std::optional<Numbering::Counter> m_counter;
    std::vector<std::size_t> m_tables;   // open tables, as indexes into m_look->tables
    std::size_t m_sectionParas = 0;      // the first paragraph look of the section being walked
    int m_lastParaLookStyle = Styles::kNone;   // the style of the last paragraph look
    PictureLook m_picture;               // what the drawing being read has told so far
    AnchorPlace* m_axis = nullptr;       // its axis whose position is being read
    ShapeReader m_shape{m_styles.theme()};   // what its shape draws
    int m_pendingMark = -1;            // the note reference whose custom mark text comes next
    int m_tableCount = 0;              // tables started in this story
    int m_table = 0, m_row = 0, m_column = 0, m_cell = -1;   // where the walk is in a table
};

} // namespace docx
