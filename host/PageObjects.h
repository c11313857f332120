#pragma once

#include "host/PageLayout.h"
#include "platform/docx/Look.h"

#include <QColor>
#include <QImage>
#include <QRectF>

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

class QPainter;
class QPalette;
class QTextDocument;

namespace host {

class StoryView;
struct DrawnStory;

// The pictures of a document decoded once, by part name; a null image for a format Qt cannot
// read (drawn as a framed box).
using Pictures = std::map<QString, QImage>;

// Floating pictures and text boxes of the paged main text: placed on the page of their anchor,
// by the area of the page (or the paragraph, line or character of the anchor) each axis is
// measured from. The text makes room only for drawings set against their anchor's paragraph or
// line that it wraps (square, tight, top and bottom): the view keeps room as tall as the drawing
// at the anchor, beside which the lines run when the drawing stands at one side of the column
// (square and tight wrap), or a full-width band that the lines after it start below; any other
// drawing lies over the text or behind it.

// Whether the drawing's anchor keeps a band of its height in the text.
bool reservesBand(const docx::PictureLook& look);
// The band's height in pixels: from the top of the anchor's line to the drawing's foot and the
// room kept below it.
double bandHeight(const docx::PictureLook& look, double zoom);

// The room a wrapped drawing takes at one side of the column, the text running beside it.
struct SideRoom {
    enum Side { None, Left, Right, Outside };
    Side side = None;     // None: the text cannot run beside it, it keeps a band instead; Outside:
                          // a square or tight wrapped one beside the column, the text keeps no room
    double width = 0;     // pixels, from the column's edge to the drawing's far side and the gap kept
};
// Where the text runs beside a wrapped drawing, on pages laid out in frame: on a side of it wide
// enough for text that its wrap allows, the wider if both are.
SideRoom sideRoom(const docx::PictureLook& look, const PageFrame& frame, double zoom);

// Whether a wrapped drawing is placed against the page or its margins (or aligned), so that the
// text keeps its room where it stands on its page rather than at its anchor.
bool keepsPageRoom(const docx::PictureLook& look);

// The room the text keeps on a page for such a drawing: before the paragraph its top stands
// beside (or the page's first below that), as tall as from that paragraph's top to the drawing's
// foot, at one side of the column as sideRoom says, or across the column (the lines going on below
// it). Height 0: the text keeps none, the drawing standing in a margin or beside the column.
struct PageRoom {
    int32_t at = 0;       // the story position where that paragraph starts
    SideRoom side;        // Left or Right
    double height = 0;    // pixels
};
// The room the view's story keeps for such a drawing on the page its anchor stands on, among the
// paragraphs starting at these story positions (ascending, none in a table); none while that page
// is not paged to its foot.
std::optional<PageRoom> pageRoom(const StoryView& view, const docx::PictureLook& picture,
                                 const std::vector<int32_t>& paragraphs, double zoom);

struct PageObject {
    size_t look = 0;      // index into the story's Look::pictures
    int page = 0;         // 0-based
    QRectF rect;          // document coordinates
    bool behind = false;  // drawn behind the text
};

// Where each anchored drawing of the view's story stands, as the view is now laid out in pages.
// Drawings whose anchor is not laid out yet (a long story being laid out in steps) are left out.
std::vector<PageObject> placePageObjects(const StoryView& view, const docx::Look& look, double zoom);

// Where each anchored drawing of a story drawn on every page (a header or footer, drawn with its
// top left at origin on the page whose top is pageTop) stands on that page. They lie behind the
// main text, as the header's whole layer does.
std::vector<PageObject> placeRepeatedObjects(const DrawnStory& drawn, const docx::Look& look, const QPointF& origin,
                                             int page, double pageTop, const PageFrame& frame, double zoom);

// Draws a drawn story's text at origin, clipped to clip (in the drawn story's coordinates), with
// the drawn span [selStart, selEnd) highlighted when it is not empty.
void paintDrawnStory(QPainter& painter, const DrawnStory& drawn, const QPointF& origin, const QRectF& clip,
                     int selStart, int selEnd, const QPalette& palette);

// The colour of a COLORREF (R + 256 G + 65536 B).
QColor fromColorRef(int32_t colorRef);

// Draws a shape that holds neither picture nor text in rect: its outline and fill, a line
// from corner to corner (with its arrowheads) as its flips say.
void paintShape(QPainter& painter, const docx::ShapeLook& look, const QRectF& rect, double zoom);
// Draws a drawing in rect, all but its text boxes' text: its picture (a framed box with its text
// when Qt cannot read it), or its shape, or each member of its group. A text box's shape is filled
// white when it has no fill of its own, unless it lies behind the text.
void paintDrawing(QPainter& painter, const docx::PictureLook& look, const QRectF& rect, double zoom,
                  const Pictures& pictures, bool behind = false);
// Where a member of a group drawn in rect stands.
QRectF memberRect(const docx::GroupMember& member, const QRectF& rect);

// A picture whose format Qt cannot read: a frame of its size with its text.
QImage pictureBox(QSize size, const QString& text);

// The insets between a text box's frame and its text, in pixels (Word's default: 0.1" at the
// sides, 0.05" above and below).
QMarginsF textBoxInsets(double zoom);

} // namespace host
