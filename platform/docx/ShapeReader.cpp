#include "platform/docx/ShapeReader.h"

#include "platform/docx/Theme.h"
#include "platform/docx/XmlReader.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace docx {

namespace {

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

// A number as VML writes a group's coordinates ("21600"); 0 when it is none.
double number(std::string_view v)
{
    double out = 0;
    std::from_chars(v.data(), v.data() + v.size(), out);
    return out;
}

// A number written out whole; nothing for a guide's name or anything else.
std::optional<double> wholeNumber(std::optional<std::string_view> v)
{
    double out = 0;
    if (!v || v->empty())
        return std::nullopt;
    const auto res = std::from_chars(v->data(), v->data() + v->size(), out);
    return res.ec == std::errc() && res.ptr == v->data() + v->size() ? std::optional<double>(out) : std::nullopt;
}

// The two numbers of a VML pair ("0,0", "21600,21600"), or the fallbacks.
std::pair<double, double> numbers(std::optional<std::string_view> v, double x, double y)
{
    if (!v || v->empty())
        return {x, y};
    const std::size_t comma = std::min(v->find(','), v->size());
    return {number(v->substr(0, comma)), number(v->substr(std::min(comma + 1, v->size())))};
}

bool isVmlShape(std::string_view name)
{
    return name == "rect" || name == "oval" || name == "roundrect" || name == "line" || name == "shape";
}

} // namespace

// A VML path: its commands, each followed by numbers that a comma or a space parts, an empty one
// standing for 0 ("m370,r,l405,5xe").
ShapeReader::RawPath ShapeReader::vmlPath(std::string_view v, QPointF origin, double width, double height)
{
    constexpr std::string_view kNumeric = "0123456789-+. ,";
    // Each step costs many times the few bytes that write it: no drawing needs more.
    constexpr std::size_t kMostSteps = 1 << 16;
    RawPath out;
    out.width = width, out.height = height;
    QPointF at;
    for (std::size_t i = v.find_first_not_of(' '); i < v.size() && out.readable;) {
        const std::size_t length = std::string_view("nawqh").find(v[i]) != std::string_view::npos ? 2 : 1;
        const std::string_view command = v.substr(i, length);
        const std::size_t end = std::min(v.find_first_not_of(kNumeric, i + length), v.size());
        std::string_view args = v.substr(std::min(i + length, end), end - std::min(i + length, end));
        i = end;
        std::vector<double> values;
        while (args.find_first_not_of(' ') != std::string_view::npos && values.size() < 6 * kMostSteps) {
            const std::size_t comma = std::min(args.find(','), args.size());
            std::string_view field = args.substr(0, comma);
            if (field.find_first_not_of(' ') == std::string_view::npos)
                values.push_back(0);
            for (std::size_t f = field.find_first_not_of(' '); f != std::string_view::npos; f = field.find_first_not_of(' ', f)) {
                const std::size_t stop = std::min(field.find(' ', f), field.size());
                values.push_back(number(field.substr(f, stop - f)));
                f = stop;
            }
            if (comma == args.size())
                break;
            args.remove_prefix(comma + 1);
            if (args.find_first_not_of(' ') == std::string_view::npos)
                values.push_back(0);   // a trailing comma: its number is empty
        }
        const bool relative = command == "t" || command == "r" || command == "v";
        const std::size_t arity = command == "c" || command == "v" ? 6 : 2;
        if (command == "x") {
            out.path.steps.push_back({PathStep::Close, {}});
        } else if (command == "nf" || command == "ns") {
            (command == "nf" ? out.path.filled : out.path.stroked) = false;
        } else if (command == "m" || command == "l" || command == "c" || relative) {
            const PathStep::Kind kind = command == "m" || command == "t" ? PathStep::Move
                                      : arity == 6 ? PathStep::Cubic : PathStep::Line;
            for (std::size_t k = 0; k + arity <= values.size(); k += arity) {
                PathStep& step = out.path.steps.emplace_back();
                step.kind = kind;
                for (std::size_t p = 0; p < arity / 2; ++p)
                    step.points[p] = (relative ? at : -origin) + QPointF(values[k + 2 * p], values[k + 2 * p + 1]);
                at = step.points[arity / 2 - 1];
            }
        } else if (command != "e") {
            out.readable = false;   // arcs and formulas are not drawn
        }
        out.readable = out.readable && out.path.steps.size() <= kMostSteps;
    }
    return out;
}

