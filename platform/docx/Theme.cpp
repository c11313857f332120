#include "platform/docx/Theme.h"

#include "platform/docx/Xml.h"

#include <charconv>
#include <cstring>

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
    };
    for (const auto& [name, slot] : kAliases)
        if (name == themeColor)
            return slot;
    return themeColor;
}

const char* localName(const char* name)
{
    const char* colon = std::strchr(name, ':');
    return colon ? colon + 1 : name;
}

pugi::xml_node findScheme(pugi::xml_node n, const Vocabulary& v, int depth)
{
    for (pugi::xml_node c = n.first_child(); c && depth < 4; c = c.next_sibling()) {
        if (c.type() != pugi::node_element || v.ns(c) != Ns::A)
            continue;
        if (std::strcmp(localName(c.name()), "clrScheme") == 0)
            return c;
        if (pugi::xml_node found = findScheme(c, v, depth + 1))
            return found;
    }
    return {};
}

} // namespace

std::optional<int32_t> colorRefFromHex(std::string_view rrggbb)
{
    const auto v = parseHex(rrggbb, 6);
    return v ? std::optional<int32_t>(toColorRef(*v)) : std::nullopt;
}

void Theme::read(pugi::xml_node root, const Vocabulary& v)
{
    for (pugi::xml_node slot = findScheme(root, v, 0).first_child(); slot; slot = slot.next_sibling()) {
        for (pugi::xml_node c = slot.first_child(); c; c = c.next_sibling()) {
            const char* local = localName(c.name());
            const char* hex = std::strcmp(local, "srgbClr") == 0   ? c.attribute("val").value()
                              : std::strcmp(local, "sysClr") == 0 ? c.attribute("lastClr").value()
                                                                   : nullptr;
            if (const auto rgb = hex ? parseHex(hex, 6) : std::nullopt)
                m_rgb[localName(slot.name())] = *rgb;
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
