#pragma once

#include <QPointF>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// How a story looks, beyond what Find tests: read only when a document is opened to be shown.
// Every position is a character position of the story the look belongs to; lengths are twips
// (1/20 pt) unless named otherwise.
namespace docx {

// DrawingML measures in English Metric Units: 635 to the twip.
inline constexpr int32_t kEmuPerTwip = 635;

enum class Underline : uint8_t { None, Single, Double, Wavy, Dotted, Dashed, Thick };
enum class VertAlign : uint8_t { Baseline, Super, Sub };
enum class Align : uint8_t { Left, Center, Right, Justify, Distribute };
// How a line's height follows w:spacing's w:line: a multiple of the font's (240ths), or the
// value itself, at least or exactly.
enum class LineRule : uint8_t { Auto, AtLeast, Exact };
enum class TabAlign : uint8_t { Left, Center, Right, Decimal };
enum class TabLeader : uint8_t { None, Dot, Hyphen, Underscore, Middle };

struct TabStop {
    int32_t pos = 0;   // from the text column's start edge
    TabAlign align = TabAlign::Left;
    TabLeader leader = TabLeader::None;
    bool operator==(const TabStop&) const = default;
};

// Character looks as one level (defaults, a style, direct formatting) sets them.
struct RunLookProps {
    std::optional<bool> bold, italic, smallCaps, allCaps;
    std::optional<Underline> underline;
    std::optional<VertAlign> vertAlign;
    std::optional<int16_t> halfPoints, spacing;
    std::optional<int32_t> highlight;     // COLORREF of w:highlight's named colour
    std::optional<QString> latinFont, eastAsiaFont;
    void inheritFrom(const RunLookProps& base);
    bool operator==(const RunLookProps&) const = default;
};

// Resolved character looks. An empty font name: the view's default font.
struct RunLook {
    bool bold = false, italic = false, smallCaps = false, allCaps = false;
    Underline underline = Underline::None;
    VertAlign vertAlign = VertAlign::Baseline;
    int16_t halfPoints = 21;   // Word's default 10.5 pt
    int16_t spacing = 0;
    int32_t highlight = -1;    // -1: none
    QString latinFont, eastAsiaFont;
    bool operator==(const RunLook&) const = default;
};

// Paragraph looks as one level sets them.
struct ParaLookProps {
    std::optional<Align> align;
    std::optional<int32_t> left, right, firstLine;   // firstLine < 0: hanging
    std::optional<int32_t> before, after;
    std::optional<int32_t> line;                     // 240ths of a line when the rule is Auto
    std::optional<LineRule> lineRule;
    std::optional<int32_t> numId, level;
    std::optional<bool> keepNext, keepLines, widowControl, pageBreakBefore;
    std::optional<bool> rightToLeft, snapToGrid, contextualSpacing;
    // A level's tab stops add to those it inherits, but for the positions it clears.
    std::vector<TabStop> tabs;
    std::vector<int32_t> clearedTabs;
    void inheritFrom(const ParaLookProps& base);
};

struct ParaLook {
    int32_t start = 0;         // the paragraph's first position; it ends at the next one's start
    Align align = Align::Left;
    int32_t left = 0, right = 0, firstLine = 0, before = 0, after = 0;
    int32_t line = 240;
    LineRule lineRule = LineRule::Auto;
    bool snapToGrid = true;    // its lines follow its section's line grid, if any
    int32_t gridPitch = 0;     // that grid's pitch: each line takes a whole number of these
    bool rightToLeft = false;  // w:bidi
    bool contextualSpacing = false;   // no spacing between it and a neighbour of its style
    std::vector<TabStop> tabs; // by position
    int32_t numId = 0, level = 0;   // the list it belongs to; numId 0: none
    bool keepNext = false;     // on the page of the next paragraph's first lines
    bool keepLines = false;    // all its lines on one page
    bool widowControl = true;  // never one line alone at a page's foot or top
    bool pageBreakBefore = false;
    QString label;             // list number or bullet, drawn before the text, not in the story
};

// A looks change at start, holding until the next one's start.
struct RunLookRun {
    int32_t start = 0;
    RunLook look;
};

enum class CellAlign : uint8_t { Top, Center, Bottom };

struct CellLook {
    int32_t start = 0, end = 0;   // first position and the position of the cell's mark
    int column = 0;               // first grid column
    int span = 1;                 // w:gridSpan
    int rowSpan = 1;              // rows a w:vMerge restart covers
    bool merged = false;          // continues the cell above (w:vMerge without restart)
    int32_t shading = -1;         // COLORREF fill, -1 none
    CellAlign vAlign = CellAlign::Top;   // where its text stands in a taller row
};

// Room between a cell's edges and its text, in twips.
struct CellMargins {
    int32_t top = 0, left = 108, bottom = 0, right = 108;   // Word's defaults
    bool operator==(const CellMargins&) const = default;
};

struct TableLook {
    int32_t start = 0, end = 0;   // first position and the position of the last row's mark
    std::vector<int32_t> grid;    // column widths
    std::vector<std::vector<CellLook>> rows;
    bool borders = false;
    bool rightToLeft = false;     // w:bidiVisual: the first column at the right
    Align align = Align::Left;    // where the table stands between the margins
    int32_t indent = 0;           // w:tblInd: its left edge from the margin
    CellMargins margins;
    int headerRows = 0;           // leading rows repeated at the top of each page (w:tblHeader)
    std::vector<bool> keptWhole;  // by row, up to the last marked: never split across pages (w:cantSplit)
    std::vector<int32_t> rowHeights;   // by row, up to the last set (w:trHeight): at least that tall
};

// What an anchored drawing's position on one axis is measured from: an area of the page, or the
// text around the anchor.
enum class AnchorFrom : uint8_t { Page, Margin, Column, Paragraph, Character, Line, LeftMargin, RightMargin, TopMargin, BottomMargin };
// Aligned within that area (left or top, centre, right or bottom) instead of set off by an offset.
enum class AnchorAlign : uint8_t { None, Start, Center, End };
// How the text around an anchored drawing makes room for it.
enum class Wrap : uint8_t { InFront, Behind, Square, Tight, TopAndBottom };
// Which sides of a square or tight wrapped drawing the text runs on.
enum class WrapSide : uint8_t { Both, Left, Right, Largest };
// The outline of a drawn shape; any other is drawn as its bounding rectangle. A freeform's
// outline is its paths.
enum class Geometry : uint8_t { None, Rect, RoundRect, Ellipse, Line, Triangle, Diamond, Freeform };

struct AnchorPlace {
    AnchorFrom from = AnchorFrom::Column;
    AnchorAlign align = AnchorAlign::None;
    int32_t offset = 0;
    int32_t percent = -1;         // set off by this share of the area instead, in 1/1000 %; -1: none
    bool operator==(const AnchorPlace&) const = default;
};

// One step of a freeform's outline, its points as fractions of the shape's width and height.
struct PathStep {
    enum Kind : uint8_t { Move, Line, Cubic, Quad, Arc, Close };
    Kind kind = Move;
    // Move, Line: the end; Quad: the control point and the end; Cubic: the two control points and
    // the end; Arc: the top left and the size of the ellipse it runs along.
    QPointF points[3];
    double start = 0, sweep = 0;   // Arc: degrees, counter-clockwise
};

// One path of a freeform, filled and outlined as the shape is unless it says not.
struct FreeformPath {
    std::vector<PathStep> steps;
    bool filled = true, stroked = true;
};

// How a shape with neither picture nor text is drawn, and a text box's frame.
struct ShapeLook {
    Geometry geometry = Geometry::None;    // None: a picture or text box draws no shape of its own
    bool outlined = true;
    bool flipH = false, flipV = false;     // mirrored: a line then runs from another corner
    int32_t lineColor = 0;                 // COLORREF of the outline, when outlined
    int32_t lineWidth = 10;                // twips
    int32_t fill = -1;                     // COLORREF inside the outline, -1: none
    bool arrowAtStart = false, arrowAtEnd = false;
    std::vector<FreeformPath> paths;       // a freeform's
};

// A member of a group of shapes, where it stands within the group's extent.
struct GroupMember {
    double left = 0, top = 0, width = 1, height = 1;   // fractions of the group's width and height
    bool textBox = false;         // it holds the next of the text boxes anchored with the group
    QString media;                // a picture's package part; empty: none
    ShapeLook shape;
};

struct PictureLook {
    int32_t pos = 0;              // the picture's character (inline) or the shape anchor
    int32_t width = 0, height = 0;
    bool anchored = false;
    QString media;                // package part, e.g. "word/media/image1.png"; empty: none
    QString altText;
    // Anchored drawings only.
    AnchorPlace horizontal, vertical{AnchorFrom::Paragraph};
    Wrap wrap = Wrap::InFront;
    WrapSide wrapSide = WrapSide::Both;
    int32_t distTop = 0, distBottom = 0;   // room the text keeps above and below it
    bool textBox = false;         // it holds a text box (Document::textBoxes anchored at pos)
    bool fitsText = false;        // a text box as tall as its text, whatever its extent says
    ShapeLook shape;
    std::vector<GroupMember> members;   // a group's, each drawn at its place; none: one shape
};

// Where a ruby's text stands over its base: centred, spread over the base's width with or
// without a half gap at each end, or at one end.
enum class RubyAlign : uint8_t { Center, DistributeLetter, DistributeSpace, Left, Right };

// Ruby text (furigana) drawn small over its base. The story keeps a ruby as a field whose code
// holds the ruby text and whose result is the base: the base runs from after the field's
// separator to its end.
struct RubyLook {
    int32_t separator = 0, end = 0;   // positions of the field's separator and end
    QString text;
    int16_t halfPoints = 10;          // w:hps
    int16_t raise = -1;               // w:hpsRaise: the ruby's baseline over the base's, half points; -1: unset
    RubyAlign align = RubyAlign::Center;
    bool operator==(const RubyLook&) const = default;
};

struct Look {
    std::vector<RunLookRun> runs;
    std::vector<ParaLook> paras;     // by start
    std::vector<TableLook> tables;   // by start; a nested table follows the table holding it
    std::vector<PictureLook> pictures;
    std::vector<RubyLook> rubies;    // by position
    int32_t defaultTab = 720;        // w:defaultTabStop: the stops after a paragraph's own

