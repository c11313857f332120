#include "platform/docx/Styles.h"

#include "platform/docx/XmlReader.h"
#include "platform/docx/Story.h"

#include <algorithm>


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

RunProps Styles::readRunProps(XmlReader& x, int* charStyle, bool* markDeleted, RunLookProps* look) const
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
        case Tok::Highlight:
            p.highlight = x.w("val") != "none";
            if (look)
                readRunLook(x, *look, m_theme);
            break;
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
        default:
            if (look)
                readRunLook(x, *look, m_theme);
            break;
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
                if (x.tok() == Tok::RPrDefault || x.tok() == Tok::PPrDefault) {
                    const int props = x.depth();
                    while (x.child(props))
                        if (x.tok() == Tok::RPr)
                            m_defaults = readRunProps(x, nullptr, nullptr, m_looks ? &m_lookDefaults.run : nullptr);
                        else if (x.tok() == Tok::PPr && m_looks)
                            readStyleLook(x, m_lookDefaults);
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
        StyleLook look;
        std::string basedOn;
        const int style = x.depth();
        while (x.child(style)) {
            if (x.tok() == Tok::RPr)
                own = readRunProps(x, nullptr, nullptr, m_looks ? &look.run : nullptr);
            else if (x.tok() == Tok::BasedOn)
                basedOn = x.w("val");
            else if (m_looks && (x.tok() == Tok::PPr || x.tok() == Tok::TblPr))
                readStyleLook(x, look);
        }
        m_own.push_back(own);
        if (m_looks)
            m_lookFlat.push_back(std::move(look));
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
    const std::vector<StyleLook> ownLooks = m_lookFlat;
    for (std::size_t i = 0; i < m_flat.size(); ++i) {
        int base = m_basedOn[i];
        // A cycle or an absurd chain stops after kMaxChain steps.
        for (int steps = 0; base != kNone && steps < kMaxChain; ++steps) {
            m_flat[i].inheritFrom(m_own[base]);
            if (m_looks) {
                const StyleLook& from = ownLooks[static_cast<std::size_t>(base)];
                StyleLook& to = m_lookFlat[i];
                to.run.inheritFrom(from.run);
                to.para.inheritFrom(from.para);
                if (!to.borders)
                    to.borders = from.borders;
                if (!to.margins)
                    to.margins = from.margins;
            }
            base = m_basedOn[base];
        }
    }
}

void Styles::readStyleLook(XmlReader& x, StyleLook& into) const
{
    const int props = x.depth();
    while (x.child(props)) {
        if (x.tok() == Tok::TblBorders)
            into.borders = true;
        else if (x.tok() == Tok::TblCellMar)
            into.margins = readCellMargins(x, into.margins.value_or(CellMargins{}));
        else
            readParaLook(x, into.para);
    }
}

RunLook Styles::resolveLook(int table, int paragraph, int character, const RunLookProps& direct) const
{
    RunLookProps p = direct;
    for (int level : {character, paragraph, table})
        if (level != kNone)
            p.inheritFrom(m_lookFlat[static_cast<std::size_t>(level)].run);
    p.inheritFrom(m_lookDefaults.run);
    RunLook r;
    r.bold = p.bold.value_or(false);
    r.italic = p.italic.value_or(false);
    r.smallCaps = p.smallCaps.value_or(false);
    r.allCaps = p.allCaps.value_or(false);
    r.underline = p.underline.value_or(Underline::None);
    r.vertAlign = p.vertAlign.value_or(VertAlign::Baseline);
    r.halfPoints = p.halfPoints.value_or(r.halfPoints);
    r.spacing = p.spacing.value_or(0);
    r.highlight = p.highlight.value_or(-1);
    r.latinFont = p.latinFont.value_or(QString());
    r.eastAsiaFont = p.eastAsiaFont.value_or(QString());
    return r;
}

ParaLook Styles::resolvePara(int paragraph, ParaLookProps p) const
{
    static const ParaLookProps kUnset;
    const ParaLookProps& style = paragraph == kNone ? kUnset : m_lookFlat[static_cast<std::size_t>(paragraph)].para;
    // The list level's indents come between the paragraph's own and its style's.
    const std::optional<int32_t> numId = p.numId ? p.numId : style.numId;
    if (m_numbering && numId)
        if (const Numbering::Level* level = m_numbering->level(*numId, p.level.value_or(style.level.value_or(0))))
            p.inheritFrom(level->indent);
    p.inheritFrom(style);
    p.inheritFrom(m_lookDefaults.para);
    ParaLook r;
    r.align = p.align.value_or(Align::Left);
    r.left = p.left.value_or(0);
    r.right = p.right.value_or(0);
    r.firstLine = p.firstLine.value_or(0);
    r.before = p.before.value_or(0);
    r.after = p.after.value_or(0);
    r.line = p.line.value_or(240);
    r.lineRule = p.lineRule.value_or(LineRule::Auto);
    r.rightToLeft = p.rightToLeft.value_or(false);
    r.snapToGrid = p.snapToGrid.value_or(true);
    r.contextualSpacing = p.contextualSpacing.value_or(false);
    r.tabs = std::move(p.tabs);
    r.keepNext = p.keepNext.value_or(false);
    r.keepLines = p.keepLines.value_or(false);
    r.widowControl = p.widowControl.value_or(true);
    r.pageBreakBefore = p.pageBreakBefore.value_or(false);
    r.numId = numId.value_or(0);
    r.level = std::clamp(p.level.value_or(style.level.value_or(0)), 0, 8);
    return r;
}

bool Styles::tableBorders(int table) const
{
    return table != kNone && m_looks && m_lookFlat[static_cast<std::size_t>(table)].borders.value_or(false);
}

CellMargins Styles::cellMargins(int table) const
{
    if (table == kNone || !m_looks)
        return {};
    return m_lookFlat[static_cast<std::size_t>(table)].margins.value_or(CellMargins{});
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