std::string_view vmlStyle(std::string_view style, std::string_view name)
{
    while (!style.empty()) {
        const std::size_t end = std::min(style.find(';'), style.size());
        const std::string_view item = style.substr(0, end);
        const std::size_t colon = item.find(':');
        if (colon != std::string_view::npos && item.substr(0, colon) == name)
            return item.substr(colon + 1);
        style.remove_prefix(std::min(end + 1, style.size()));
    }
    return {};
}

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
    const int depth = x.depth();
    while (m_open >= 0 && depth <= m_groups[static_cast<std::size_t>(m_open)].depth)
        m_open = m_groups[static_cast<std::size_t>(m_open)].parent;   // past the group
    const std::string_view name = x.localName();
    if ((x.ns() == Ns::Understood && (name == "wgp" || name == "grpSp" || name == "wpc")) || (x.ns() == Ns::V && name == "group")) {
        group(x);
        return;
    }
    // Each shape or picture in a group is a member of the innermost group holding it.
    const bool member = (x.ns() == Ns::WPS && name == "wsp") || (x.ns() == Ns::V && isVmlShape(name))
                        || (x.ns() == Ns::Other && name == "pic");
    if (m_open >= 0 && member)
        m_members.emplace_back().group = m_open;
    if (x.ns() == Ns::V)
        vml(x);
    else if (x.ns() != Ns::W)
        drawingMl(x);
}

void ShapeReader::group(const XmlReader& x)
{
    Group& g = m_groups.emplace_back();
    g.depth = x.depth();
    g.parent = m_open;
    m_open = static_cast<int>(m_groups.size()) - 1;
    if (x.ns() != Ns::V)
        return;   // DrawingML gives them in the group's properties
    const auto [ox, oy] = numbers(x.attr("coordorigin"), 0, 0);
    const auto [cx, cy] = numbers(x.attr("coordsize"), 1000, 1000);
    g.own[0] = ox, g.own[1] = oy, g.own[2] = cx, g.own[3] = cy;
    const std::string_view style = x.attr("style").value_or(std::string_view());
    g.place[0] = number(vmlStyle(style, "left")), g.place[1] = number(vmlStyle(style, "top"));
    g.place[2] = number(vmlStyle(style, "width")), g.place[3] = number(vmlStyle(style, "height"));
}

void ShapeReader::picture(const QString& media)
{
    if (Shape& s = shape(); s.media.isEmpty())
        s.media = media;
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
    Shape& s = shape();
    if (m_box && depth == m_boxDepth + 1) {
        const bool child = name == "chOff" || name == "chExt", at = name == "off" || name == "chOff";
        if (double* box = child ? m_childBox : m_box; box && (at || name == "ext" || name == "chExt")) {
            box[at ? 0 : 2] = static_cast<double>(idOf(x.attr(at ? "x" : "cx").value_or(std::string_view())));
            box[at ? 1 : 3] = static_cast<double>(idOf(x.attr(at ? "y" : "cy").value_or(std::string_view())));
        }
        return;
    }
    m_box = m_childBox = nullptr;
    if (m_pathListDepth >= 0 && depth > m_pathListDepth) {
        path(x);
        return;
    }
    m_pathListDepth = -2;
    if (name == "spPr") {
        m_propsDepth = depth;
        m_groupPropsDepth = -2;
    } else if (name == "grpSpPr") {
        m_groupPropsDepth = depth;
        m_propsDepth = -2;
    } else if (name == "xfrm" && (depth == m_propsDepth + 1 || depth == m_groupPropsDepth + 1)) {
        const bool ofGroup = depth == m_groupPropsDepth + 1 && m_open >= 0;
        Group* g = ofGroup ? &m_groups[static_cast<std::size_t>(m_open)] : nullptr;
        m_box = g ? g->place : s.box;
        m_childBox = g ? g->own : nullptr;
        m_boxDepth = depth;
        if (!ofGroup) {
            s.flipH = onOff(x.attr("flipH").value_or("0"));
            s.flipV = onOff(x.attr("flipV").value_or("0"));
        }
    } else if (name == "prstGeom") {
        s.geometry = presetGeometry(x.attr("prst").value_or(std::string_view()));
    } else if (name == "custGeom") {
        s.geometry = Geometry::Freeform;
    } else if (name == "pathLst") {
        m_pathListDepth = depth;
    } else if (name == "txbx") {
        s.textBox = true;
    } else if (name == "ln" && depth == m_propsDepth + 1) {
        m_lineDepth = depth;
        if (const auto w = x.attr("w"))
            s.lineWidth = static_cast<int32_t>(idOf(*w) / kEmuPerTwip);
    } else if (name == "noFill" || name == "solidFill") {
        std::optional<int32_t>* target = depth == m_lineDepth + 1 ? &s.line : depth == m_propsDepth + 1 ? &s.fill : nullptr;
        if (target && name == "noFill")
            *target = -1;
        else if (target)
            m_colorOf = target, m_colorDepth = depth + 1;
    } else if (name == "headEnd" || name == "tailEnd") {
        (name == "headEnd" ? s.arrowAtStart : s.arrowAtEnd) = x.attr("type").value_or("none") != "none";
    } else if (name == "lnRef" || name == "fillRef") {
        // idx 0 of the theme's styles draws nothing.
        if (x.attr("idx").value_or("0") != "0")
            m_colorOf = name == "lnRef" ? &s.styleLine : &s.styleFill, m_colorDepth = depth + 1;
    }
}

