#pragma once

#include "platform/docx/Look.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <string_view>
#include <utility>

namespace docx {

class Theme;
class XmlReader;

// What a drawing's shapes draw, read element by element as the drawing is walked: the geometry,
// outline and fill of the drawing's shape or of each member of its group or canvas, from DrawingML
// (a:prstGeom, a:ln, a:solidFill and the theme colours the style refers to, wpg:wgp, wpc:wpc) or
// from VML (v:rect, v:oval, v:roundrect, v:line, v:shape's stroke and fill, v:group), groups
// within groups placed through each one's coordinates. A freeform (a:custGeom, or a v:shape of
// no preset type with a path of its own) draws its paths;
// a preset shape outside the few known, its rectangle.
class ShapeReader {
public:
    explicit ShapeReader(const Theme& theme) : m_theme(&theme) {}

    // Forgets the drawing read before.
    void reset() { *this = ShapeReader(*m_theme); }
    // Takes what the element the reader stands on tells; the reader is left on it.
    void element(const XmlReader& x);
    // The shape being read shows the picture of package part media.
    void picture(const QString& media);
    // Puts what was read into look.
    void finish(PictureLook& look) const;

private:
    // A freeform's path in its own coordinates, as wide and high as it says (none: the shape's extent).
    struct RawPath {
        double width = 0, height = 0;
        bool readable = true;   // every point a number (guides are not evaluated)
        FreeformPath path;
    };
    // One shape as read so far: the drawing's own, or a member of its group.
    struct Shape {
        Geometry geometry = Geometry::None;
        bool flipH = false, flipV = false, vml = false, textBox = false;
        // A colour, -1 for none; the style's count only where the shape's own properties give none.
        std::optional<int32_t> fill, line, styleFill, styleLine;
        std::optional<int32_t> lineWidth;   // twips
        bool arrowAtStart = false, arrowAtEnd = false;
        double box[4] = {0, 0, 0, 0};       // a member's x, y, width and height in its group's coordinates
        int group = -1;                     // that group, an index into m_groups
        QString media;
        std::vector<RawPath> paths;
        ShapeLook look() const;
    };
    // A group, the drawing's own or one within another.
    struct Group {
        int depth = 0;                      // of its element
        int parent = -1;                    // the group holding it
        double place[4] = {0, 0, 0, 0};     // where it stands in its parent's coordinates
        double own[4] = {0, 0, 0, 0};       // its own coordinates: origin and size
    };

    Shape& shape() { return m_open >= 0 && !m_members.empty() ? m_members.back() : m_shape; }
    void group(const XmlReader& x);
    // A member's box in the drawing's group's coordinates.
    void toOutermost(const Shape& member, double box[4]) const;
    // An element of a:custGeom's a:pathLst.
    void path(const XmlReader& x);
    // A VML shape's path (v:shape's path), in coordinates from origin, width by height.
    static RawPath vmlPath(std::string_view v, QPointF origin, double width, double height);
    void drawingMl(const XmlReader& x);
    void vml(const XmlReader& x);
    // A DrawingML colour element (a:srgbClr, a:schemeClr ...) or one of its changes (a:shade).
    void color(const XmlReader& x);

    const Theme* m_theme;
    Shape m_shape;
    std::deque<Shape> m_members;                    // a group's, in order
    std::vector<Group> m_groups;                    // the drawing's first, each before those within it
    int m_open = -1;                                // the innermost open group
    double* m_box = nullptr;                        // the box the open a:xfrm places (a:off, a:ext)
    double* m_childBox = nullptr;                   // and a group's own coordinates (a:chOff, a:chExt)
    int m_boxDepth = -2;
    std::optional<int32_t>* m_colorOf = nullptr;    // where the colour being read goes
    int m_colorDepth = -2;                          // the depth of its colour element
    int m_lineDepth = -2, m_propsDepth = -2;        // of the open a:ln and shape properties (spPr)
    int m_groupPropsDepth = -2;                     // of the group's properties (wpg:grpSpPr)
    int m_pathListDepth = -2;                       // of the open a:pathLst
    QPointF m_pathAt;                               // where the path being read has got to
    int m_stepPoints = 0;                           // points its last step has read
};

// One property of a VML style ("position:absolute;margin-left:90pt"), empty when absent.
std::string_view vmlStyle(std::string_view style, std::string_view name);
// A VML length in twips: "120pt", "1.5in", "96px", "2cm"; a bare number is in points.
int32_t vmlTwips(std::string_view value);
// A VML point "x,y" ("72pt,36pt") in twips.
std::pair<int32_t, int32_t> vmlPoint(std::string_view value);

// COLORREF of a VML colour: "#RRGGBB", "#RGB" or a name ("black", "red" ...), maybe followed by
// a palette index ("#FF0000 [4]"); nothing when it is none of these.
std::optional<int32_t> vmlColor(std::string_view value);

} // namespace docx
