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
// from VML (v:rect, v:oval, v:roundrect, v:line, v:shape's stroke and fill, v:group). A freeform
// (a:custGeom, a VML path) draws nothing; a preset shape outside the few known, its rectangle.
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
    // One shape as read so far: the drawing's own, or a member of its group.
    struct Shape {
        Geometry geometry = Geometry::None;
        bool flipH = false, flipV = false, vml = false, textBox = false;
        // A colour, -1 for none; the style's count only where the shape's own properties give none.
        std::optional<int32_t> fill, line, styleFill, styleLine;
        std::optional<int32_t> lineWidth;   // twips
        bool arrowAtStart = false, arrowAtEnd = false;
        double box[4] = {0, 0, 0, 0};       // a member's x, y, width and height in the group's coordinates
        QString media;
        ShapeLook look() const;
    };

    Shape& shape() { return m_groupDepth >= 0 && !m_members.empty() ? m_members.back() : m_shape; }
    void drawingMl(const XmlReader& x);
    void vml(const XmlReader& x);
    // A DrawingML colour element (a:srgbClr, a:schemeClr ...) or one of its changes (a:shade).
    void color(const XmlReader& x);

    const Theme* m_theme;
    Shape m_shape;
    std::deque<Shape> m_members;                    // a group's, in order
    int m_groupDepth = -2;                          // of the open group element
    double m_groupBox[4] = {0, 0, 0, 0};            // the group's own coordinates: origin and size
    double* m_box = nullptr;                        // the box the open a:xfrm places
    bool m_boxOfGroup = false;                      // it is the group's (a:chOff, a:chExt)
    int m_boxDepth = -2;
    std::optional<int32_t>* m_colorOf = nullptr;    // where the colour being read goes
    int m_colorDepth = -2;                          // the depth of its colour element
    int m_lineDepth = -2, m_propsDepth = -2;        // of the open a:ln and shape properties (spPr)
    int m_groupPropsDepth = -2;                     // of the group's properties (wpg:grpSpPr)
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
