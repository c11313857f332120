#include "platform/docx/Theme.h"

#include "platform/docx/XmlReader.h"

#include <charconv>

namespace docx {

namespace {

std::optional<uint32_t> parseHex(std::string_view s, std::size_t digits)
{
    uint32_t v = 0;
    if (s.size() != digits)
        return std::nullopt;
    const auto res = std::from_chars(s.data(), s.data() + s.size(), v, 16);
    if (res.ec != std::errc() || res.ptr != s.data() + s.size())
        return std::nullopt;
    return v;
}

int32_t toColorRef(uint32_t rgb)
{
    return static_cast<int32_t>(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
}

// w:themeColor values name scheme slots, some under other names.
std::string_view schemeSlot(std::string_view themeColor)
{
    static const std::pair<std::string_view, std::string_view> kAliases[] = {
        {"dark1", "dk1"}, {"light1", "lt1"}, {"dark2", "dk2"}, {"light2", "lt2"},
        {"text1", "dk1"}, {"background1", "lt1"}, {"text2", "dk2"}, {"background2", "lt2"},
        {"hyperlink", "hlink"}, {"followedHyperlink", "folHlink"},
        // DrawingML's names (a:schemeClr)
        {"tx1", "dk1"}, {"bg1", "lt1"}, {"tx2", "dk2"}, {"bg2", "lt2"},
    };
    for (const auto& [name, slot] : kAliases)
        if (name == themeColor)
            return slot;
    return themeColor;
}

constexpr int kSchemeDepth = 4;   // a:clrScheme sits in a:theme/a:themeElements

// Moves to the a:clrScheme inside the element the reader stands on; false, the element read to
// its end, when there is none.
bool findScheme(XmlReader& x, int depth)
{
    const int at = x.depth();
    while (x.child(at)) {
        if (x.ns() != Ns::A)
            continue;
        if (x.localName() == "clrScheme")
            return true;
        if (depth < kSchemeDepth && findScheme(x, depth + 1))
            return true;
    }
    return false;
}

} // namespace

std::optional<int32_t> colorRefFromHex(std::string_view rrggbb)
{
    const auto v = parseHex(rrggbb, 6);
    return v ? std::optional<int32_t>(toColorRef(*v)) : std::nullopt;
}

void Theme::read(XmlReader& x, bool fonts)
{
    if (!findScheme(x, 0))
        return;
    const int scheme = x.depth();
    readColors(x, scheme);
    // The font scheme follows the colour scheme in a:themeElements.
    while (fonts && x.child(scheme - 1))
        if (x.ns() == Ns::A && x.localName() == "fontScheme")
            readFonts(x);
}

void Theme::readFonts(XmlReader& x)
{
    const int at = x.depth();
    while (x.child(at)) {
        const int which = x.localName() == "majorFont" ? 0 : x.localName() == "minorFont" ? 1 : -1;
        if (which < 0)
            continue;
        const int font = x.depth();
        while (x.child(font)) {
            const std::string_view name = x.localName();
            const QString face = QString::fromUtf8(x.attr("typeface").value_or(std::string_view()));
            if (name == "latin")
                m_fonts[which][0] = face;
            else if ((name == "ea" && m_fonts[which][1].isEmpty())
                     || (name == "font" && x.attr("script").value_or(std::string_view()) == "Jpan"))
                m_fonts[which][1] = face;
        }
    }
}

QString Theme::font(std::string_view themeFont) const
{
    const int which = themeFont.starts_with("major") ? 0 : 1;
    return m_fonts[which][themeFont.ends_with("EastAsia") ? 1 : 0];
}

void Theme::readColors(XmlReader& x, int scheme)
{
    while (x.child(scheme)) {
        const std::string slot(x.localName());
        const int at = x.depth();
        while (x.child(at)) {
            const std::optional<std::string_view> hex = x.localName() == "srgbClr" ? x.attr("val")
                                                        : x.localName() == "sysClr" ? x.attr("lastClr")
                                                                                    : std::nullopt;
            if (const auto rgb = hex ? parseHex(*hex, 6) : std::nullopt)
                m_rgb[slot] = *rgb;
        }
    }
}

std::optional<int32_t> Theme::color(std::string_view themeColor, std::string_view tint,
                                    std::string_view shade) const
{
    const auto it = m_rgb.find(schemeSlot(themeColor));
    if (it == m_rgb.end())
        return std::nullopt;
    uint32_t channels[3] = {(it->second >> 16) & 0xFF, (it->second >> 8) & 0xFF, it->second & 0xFF};
    const auto t = parseHex(tint, 2);
    const auto s = parseHex(shade, 2);
    for (uint32_t& c : channels) {
        if (s)
            c = c * *s / 255;
        if (t)
            c = c * *t / 255 + (255 - *t);
    }
    return toColorRef((channels[0] << 16) | (channels[1] << 8) | channels[2]);
}

} // namespace docx