void ShapeReader::path(const XmlReader& x)
{
    Shape& s = shape();
    const std::string_view name = x.localName();
    const int level = x.depth() - m_pathListDepth;   // 1: a path, 2: its steps, 3: their points
    if (level == 1) {
        RawPath& p = s.paths.emplace_back();
        p.width = wholeNumber(x.attr("w")).value_or(0);
        p.height = wholeNumber(x.attr("h")).value_or(0);
        p.path.filled = x.attr("fill").value_or("norm") != "none";
        p.path.stroked = onOff(x.attr("stroke"));
        m_pathAt = {};
        return;
    }
    if (s.paths.empty())
        return;
    RawPath& p = s.paths.back();
    if (level == 2) {
        static constexpr std::pair<std::string_view, PathStep::Kind> kSteps[] = {
            {"moveTo", PathStep::Move}, {"lnTo", PathStep::Line}, {"cubicBezTo", PathStep::Cubic},
            {"quadBezTo", PathStep::Quad}, {"arcTo", PathStep::Arc}, {"close", PathStep::Close},
        };
        const auto kind = std::find_if(std::begin(kSteps), std::end(kSteps), [name](const auto& k) { return k.first == name; });
        if (kind == std::end(kSteps))
            return;
        PathStep& step = p.path.steps.emplace_back();
        step.kind = kind->second;
        m_stepPoints = 0;
        if (step.kind != PathStep::Arc)
            return;
        const auto wR = wholeNumber(x.attr("wR")), hR = wholeNumber(x.attr("hR"));
        const auto from = wholeNumber(x.attr("stAng")), swing = wholeNumber(x.attr("swAng"));
        if (!wR || !hR || !from || !swing) {
            p.readable = false;
            return;
        }
        // An arc starts where the path is, at its start angle on the ellipse; DrawingML counts
        // angles clockwise in 60000ths of a degree, Qt counter-clockwise in degrees.
        constexpr double kRadian = 3.14159265358979323846 / 180;
        const double start = *from / 60000, sweep = *swing / 60000;
        const QPointF centre = m_pathAt - QPointF(*wR * std::cos(start * kRadian), *hR * std::sin(start * kRadian));
        step.points[0] = centre - QPointF(*wR, *hR);
        step.points[1] = QPointF(2 * *wR, 2 * *hR);
        step.start = -start;
        step.sweep = -sweep;
        const double end = (start + sweep) * kRadian;
        m_pathAt = centre + QPointF(*wR * std::cos(end), *hR * std::sin(end));
        return;
    }
    if (level != 3 || name != "pt" || p.path.steps.empty())
        return;
    PathStep& step = p.path.steps.back();
    const int points = step.kind == PathStep::Cubic ? 3 : step.kind == PathStep::Quad ? 2
                     : step.kind == PathStep::Move || step.kind == PathStep::Line ? 1 : 0;
    if (m_stepPoints >= points)
        return;
    const auto px = wholeNumber(x.attr("x")), py = wholeNumber(x.attr("y"));
    if (!px || !py)
        p.readable = false;
    m_pathAt = step.points[m_stepPoints++] = QPointF(px.value_or(0), py.value_or(0));
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
    Shape& s = shape();
    if (isVmlShape(name)) {
        s.vml = true;
        // A shape of no preset type with a path of its own is a freeform.
        const auto type = x.attr("type");
        const auto path = x.attr("path");
        s.geometry = name == "shape" && !type && path ? Geometry::Freeform
                   : name == "shape" ? vmlShapeType(type.value_or(std::string_view()))
                   : name == "oval" ? Geometry::Ellipse : name == "roundrect" ? Geometry::RoundRect
                   : name == "line" ? Geometry::Line : Geometry::Rect;
        const std::string_view style = x.attr("style").value_or(std::string_view());
        const std::string_view flip = vmlStyle(style, "flip");
        s.flipH = flip.find('x') != std::string_view::npos;
        s.flipV = flip.find('y') != std::string_view::npos;
        // In a group, a shape stands in the group's coordinates.
        s.box[0] = number(vmlStyle(style, "left")), s.box[1] = number(vmlStyle(style, "top"));
        s.box[2] = number(vmlStyle(style, "width")), s.box[3] = number(vmlStyle(style, "height"));
        if (const auto from = x.attr("from"), to = x.attr("to"); from && to) {
            const bool grouped = m_open >= 0;
            const auto [x1, y1] = grouped ? numbers(from, 0, 0) : std::pair<double, double>(vmlPoint(*from));
            const auto [x2, y2] = grouped ? numbers(to, 0, 0) : std::pair<double, double>(vmlPoint(*to));
            s.flipH = x2 < x1;
            s.flipV = y2 < y1;
            s.box[0] = std::min(x1, x2), s.box[1] = std::min(y1, y2);
            s.box[2] = std::abs(x2 - x1), s.box[3] = std::abs(y2 - y1);
        }
        s.line = vmlOff(x.attr("stroked")) ? -1 : vmlColor(x.attr("strokecolor").value_or("black")).value_or(0);
        s.fill = vmlOff(x.attr("filled")) || s.geometry == Geometry::Line
                     ? -1 : vmlColor(x.attr("fillcolor").value_or("white")).value_or(0xFFFFFF);
        if (const auto weight = x.attr("strokeweight"))
            s.lineWidth = vmlTwips(*weight);
        if (s.geometry == Geometry::Freeform) {
            const auto [ox, oy] = numbers(x.attr("coordorigin"), 0, 0);
            const auto [cx, cy] = numbers(x.attr("coordsize"), 1000, 1000);
            s.paths.push_back(vmlPath(*path, QPointF(ox, oy), cx, cy));
        }
    } else if (name == "stroke") {
        s.arrowAtStart = x.attr("startarrow").value_or("none") != "none";
        s.arrowAtEnd = x.attr("endarrow").value_or("none") != "none";
    } else if (name == "fill" && vmlOff(x.attr("on"))) {
        s.fill = -1;
    } else if (name == "textbox") {
        s.textBox = true;
    }
}

