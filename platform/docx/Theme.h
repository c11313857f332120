#pragma once

#include <QString>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace docx {

class XmlReader;

// The colour scheme of theme1.xml, for run colours given only as w:themeColor.
class Theme {
public:
    // Reads theme1.xml, the reader on its root; with fonts, its font scheme too.
    void read(XmlReader& x, bool fonts = false);
    // The typeface a w:rFonts theme value ("minorHAnsi", "majorEastAsia" ...) names; empty when
    // the scheme gives none.
    QString font(std::string_view themeFont) const;
    // COLORREF of a w:themeColor value ("accent1", "text1", ...) with w:themeTint / w:themeShade
    // (hex bytes, empty when absent) applied; nothing when the scheme lacks it.
    std::optional<int32_t> color(std::string_view themeColor, std::string_view tint,
                                 std::string_view shade) const;

private:
    void readFonts(XmlReader& x);
    void readColors(XmlReader& x, int scheme);

    std::map<std::string, uint32_t, std::less<>> m_rgb; // scheme slot ("accent1", "dk1") → 0xRRGGBB
    QString m_fonts[2][2];                               // [major, minor][Latin, East Asian]
};

// COLORREF (R + 256 G + 65536 B) of six hex digits RRGGBB; nothing when malformed.
std::optional<int32_t> colorRefFromHex(std::string_view rrggbb);

} // namespace docx
