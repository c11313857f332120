#include "host/PageObjects.h"

#include "host/StoryView.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPolygonF>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextOption>

#include <algorithm>
#include <optional>

namespace host {

namespace {

using docx::AnchorAlign;
using docx::AnchorFrom;

double px(int32_t twips, double zoom) { return twips / 15.0 * zoom; }

bool againstText(AnchorFrom from)
{
    return from == AnchorFrom::Paragraph || from == AnchorFrom::Line || from == AnchorFrom::Character;
}

// Where the drawing starts on one axis within the area [from, to] it is measured against.
double along(const docx::AnchorPlace& place, double from, double to, double size, double zoom)
{
    switch (place.align) {
    case AnchorAlign::Start: return from;
    case AnchorAlign::Center: return (from + to - size) / 2;
    case AnchorAlign::End: return to - size;
    case AnchorAlign::None: break;
    }
    if (place.percent >= 0)
        return from + (to - from) * place.percent / 100000.0;
    return from + px(place.offset, zoom);
}

// The anchor as laid out: the top of its paragraph and of its line, and its x.
struct AnchorPoint {
    double paragraphTop = 0, lineTop = 0, x = 0;
};

// Where the anchor at drawn position `drawn` is laid out; false when it is not yet and layOut is
// false (a long story laid out in steps is not laid out further for it).
bool anchorPoint(const QTextDocument* doc, int drawn, bool layOut, AnchorPoint& at)
{
    const QTextBlock block = doc->findBlock(drawn);
    const QTextLayout* layout = block.isValid() ? block.layout() : nullptr;
    if (!layout || (!layOut && layout->lineCount() == 0))
        return false;
    const QRectF rect = doc->documentLayout()->blockBoundingRect(block);   // lays the text out up to it
    if (layout->lineCount() == 0)
        return false;
    const int inBlock = std::clamp(drawn - block.position(), 0, std::max(0, block.length() - 1));
    QTextLine line = layout->lineForTextPosition(inBlock);
    if (!line.isValid())
        line = layout->lineAt(layout->lineCount() - 1);
    const double origin = rect.top() - layout->boundingRect().top();
    at.paragraphTop = origin + layout->lineAt(0).y();
    at.lineTop = origin + line.y();
    at.x = rect.left() - layout->boundingRect().left() + line.cursorToX(inBlock);
    return true;
}

} // namespace

bool reservesBand(const docx::PictureLook& look)
{
    const bool wrapped = look.wrap == docx::Wrap::Square || look.wrap == docx::Wrap::Tight
                         || look.wrap == docx::Wrap::TopAndBottom;
    return look.anchored && wrapped && againstText(look.vertical.from) && look.vertical.align == AnchorAlign::None;
}

double bandHeight(const docx::PictureLook& look, double zoom)
{
    return std::max(1.0, px(look.vertical.offset + look.height + look.distBottom, zoom));
}

namespace {

// Where the drawing starts across the page, its anchor's character at x.
double leftOnPage(const docx::PictureLook& picture, double x, const PageFrame& frame, double zoom)
{
    double left = frame.left, right = frame.width - frame.right;   // the column
    switch (picture.horizontal.from) {
    case AnchorFrom::Page: left = 0, right = frame.width; break;
    case AnchorFrom::LeftMargin: left = 0, right = frame.left; break;
    case AnchorFrom::RightMargin: left = frame.width - frame.right, right = frame.width; break;
    case AnchorFrom::Character: left = right = x; break;
    default: break;
    }
    return along(picture.horizontal, left, right, px(picture.width, zoom), zoom);
}

// Where a drawing whose anchor is laid out at `at` stands on the page whose top is pageTop.
QRectF placeOnPage(const docx::PictureLook& picture, const AnchorPoint& at, double pageTop, const PageFrame& frame,
                   double zoom)
{
    const double width = px(picture.width, zoom), height = px(picture.height, zoom);
    const double pageBottom = pageTop + frame.height;
    double top = pageTop + frame.top, bottom = pageBottom - frame.bottom;   // the margins
    switch (picture.vertical.from) {
    case AnchorFrom::Page: top = pageTop, bottom = pageBottom; break;
    case AnchorFrom::TopMargin: top = pageTop, bottom = pageTop + frame.top; break;
    case AnchorFrom::BottomMargin: top = pageBottom - frame.bottom, bottom = pageBottom; break;
    case AnchorFrom::Paragraph: top = bottom = reservesBand(picture) ? at.lineTop : at.paragraphTop; break;
    case AnchorFrom::Line:
    case AnchorFrom::Character: top = bottom = at.lineTop; break;
    default: break;
    }
    return QRectF(leftOnPage(picture, at.x, frame, zoom), along(picture.vertical, top, bottom, height, zoom), width,
                  height);
}

} // namespace

SideRoom sideRoom(const docx::PictureLook& look, const PageFrame& frame, double zoom)
{
    // The reader keeps no gap beside a drawing: Word's default one (1/8") is kept, and a side is
    // wide enough for text from an inch.
    constexpr int32_t kGapBeside = 180, kNarrowestText = 1440;
    if ((look.wrap != docx::Wrap::Square && look.wrap != docx::Wrap::Tight) || look.horizontal.from == AnchorFrom::Character)
        return {};
    const double columnLeft = frame.left, columnRight = frame.width - frame.right;
    const double left = leftOnPage(look, 0, frame, zoom) - px(kGapBeside, zoom);
    const double right = left + px(look.width + 2 * kGapBeside, zoom);
    if (right <= columnLeft || left >= columnRight)
        return {SideRoom::Outside, 0};
    const double roomLeft = left - columnLeft, roomRight = columnRight - right;
    bool textLeft = roomLeft >= px(kNarrowestText, zoom) && look.wrapSide != docx::WrapSide::Right;
    bool textRight = roomRight >= px(kNarrowestText, zoom) && look.wrapSide != docx::WrapSide::Left;
    // The lines cannot run on both sides at once: they take the wider one, the left if even.
    if (textLeft && textRight)
        (roomLeft >= roomRight ? textRight : textLeft) = false;
    if (!(textLeft || textRight))
        return {};
    return textRight ? SideRoom{SideRoom::Left, right - columnLeft} : SideRoom{SideRoom::Right, columnRight - left};
}

bool keepsPageRoom(const docx::PictureLook& look)
{
    const bool wrapped = look.wrap == docx::Wrap::Square || look.wrap == docx::Wrap::Tight
                         || look.wrap == docx::Wrap::TopAndBottom;
    return look.anchored && wrapped && !reservesBand(look);
}

std::optional<PageRoom> pageRoom(const StoryView& view, const docx::PictureLook& picture,
                                 const std::vector<int32_t>& paragraphs, double zoom)
{
    const QTextDocument* doc = view.document();
    AnchorPoint at;
    if (picture.pos > view.storyLength() || view.displayPosition(picture.pos) >= view.pagedTo()
        || !anchorPoint(doc, view.displayPosition(picture.pos), false, at))
        return std::nullopt;
    const int page = view.pageAt(at.lineTop + 1);
    if (page >= view.finishedPages())
        return std::nullopt;   // its paragraphs are not all known yet
    const Page& onPage = view.pages()[static_cast<size_t>(page)];
    const PageFrame& frame = view.frameOf(onPage);
    const QRectF rect = placeOnPage(picture, at, onPage.top, frame, zoom);
    const double top = rect.top() - px(picture.distTop, zoom), bottom = rect.bottom() + px(picture.distBottom, zoom);
    const double bodyTop = onPage.top + frame.top;
    SideRoom side = sideRoom(picture, frame, zoom);
    if (bottom <= bodyTop || top >= onPage.top + frame.height - frame.bottom || side.side == SideRoom::Outside)
        return PageRoom{};   // in a margin or beside the column: no text there to keep clear
    if (side.side == SideRoom::None)
        side = {SideRoom::Left, static_cast<double>(frame.bodyWidth())};
    // The last paragraph of the page starting at or above the drawing's top, else the first
    // starting beside it. A paragraph going on from the page before has its room there. The
    // search starts from the anchor's paragraph, back to the page's top.
    const auto topOf = [&](size_t k, AnchorPoint& start) {
        return anchorPoint(doc, view.displayPosition(paragraphs[k]), false, start) ? start.paragraphTop : -1.0;
    };
    size_t k = static_cast<size_t>(std::upper_bound(paragraphs.begin(), paragraphs.end(), picture.pos) - paragraphs.begin());
    for (AnchorPoint start; k > 0 && topOf(k - 1, start) >= bodyTop - 0.5;)
        --k;
    std::optional<std::pair<int32_t, double>> holder;
    for (AnchorPoint start; k < paragraphs.size() && view.displayPosition(paragraphs[k]) < view.pagedTo(); ++k) {
        const double paragraphTop = topOf(k, start);
        if (paragraphTop < bodyTop - 0.5)
            continue;
        if (paragraphTop <= top) {
            holder = {paragraphs[k], paragraphTop};
        } else {
            if (!holder && paragraphTop < bottom)
                holder = {paragraphs[k], paragraphTop};
            break;
        }
    }
    if (!holder)
        return PageRoom{};
    return PageRoom{holder->first, side, bottom - holder->second};
}

std::vector<PageObject> placePageObjects(const StoryView& view, const docx::Look& look, double zoom)
{
    std::vector<PageObject> placed;
    const std::vector<Page>& pages = view.pages();
    if (pages.empty())
        return placed;
    for (size_t i = 0; i < look.pictures.size(); ++i) {
        const docx::PictureLook& picture = look.pictures[i];
        AnchorPoint at;
        // Those on pages yet: looking further would have Qt lay out the text beyond the pages.
        if (!picture.anchored || picture.pos > view.storyLength() || view.displayPosition(picture.pos) >= view.pagedTo()
            || !anchorPoint(view.document(), view.displayPosition(picture.pos), false, at))
            continue;
        const int page = view.pageAt(at.lineTop + 1);
        const Page& onPage = pages[static_cast<size_t>(page)];
        placed.push_back({i, page, placeOnPage(picture, at, onPage.top, view.frameOf(onPage), zoom),
                          picture.wrap == docx::Wrap::Behind});
    }
    return placed;
}

std::vector<PageObject> placeRepeatedObjects(const DrawnStory& drawn, const docx::Look& look, const QPointF& origin,
                                             int page, double pageTop, const PageFrame& frame, double zoom)
{
    std::vector<PageObject> placed;
    for (size_t i = 0; i < look.pictures.size(); ++i) {
        const docx::PictureLook& picture = look.pictures[i];
        AnchorPoint at;
        if (!picture.anchored || picture.pos >= static_cast<int32_t>(drawn.toDisplay.size())
            || !anchorPoint(drawn.doc, drawn.toDisplay.at(picture.pos), true, at))
            continue;
        at.paragraphTop += origin.y();
        at.lineTop += origin.y();
        at.x += origin.x();
        placed.push_back({i, page, placeOnPage(picture, at, pageTop, frame, zoom), true});
    }
    return placed;
}

void paintDrawnStory(QPainter& painter, const DrawnStory& drawn, const QPointF& origin, const QRectF& clip,
                     int selStart, int selEnd, const QPalette& palette)
{
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = clip;
    if (selEnd > selStart) {
        QAbstractTextDocumentLayout::Selection selection;
        selection.cursor = QTextCursor(drawn.doc);
        selection.cursor.setPosition(selStart);
        selection.cursor.setPosition(selEnd, QTextCursor::KeepAnchor);
        selection.format.setBackground(palette.color(QPalette::Highlight));
        selection.format.setForeground(palette.color(QPalette::HighlightedText));
        context.selections.push_back(selection);
    }
    painter.save();
    painter.translate(origin);
    painter.setClipRect(clip);
    drawn.doc->documentLayout()->draw(&painter, context);
    painter.restore();
}

namespace {

// A filled arrowhead whose tip is at `tip`, pointing away from `from`.
void paintArrowhead(QPainter& painter, QPointF from, QPointF tip, double size)
{
    const QLineF back(tip, from);
    if (back.length() <= 0)
        return;
    QLineF side = back;
    side.setLength(size);
    QLineF left = side, right = side;
    left.setAngle(back.angle() + 25);
    right.setAngle(back.angle() - 25);
    painter.setBrush(painter.pen().color());
    painter.drawPolygon(QPolygonF({tip, left.p2(), right.p2()}));
}

// A freeform's path, its points in fractions of the shape's extent.
QPainterPath painterPath(const docx::FreeformPath& path)
{
    QPainterPath out;
    for (const docx::PathStep& step : path.steps) {
        const QPointF* p = step.points;
        switch (step.kind) {
        case docx::PathStep::Move: out.moveTo(p[0]); break;
        case docx::PathStep::Line: out.lineTo(p[0]); break;
        case docx::PathStep::Cubic: out.cubicTo(p[0], p[1], p[2]); break;
        case docx::PathStep::Quad: out.quadTo(p[0], p[1]); break;
        case docx::PathStep::Arc: out.arcTo(QRectF(p[0], QSizeF(p[1].x(), p[1].y())), step.start, step.sweep); break;
        case docx::PathStep::Close: out.closeSubpath(); break;
        }
    }
    return out;
}

// Draws a freeform's paths into rect, mirrored as its flips say, each filled and outlined as the
// painter is unless the path says not.
void paintFreeform(QPainter& painter, const docx::ShapeLook& look, const QRectF& rect)
{
    const QTransform into(look.flipH ? -rect.width() : rect.width(), 0, 0, look.flipV ? -rect.height() : rect.height(),
                          look.flipH ? rect.right() : rect.left(), look.flipV ? rect.bottom() : rect.top());
    for (const docx::FreeformPath& path : look.paths) {
        painter.save();
        if (!path.filled)
            painter.setBrush(Qt::NoBrush);
        if (!path.stroked)
            painter.setPen(Qt::NoPen);
        painter.drawPath(into.map(painterPath(path)));
        painter.restore();
    }
}

} // namespace

void paintShape(QPainter& painter, const docx::ShapeLook& look, const QRectF& rect, double zoom)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const double width = std::max(1.0, px(look.lineWidth, zoom));
    painter.setPen(look.outlined ? QPen(fromColorRef(look.lineColor), width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin)
                                 : QPen(Qt::NoPen));
    painter.setBrush(look.fill >= 0 ? QBrush(fromColorRef(look.fill)) : QBrush(Qt::NoBrush));
    const double l = rect.left(), r = rect.right(), t = rect.top(), b = rect.bottom();
    switch (look.geometry) {
    case docx::Geometry::Line: {
        const QPointF start(look.flipH ? r : l, look.flipV ? b : t), end(look.flipH ? l : r, look.flipV ? t : b);
        painter.drawLine(start, end);
        if (look.outlined && look.arrowAtStart)
            paintArrowhead(painter, end, start, width * 3 + 4);
        if (look.outlined && look.arrowAtEnd)
            paintArrowhead(painter, start, end, width * 3 + 4);
        break;
    }
    case docx::Geometry::Ellipse: painter.drawEllipse(rect); break;
    case docx::Geometry::RoundRect: {
        const double radius = std::min(rect.width(), rect.height()) / 6;   // Word's default corner
        painter.drawRoundedRect(rect, radius, radius);
        break;
    }
    case docx::Geometry::Triangle:
        painter.drawPolygon(look.flipV ? QPolygonF({QPointF(l, t), QPointF(r, t), QPointF((l + r) / 2, b)})
                                       : QPolygonF({QPointF((l + r) / 2, t), QPointF(r, b), QPointF(l, b)}));
        break;
    case docx::Geometry::Diamond:
        painter.drawPolygon(QPolygonF({QPointF((l + r) / 2, t), QPointF(r, (t + b) / 2), QPointF((l + r) / 2, b),
                                       QPointF(l, (t + b) / 2)}));
        break;
    case docx::Geometry::Freeform: paintFreeform(painter, look, rect); break;
    case docx::Geometry::None: break;
    default: painter.drawRect(rect); break;
    }
    painter.restore();
}