ShapeLook ShapeReader::Shape::look() const
{
    ShapeLook out;
    out.geometry = geometry;
    out.flipH = flipH;
    out.flipV = flipV;
    out.arrowAtStart = arrowAtStart;
    out.arrowAtEnd = arrowAtEnd;
    const int32_t outline = line.value_or(styleLine.value_or(0));
    out.outlined = outline >= 0;
    out.lineColor = std::max(outline, 0);
    // A line has no inside; a shape's style fills it where its properties do not.
    out.fill = geometry == Geometry::Line ? -1 : fill.value_or(styleFill.value_or(-1));
    if (lineWidth)
        out.lineWidth = std::max(*lineWidth, 1);
    // A freeform's points as fractions of its extent, each path's own by default.
    for (const RawPath& raw : paths) {
        const double width = raw.width > 0 ? raw.width : box[2], height = raw.height > 0 ? raw.height : box[3];
        if (!raw.readable || width <= 0 || height <= 0)
            continue;
        FreeformPath& path = out.paths.emplace_back(raw.path);
        for (PathStep& step : path.steps)
            for (QPointF& p : step.points)
                p = QPointF(p.x() / width, p.y() / height);
    }
    if (geometry == Geometry::Freeform && out.paths.empty())
        out.geometry = Geometry::None;
    return out;
}

void ShapeReader::toOutermost(const Shape& member, double box[4]) const
{
    std::copy(member.box, member.box + 4, box);
    for (int at = member.group; at >= 0 && m_groups[static_cast<std::size_t>(at)].parent >= 0;
         at = m_groups[static_cast<std::size_t>(at)].parent) {
        const Group& g = m_groups[static_cast<std::size_t>(at)];
        const double sx = g.own[2] > 0 ? g.place[2] / g.own[2] : 1, sy = g.own[3] > 0 ? g.place[3] / g.own[3] : 1;
        box[0] = g.place[0] + (box[0] - g.own[0]) * sx;
        box[1] = g.place[1] + (box[1] - g.own[1]) * sy;
        box[2] *= sx;
        box[3] *= sy;
    }
}

void ShapeReader::finish(PictureLook& look) const
{
    look.shape = m_shape.look();
    // A canvas, or a group giving no coordinates of its own, places its members in EMU.
    const double* outer = m_groups.empty() ? nullptr : m_groups.front().own;
    const bool own = outer && outer[2] > 0 && outer[3] > 0;
    const double width = own ? outer[2] : look.width * static_cast<double>(kEmuPerTwip);
    const double height = own ? outer[3] : look.height * static_cast<double>(kEmuPerTwip);
    const double x0 = own ? outer[0] : 0, y0 = own ? outer[1] : 0;
    for (const Shape& member : m_members) {
        GroupMember out;
        double box[4];
        toOutermost(member, box);
        if (width > 0 && height > 0) {
            out.left = (box[0] - x0) / width;
            out.top = (box[1] - y0) / height;
            out.width = box[2] / width;
            out.height = box[3] / height;
        }
        out.textBox = member.textBox;
        out.media = member.media;
        out.shape = member.look();
        look.members.push_back(out);
    }
}

} // namespace docx
