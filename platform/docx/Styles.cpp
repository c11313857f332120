#include "platform/docx/Styles.h"

#include "platform/docx/XmlReader.h"
#include "platform/docx/Story.h"


namespace docx {

namespace {

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

RunProps Styles::readRunProps(XmlReader& x, int* charStyle, bool* markDeleted) const
{
    RunProps p;
    const int at = x.depth();
    while (x.child(at)) {
        switch (x.tok()) {
        case Tok::Color: {
            const std::string_view hex = x.w("val");
            if (hex == "auto")
                p.color = kColorAutomatic;
            else if (const auto ref = colorRefFromHex(hex))
                p.color = ref;
            else if (const auto theme = x.attr(Ns::W, "themeColor"))
                p.color = m_theme.color(*theme, x.w("themeTint"), x.w("themeShade"));
            break;
        }
        case Tok::Highlight: p.highlight = x.w("val") != "none"; break;
        case Tok::Strike: p.strike = onOff(x.attr(Ns::W, "val")); break;
        case Tok::DStrike: p.doubleStrike = onOff(x.attr(Ns::W, "val")); break;
        case Tok::Vanish:
        case Tok::SpecVanish:
            if (!p.hidden.value_or(false))
                p.hidden = onOff(x.attr(Ns::W, "val"));
            break;
        case Tok::RStyle:
            if (charStyle)
                *charStyle = characterStyle(x.w("val"));
            break;
        case Tok::Del:
        case Tok::MoveFrom:
            if (markDeleted)
                *markDeleted = true;
            break;
        default: break;
        }
    }
    return p;
}

void Styles::read(XmlReader& x)
{
    std::vector<std::string> basedOnIds;
    const int at = x.depth();
    while (x.child(at)) {
        const Tok t = x.tok();
        if (t == Tok::DocDefaults) {
            const int defaults = x.depth();
            while (x.child(defaults))
                if (x.tok() == Tok::RPrDefault) {
                    const int props = x.depth();
                    while (x.child(props))
                        if (x.tok() == Tok::RPr)
                            m_defaults = readRunProps(x, nullptr, nullptr);
                }
            continue;
        }
        if (t != Tok::Style)
            continue;
        const std::string_view type = x.w("type");
        const Kind kind = type == "character" ? Character : type == "table" ? Table
                          : type == "paragraph" || type.empty() ? Paragraph : KindCount;
        if (kind == KindCount)
            continue;
        const int index = static_cast<int>(m_own.size());
        m_ids[kind].emplace(x.w("styleId"), index);
        const auto isDefault = x.attr(Ns::W, "default");
        if (m_default[kind] == kNone && isDefault && onOff(isDefault))
            m_default[kind] = index;
        RunProps own;
        std::string basedOn;
        const int style = x.depth();
        while (x.child(style)) {
            if (x.tok() == Tok::RPr)
                own = readRunProps(x, nullptr, nullptr);
            else if (x.tok() == Tok::BasedOn)
                basedOn = x.w("val");
        }
        m_own.push_back(own);
        basedOnIds.push_back(basedOn);
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