QColor fromColorRef(int32_t colorRef)
{
    return QColor(colorRef & 0xFF, (colorRef >> 8) & 0xFF, (colorRef >> 16) & 0xFF);
}

QRectF memberRect(const docx::GroupMember& member, const QRectF& rect)
{
    return {rect.left() + member.left * rect.width(), rect.top() + member.top * rect.height(),
            member.width * rect.width(), member.height * rect.height()};
}

namespace {

void paintPicture(QPainter& painter, const QString& media, const QString& caption, const QRectF& rect,
                  const Pictures& pictures)
{
    const auto found = pictures.find(media);
    if (found != pictures.end() && !found->second.isNull())
        painter.drawImage(rect, found->second);
    else
        painter.drawImage(rect.topLeft(), pictureBox(rect.size().toSize(), caption));
}

// A text box's frame: its shape (a rectangle when it has none), filled white over the text when
// it has no fill of its own.
docx::ShapeLook textBoxFrame(docx::ShapeLook frame, bool behind)
{
    if (frame.geometry == docx::Geometry::None || frame.geometry == docx::Geometry::Line)
        frame.geometry = docx::Geometry::Rect;
    if (frame.fill < 0 && !behind)
        frame.fill = 0xFFFFFF;
    return frame;
}

} // namespace