    bool empty() const { return runs.empty() && paras.empty(); }
    // The looks from pos on, until the next set().
    void set(int32_t pos, const RunLook& look);
    // Appends another story's look whose positions start at shift here.
    void append(const Look& src, int32_t shift);
    // The span [start, end) of the story became insertedLength positions long.
    void replace(int32_t start, int32_t end, int32_t insertedLength);
    // Every position moved as to says (never backwards past an earlier one), for several edits
    // at once; pictures whose characters went stay on the position they went to. A ruby whose
    // base is gone goes too (replace as well).
    void remap(const std::function<int32_t(int32_t)>& to);

private:
    // Rubies whose base an edit removed whole are drawn no more.
    void dropBaseless();
};

// Where a section's text begins: on a new page (of the given parity), or on the same page.
enum class SectionStart : uint8_t { NextPage, Continuous, EvenPage, OddPage };

// A section's page, in twips.
struct PageLook {
    SectionStart start = SectionStart::NextPage;
    int32_t numberStart = -1;   // the number of the section's first page; -1: counting on
    int32_t width = 11906, height = 16838;   // A4
    int32_t top = 1985, bottom = 1701, left = 1701, right = 1701;
    int32_t header = 851, footer = 992;
    int32_t linePitch = 0;      // w:docGrid of type lines or linesAndChars; 0: no grid for lines
};

} // namespace docx
