#pragma once

#include "platform/docx/Look.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

namespace docx {

class Theme;
class XmlReader;

// What a drawing's shape draws, read element by element as the drawing is walked: its geometry,
// outline and fill, from DrawingML (a:prstGeom, a:ln, a:solidFill and the theme colours its style
// refers to) or from VML (v:rect, v:oval, v:roundrect, v:line and v:shape's stroke and fill).
class ShapeReader {
public:
    explicit ShapeReader(const Theme& theme) : m_theme(&theme) {}

    // Forgets the drawing read before.
    void reset() { *this = ShapeReader(*m_theme); }
    // Takes what the element the reader stands on tells; the reader is left on it.
    void element(const XmlReader& x);
    // Puts what was read into look.
    void finish(PictureLook& look) const;

private:
    void drawingMl(const XmlReader& x);
    void vml(const XmlReader& x);
    // A DrawingML colour element (a:srgbClr, a:schemeClr ...) or one of its changes (a:shade).
    void color(const XmlReader& x);

    const Theme* m_theme;
    Geometry m_geometry = Geometry::None;
    bool m_flipH = false, m_flipV = false;
    bool m_vml = false;
    // A colour, -1 for none; the style's count only where the shape's own properties give none.
    std::optional<int32_t> m_fill, m_line, m_styleFill, m_styleLine;
    std::optional<int32_t> m_lineWidth;   // twips
    bool m_arrowAtStart = false, m_arrowAtEnd = false;
    std::optional<int32_t>* m_colorOf = nullptr;   // where the colour being read goes
    int m_colorDepth = -2;                          // the depth of its colour element
    int m_lineDepth = -2, m_propsDepth = -2;        // of the open a:ln and shape properties (spPr)
};

// A VML length in twips: "120pt", "1.5in", "96px", "2cm"; a bare number is in points.
int32_t vmlTwips(std::string_view value);
// A VML point "x,y" ("72pt,36pt") in twips.
std::pair<int32_t, int32_t> vmlPoint(std::string_view value);

// COLORREF of a VML colour: "#RRGGBB", "#RGB" or a name ("black", "red" ...), maybe followed by
// a palette index ("#FF0000 [4]"); nothing when it is none of these.
std::optional<int32_t> vmlColor(std::string_view value);

} // namespace docx
