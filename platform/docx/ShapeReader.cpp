#include "platform/docx/ShapeReader.h"

#include "platform/docx/Theme.h"
#include "platform/docx/XmlReader.h"

#include <algorithm>
#include <charconv>

namespace docx {

namespace {

constexpr int32_t kEmuPerTwip = 635;

Geometry presetGeometry(std::string_view prst)
{
    static constexpr std::pair<std::string_view, Geometry> kPresets[] = {
        {"rect", Geometry::Rect}, {"roundRect", Geometry::RoundRect}, {"ellipse", Geometry::Ellipse},
        {"line", Geometry::Line}, {"straightConnector1", Geometry::Line}, {"triangle", Geometry::Triangle},
        {"flowChartExtract", Geometry::Triangle}, {"diamond", Geometry::Diamond},
        {"flowChartDecision", Geometry::Diamond}, {"flowChartConnector", Geometry::Ellipse},
        {"flowChartAlternateProcess", Geometry::RoundRect}, {"flowChartTerminator", Geometry::RoundRect},
    };
    for (const auto& [name, geometry] : kPresets)
        if (prst == name)
            return geometry;
    return Geometry::Rect;
}

// A DrawingML percentage (100000 = 100%) as a fraction.
double fraction(const XmlReader& x)
{
    const std::string_view v = x.attr("val").value_or(std::string_view());
    return std::clamp(static_cast<double>(idOf(v)) / 100000.0, 0.0, 1.0);
}

// Each channel of a COLORREF moved by f.
template <typename F>
int32_t eachChannel(int32_t colorRef, F f)
{
    int32_t out = 0;
    for (int shift : {0, 8, 16})
        out |= std::clamp(static_cast<int>(f((colorRef >> shift) & 0xFF) + 0.5), 0, 255) << shift;
    return out;
}

// A VML shape type ("#_x0000_t110") by the number of the preset it stands for; the others keep
// their bounding box.
Geometry vmlShapeType(std::string_view type)
{
    const std::size_t t = type.rfind("_t");
    const long preset = t == std::string_view::npos ? 0 : idOf(type.substr(t + 2));
    switch (preset) {
    case 2: case 116: case 176: return Geometry::RoundRect;
    case 3: case 120: return Geometry::Ellipse;
    case 4: case 110: return Geometry::Diamond;
    case 5: case 127: return Geometry::Triangle;
    case 20: case 32: return Geometry::Line;
    default: return Geometry::Rect;
    }
}

bool vmlOff(std::optional<std::string_view> v) { return v && (*v == "f" || *v == "false"); }

} // namespace

int32_t vmlTwips(std::string_view value)
{
    double v = 0;
    const auto res = std::from_chars(value.data(), value.data() + value.size(), v);
    const std::string_view unit(res.ptr, static_cast<std::size_t>(value.data() + value.size() - res.ptr));
    const double twips = unit == "in" ? v * 1440 : unit == "px" ? v * 15 : unit == "cm" ? v * 1440 / 2.54
                         : unit == "mm" ? v * 144 / 2.54 : v * 20;
    return static_cast<int32_t>(twips);
}

std::pair<int32_t, int32_t> vmlPoint(std::string_view value)
{
    const std::size_t comma = std::min(value.find(','), value.size());
    return {vmlTwips(value.substr(0, comma)), vmlTwips(value.substr(std::min(comma + 1, value.size())))};
}

std::optional<int32_t> vmlColor(std::string_view value)
{
    value = value.substr(0, value.find(' '));
    if (value.starts_with('#')) {
        std::string hex(value.substr(1));
        if (hex.size() == 3)
            hex = {hex[0], hex[0], hex[1], hex[1], hex[2], hex[2]};
        return colorRefFromHex(hex);
    }
    static constexpr std::pair<std::string_view, int32_t> kNames[] = {
        {"black", 0x000000}, {"white", 0xFFFFFF}, {"red", 0x0000FF}, {"green", 0x008000}, {"lime", 0x00FF00},
        {"blue", 0xFF0000}, {"yellow", 0x00FFFF}, {"gray", 0x808080}, {"silver", 0xC0C0C0}, {"navy", 0x800000},
        {"maroon", 0x000080}, {"teal", 0x808000}, {"aqua", 0xFFFF00}, {"fuchsia", 0xFF00FF}, {"purple", 0x800080},
        {"olive", 0x008080},
    };
    for (const auto& [name, colorRef] : kNames)
        if (value == name)
            return colorRef;
    return std::nullopt;
}

void ShapeReader::element(const XmlReader& x)
{
    if (x.ns() == Ns::V)
        vml(x);
    else if (x.ns() == Ns::A || x.ns() == Ns::WPS)
        drawingMl(x);
}

void ShapeReader::drawingMl(const XmlReader& x)
{
    const std::string_view name = x.localName();
    const int depth = x.depth();
    if (m_colorOf && depth >= m_colorDepth) {
        color(x);
        return;
    }
    m_colorOf = nullptr;
    if (name == "spPr") {
        m_propsDepth = depth;
    } else if (name == "prstGeom") {
        m_geometry = presetGeometry(x.attr("prst").value_or(std::string_view()));
    } else if (name == "custGeom") {
        m_geometry = Geometry::Rect;
    } else if (name == "xfrm" && depth == m_propsDepth + 1) {
        m_flipH = onOff(x.attr("flipH").value_or("0"));
        m_flipV = onOff(x.attr("flipV").value_or("0"));
    } else if (name == "ln" && depth == m_propsDepth + 1) {
        m_lineDepth = depth;
        if (const auto w = x.attr("w"))
            m_lineWidth = static_cast<int32_t>(idOf(*w) / kEmuPerTwip);
    } else if (name == "noFill" || name == "solidFill") {
        std::optional<int32_t>* target = depth == m_lineDepth + 1 ? &m_line : depth == m_propsDepth + 1 ? &m_fill : nullptr;
        if (target && name == "noFill")
            *target = -1;
        else if (target)
            m_colorOf = target, m_colorDepth = depth + 1;
    } else if (name == "headEnd" || name == "tailEnd") {
        (name == "headEnd" ? m_arrowAtStart : m_arrowAtEnd) = x.attr("type").value_or("none") != "none";
    } else if (name == "lnRef" || name == "fillRef") {
        // idx 0 of the theme's styles draws nothing.
        if (x.attr("idx").value_or("0") != "0")
            m_colorOf = name == "lnRef" ? &m_styleLine : &m_styleFill, m_colorDepth = depth + 1;
    }
}

void ShapeReader::color(const XmlReader& x)
{
    const std::string_view name = x.localName();
    if (x.depth() == m_colorDepth) {
        std::optional<int32_t> c;
        if (name == "srgbClr")
            c = colorRefFromHex(x.attr("val").value_or(std::string_view()));
        else if (name == "sysClr")
            c = colorRefFromHex(x.attr("lastClr").value_or(std::string_view()));
        else if (name == "schemeClr")
            c = m_theme->color(x.attr("val").value_or(std::string_view()), {}, {});
        else if (name == "prstClr")
            c = vmlColor(x.attr("val").value_or(std::string_view()));   // the same CSS names
        if (c)
            *m_colorOf = c;
        return;
    }
    if (x.depth() != m_colorDepth + 1 || !m_colorOf->has_value() || **m_colorOf < 0)
        return;
    const double f = fraction(x);
    int32_t& c = **m_colorOf;
    if (name == "shade")
        c = eachChannel(c, [f](int v) { return v * f; });
    else if (name == "tint")
        c = eachChannel(c, [f](int v) { return v * f + 255 * (1 - f); });
    else if (name == "lumMod")
        c = eachChannel(c, [f](int v) { return v * f; });
    else if (name == "lumOff")
        c = eachChannel(c, [f](int v) { return v + 255 * f; });
}

void ShapeReader::vml(const XmlReader& x)
{
    const std::string_view name = x.localName();
    if (name == "rect" || name == "oval" || name == "roundrect" || name == "line" || name == "shape") {
        m_vml = true;
        if (name == "shape") {
            m_geometry = vmlShapeType(x.attr("type").value_or(std::string_view()));
        } else {
            m_geometry = name == "oval" ? Geometry::Ellipse : name == "roundrect" ? Geometry::RoundRect
                       : name == "line" ? Geometry::Line : Geometry::Rect;
        }
        const std::string_view style = x.attr("style").value_or(std::string_view());
        m_flipH = style.find("flip:x") != std::string_view::npos;
        m_flipV = style.find("flip:y") != std::string_view::npos || style.find("flip:x y") != std::string_view::npos;
        if (const auto from = x.attr("from"), to = x.attr("to"); from && to) {
            const auto [x1, y1] = vmlPoint(*from);
            const auto [x2, y2] = vmlPoint(*to);
            m_flipH = x2 < x1;
            m_flipV = y2 < y1;
        }
        m_line = vmlOff(x.attr("stroked")) ? -1 : vmlColor(x.attr("strokecolor").value_or("black")).value_or(0);
        m_fill = vmlOff(x.attr("filled")) || m_geometry == Geometry::Line
                     ? -1 : vmlColor(x.attr("fillcolor").value_or("white")).value_or(0xFFFFFF);
        if (const auto weight = x.attr("strokeweight"))
            m_lineWidth = vmlTwips(*weight);
    } else if (name == "stroke") {
        m_arrowAtStart = x.attr("startarrow").value_or("none") != "none";
        m_arrowAtEnd = x.attr("endarrow").value_or("none") != "none";
    } else if (name == "fill" && vmlOff(x.attr("on"))) {
        m_fill = -1;
    }
}

void ShapeReader::finish(PictureLook& look) const
{
    look.geometry = m_geometry;
    look.flipH = m_flipH;
    look.flipV = m_flipV;
    look.arrowAtStart = m_arrowAtStart;
    look.arrowAtEnd = m_arrowAtEnd;
    const int32_t line = m_line.value_or(m_styleLine.value_or(m_vml ? 0 : look.lineColor));
    look.outlined = line >= 0;
    look.lineColor = std::max(line, 0);
    // A line has no inside; a shape's style fills it where its properties do not.
    look.fill = m_geometry == Geometry::Line ? -1 : m_fill.value_or(m_styleFill.value_or(-1));
    if (m_lineWidth)
        look.lineWidth = std::max(*m_lineWidth, 1);
}

} // namespace docx
