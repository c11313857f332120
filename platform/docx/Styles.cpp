#include "platform/docx/Styles.h"

#include "platform/docx/Xml.h"
#include "platform/docx/Story.h"

#include <cstring>

namespace docx {

namespace {

// ST_OnOff: absent means on.
bool onOff(pugi::xml_attribute val)
{
    if (!val)
        return true;
    const char* s = val.value();
    return !(std::strcmp(s, "false") == 0 || std::strcmp(s, "0") == 0 || std::strcmp(s, "off") == 0);
}

// Toggle properties: direct formatting is absolute; otherwise each style level saying true flips
// the document default.
bool toggle(std::optional<bool> direct, std::optional<bool> defaults, std::initializer_list<std::optional<bool>> levels)
{
    if (direct)
        return *direct;
    bool v = defaults.value_or(false);
    for (const auto& l : levels)
        if (l.value_or(false))
            v = !v;
    return v;
}

template <typename T>
std::optional<T> lastSet(std::initializer_list<std::optional<T>> levels)
{
    std::optional<T> v;
    for (const auto& l : levels)
        if (l)
            v = l;
    return v;
}

constexpr int kMaxChain = 64;

} // namespace

void RunProps::inheritFrom(const RunProps& base)
{
    if (!color) color = base.color;
    if (!highlight) highlight = base.highlight;
    if (!strike) strike = base.strike;
    if (!doubleStrike) doubleStrike = base.doubleStrike;
    if (!hidden) hidden = base.hidden;
}

RunProps Styles::readRunProps(pugi::xml_node rPr, const Vocabulary& v, std::string_view* charStyle) const
{
    RunProps p;
    const char* val = v.w("val");
    for (pugi::xml_node c = rPr.first_child(); c; c = c.next_sibling()) {
        switch (v.tok(c)) {
        case Tok::Color: {
            const std::string_view hex = c.attribute(val).value();
            if (hex == "auto")
                p.color = kColorAutomatic;
            else if (const auto ref = colorRefFromHex(hex))
                p.color = ref;
            else if (pugi::xml_attribute theme = c.attribute(v.w("themeColor")))
                p.color = m_theme.color(theme.value(), c.attribute(v.w("themeTint")).value(),
                                        c.attribute(v.w("themeShade")).value());
            break;
        }
        case Tok::Highlight:
            p.highlight = std::strcmp(c.attribute(val).value(), "none") != 0;
            break;
        case Tok::Strike: p.strike = onOff(c.attribute(val)); break;
        case Tok::DStrike: p.doubleStrike = onOff(c.attribute(val)); break;
        case Tok::Vanish:
        case Tok::SpecVanish:
            if (!p.hidden.value_or(false))
                p.hidden = onOff(c.attribute(val));
            break;
        case Tok::RStyle:
            if (charStyle)
                *charStyle = c.attribute(val).value();
            break;
        default: break;
        }
    }
    return p;
}

void Styles::read(pugi::xml_node root, const Vocabulary& v)
{
    const char* val = v.w("val");
    std::vector<std::string> basedOnIds;
    for (pugi::xml_node s = root.first_child(); s; s = s.next_sibling()) {
        const Tok t = v.tok(s);
        if (t == Tok::DocDefaults) {
            for (pugi::xml_node d = s.first_child(); d; d = d.next_sibling())
                if (v.tok(d) == Tok::RPrDefault)
                    for (pugi::xml_node r = d.first_child(); r; r = r.next_sibling())
                        if (v.tok(r) == Tok::RPr)
                            m_defaults = readRunProps(r, v, nullptr);
            continue;
        }
        if (t != Tok::Style)
            continue;
        const std::string_view type = v.wAttr(s, "type").value();
        const Kind kind = type == "character" ? Character : type == "table" ? Table
                          : type == "paragraph" || type.empty() ? Paragraph : KindCount;
        if (kind == KindCount)
            continue;
        const int index = static_cast<int>(m_own.size());
        RunProps own;
        std::string basedOn;
        for (pugi::xml_node c = s.first_child(); c; c = c.next_sibling()) {
            const Tok ct = v.tok(c);
            if (ct == Tok::RPr)
                own = readRunProps(c, v, nullptr);
            else if (ct == Tok::BasedOn)
                basedOn = c.attribute(val).value();
        }
        m_own.push_back(own);
        basedOnIds.push_back(basedOn);
        m_ids[kind].emplace(v.wAttr(s, "styleId").value(), index);
        if (m_default[kind] == kNone && onOff(v.wAttr(s, "default")) && v.wAttr(s, "default"))
            m_default[kind] = index;
    }
    // basedOn stays within one kind of style.
    m_basedOn.assign(m_own.size(), kNone);
    for (int k = 0; k < KindCount; ++k)
        for (const auto& [id, index] : m_ids[k])
            m_basedOn[index] = lookup(m_ids[k], basedOnIds[index]);
    flatten();
    m_resolved = {};
}

void Styles::flatten()
{
    m_flat = m_own;
    for (std::size_t i = 0; i < m_flat.size(); ++i) {
        int base = m_basedOn[i];
        // A cycle or an absurd chain stops after kMaxChain steps.
        for (int steps = 0; base != kNone && steps < kMaxChain; ++steps) {
            m_flat[i].inheritFrom(m_own[base]);
            base = m_basedOn[base];
        }
    }
}

int Styles::lookup(const std::unordered_map<std::string, int>& ids, std::string_view id)
{
    if (id.empty())
        return kNone;
    const auto it = ids.find(std::string(id));
    return it == ids.end() ? kNone : it->second;
}

int Styles::paragraphStyle(std::string_view id) const
{
    const int s = lookup(m_ids[Paragraph], id);
    return s == kNone ? m_default[Paragraph] : s;
}

int Styles::tableStyle(std::string_view id) const
{
    const int s = lookup(m_ids[Table], id);
    return s == kNone ? m_default[Table] : s;
}

int Styles::characterStyle(std::string_view id) const
{
    return lookup(m_ids[Character], id);
}

ResolvedRun Styles::resolve(int table, int paragraph, int character, const RunProps& direct) const
{
    std::size_t h = static_cast<std::size_t>(table) * 31 + static_cast<std::size_t>(paragraph);
    h = h * 31 + static_cast<std::size_t>(character);
    h = h * 31 + static_cast<std::size_t>(direct.color.value_or(1)) + (direct.color ? 7 : 0);
    for (const std::optional<bool>& b : {direct.highlight, direct.strike, direct.doubleStrike, direct.hidden})
        h = h * 3 + (b ? 1 + *b : 0);
    Resolved& slot = m_resolved[(h ^ (h >> 7)) % m_resolved.size()];
    if (slot.table != table || slot.paragraph != paragraph || slot.character != character || !(slot.direct == direct))
        slot = {table, paragraph, character, direct, compute(table, paragraph, character, direct)};
    return slot.run;
}

ResolvedRun Styles::compute(int table, int paragraph, int character, const RunProps& direct) const
{
    static const RunProps kUnset;
    const RunProps& t = table == kNone ? kUnset : m_flat[table];
    const RunProps& p = paragraph == kNone ? kUnset : m_flat[paragraph];
    const RunProps& c = character == kNone ? kUnset : m_flat[character];
    ResolvedRun r;
    r.color = lastSet({m_defaults.color, t.color, p.color, c.color, direct.color}).value_or(kColorAutomatic);
    r.highlight = lastSet({m_defaults.highlight, t.highlight, p.highlight, c.highlight, direct.highlight})
                      .value_or(false);
    r.strike = toggle(direct.strike, m_defaults.strike, {t.strike, p.strike, c.strike});
    r.doubleStrike = toggle(direct.doubleStrike, m_defaults.doubleStrike,
                            {t.doubleStrike, p.doubleStrike, c.doubleStrike});
    r.hidden = toggle(direct.hidden, m_defaults.hidden, {t.hidden, p.hidden, c.hidden});
    return r;
}

} // namespace docx