void paintDrawing(QPainter& painter, const docx::PictureLook& look, const QRectF& rect, double zoom,
                  const Pictures& pictures, bool behind)
{
    for (const docx::GroupMember& m : look.members) {
        if (!m.media.isEmpty())
            paintPicture(painter, m.media, m.media.section(u'/', -1), memberRect(m, rect), pictures);
        else
            paintShape(painter, m.textBox ? textBoxFrame(m.shape, behind) : m.shape, memberRect(m, rect), zoom);
    }
    if (!look.members.empty())
        return;
    if (look.textBox) {
        paintShape(painter, textBoxFrame(look.shape, behind), rect, zoom);
        return;
    }
    if (look.media.isEmpty() && look.shape.geometry != docx::Geometry::None)
        paintShape(painter, look.shape, rect, zoom);
    else
        paintPicture(painter, look.media, look.altText.isEmpty() ? look.media.section(u'/', -1) : look.altText, rect,
                     pictures);
}

QImage pictureBox(QSize size, const QString& text)
{
    QImage box(size.expandedTo(QSize(16, 16)), QImage::Format_ARGB32_Premultiplied);
    box.fill(Qt::white);
    QPainter p(&box);
    p.setPen(QPen(QColor(0x90, 0x90, 0x90), 1));
    p.drawRect(box.rect().adjusted(0, 0, -1, -1));
    // A name with no space in it ("Word.Document.12") breaks where it must to stay inside.
    QTextOption wrapped(Qt::AlignCenter);
    wrapped.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    p.drawText(QRectF(box.rect().adjusted(4, 4, -4, -4)), text, wrapped);
    return box;
}

QMarginsF textBoxInsets(double zoom)
{
    return QMarginsF(px(144, zoom), px(72, zoom), px(144, zoom), px(72, zoom));
}

} // namespace host
