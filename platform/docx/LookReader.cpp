#include "platform/docx/LookReader.h"

#include "platform/docx/NumberFormat.h"
#include "platform/docx/Theme.h"
#include "platform/docx/XmlReader.h"

#include <algorithm>
#include <charconv>
#include <climits>

namespace docx {

namespace {

std::optional<bool> onOffOf(XmlReader& x) { return onOff(x.attr(Ns::W, "val")); }

Underline underlineOf(std::string_view v)
{
    if (v == "none" || v == "0")
        return Underline::None;
    if (v == "double")
        return Underline::Double;
    if (v.starts_with("wav"))
        return Underline::Wavy;
    if (v.starts_with("dot"))
        return v.starts_with("dotDash") || v.starts_with("dotDotDash") ? Underline::Dashed : Underline::Dotted;
    if (v.starts_with("dash"))
        return Underline::Dashed;
    if (v == "thick")
        return Underline::Thick;
    return Underline::Single;
}

// Word's sixteen highlight colours.
int32_t highlightOf(std::string_view name)
{
    static const std::pair<std::string_view, uint32_t> kColors[] = {
        {"yellow", 0xFFFF00}, {"green", 0x00FF00}, {"cyan", 0x00FFFF}, {"magenta", 0xFF00FF},
        {"blue", 0x0000FF}, {"red", 0xFF0000}, {"darkBlue", 0x000080}, {"darkCyan", 0x008080},
        {"darkGreen", 0x008000}, {"darkMagenta", 0x800080}, {"darkRed", 0x800000},
        {"darkYellow", 0x808000}, {"darkGray", 0x808080}, {"lightGray", 0xC0C0C0}, {"black", 0x000000},
        {"white", 0xFFFFFF},
    };
    for (const auto& [n, rgb] : kColors)
        if (n == name)
            return static_cast<int32_t>(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
    return -1;
}

QString fontOf(XmlReader& x, std::string_view local)
{
    return QString::fromUtf8(x.w(local));
}

// Bullets written in a symbol font's private area, as the common fonts draw them.
QString bulletText(const QString& text)
{
    QString out;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == 0xF0A7 || u == 0xF06E)
            out += QChar(u'▪');
        else if (u == 0xF0D8)
            out += QChar(u'➢');
        else if (u == 0xF0FC)
            out += QChar(u'✓');
        else if (u >= 0xF000 && u <= 0xF0FF)
            out += QChar(u'•');
        else if (u == u'o')
            out += QChar(u'◦');
        else
            out += c;
    }
    return out;
}

TabLeader leaderOf(std::string_view v)
{
    if (v == "dot")
        return TabLeader::Dot;
    if (v == "hyphen")
        return TabLeader::Hyphen;
    if (v == "underscore" || v == "heavy")
        return TabLeader::Underscore;
    if (v == "middleDot")
        return TabLeader::Middle;
    return TabLeader::None;
}

// w:tabs: the stops this level sets and those it clears of the levels it inherits.
void readTabs(XmlReader& x, ParaLookProps& p)
{
    const int at = x.depth();
    while (x.child(at)) {
        const auto pos = numberOf(x.attr(Ns::W, "pos"));
        const std::string_view val = x.w("val");
        if (x.tok() != Tok::Tab || !pos)
            continue;
        if (val == "clear") {
            p.clearedTabs.push_back(*pos);
            continue;
        }
        if (val == "bar" || val == "num")   // a bar draws a rule, not a stop; num is a list's own
            continue;
        TabStop t{*pos};
        t.align = val == "center" ? TabAlign::Center
                  : val == "right" || val == "end" ? TabAlign::Right
                  : val == "decimal" ? TabAlign::Decimal : TabAlign::Left;
        t.leader = leaderOf(x.w("leader"));
        p.tabs.push_back(t);
    }
    std::sort(p.tabs.begin(), p.tabs.end(), [](const TabStop& a, const TabStop& b) { return a.pos < b.pos; });
}

} // namespace

Align alignOf(std::string_view v)
{
    if (v == "center")
        return Align::Center;
    if (v == "right" || v == "end")
        return Align::Right;
    if (v == "both")
        return Align::Justify;
    if (v == "distribute")
        return Align::Distribute;
    return Align::Left;
}

std::optional<int32_t> numberOf(std::optional<std::string_view> value)
{
    if (!value)
        return std::nullopt;
    int32_t n = 0;
    const auto res = std::from_chars(value->data(), value->data() + value->size(), n);
    if (res.ec != std::errc())
        return std::nullopt;
    return n;
}

void readRubyPr(XmlReader& x, RubyLook& ruby)
{
    // Sizes out of Word's range (1 to 1638 pt) are left at their defaults.
    const auto halfPoints = [&x](int16_t& into) {
        if (const auto n = numberOf(x.attr(Ns::W, "val")); n && *n >= 0 && *n <= 3276)
            into = static_cast<int16_t>(*n);
    };
    const int at = x.depth();
    while (x.child(at)) {
        switch (x.tok()) {
        case Tok::Hps: halfPoints(ruby.halfPoints); break;
        case Tok::HpsRaise: halfPoints(ruby.raise); break;
        case Tok::RubyAlign: {
            const std::string_view v = x.w("val");
            ruby.align = v == "distributeLetter" ? RubyAlign::DistributeLetter
                         : v == "distributeSpace" ? RubyAlign::DistributeSpace
                         : v == "left"            ? RubyAlign::Left
                         : v == "right"           ? RubyAlign::Right
                                                  : RubyAlign::Center;
            break;
        }
        default: break;
        }
    }
}

void readRunLook(XmlReader& x, RunLookProps& p, const Theme& theme)
{
    switch (x.tok()) {
    case Tok::B: p.bold = onOffOf(x); break;
    case Tok::I: p.italic = onOffOf(x); break;
    case Tok::Caps: p.allCaps = onOffOf(x); break;
    case Tok::SmallCaps: p.smallCaps = onOffOf(x); break;
    case Tok::U: p.underline = underlineOf(x.w("val")); break;
    case Tok::VertAlign: {
        const std::string_view v = x.w("val");
        p.vertAlign = v == "superscript" ? VertAlign::Super : v == "subscript" ? VertAlign::Sub : VertAlign::Baseline;
        break;
    }
    case Tok::Sz:
        if (const auto n = numberOf(x.attr(Ns::W, "val")); n && *n > 0 && *n < 3200)
            p.halfPoints = static_cast<int16_t>(*n);
        break;
    case Tok::Spacing:
        if (const auto n = numberOf(x.attr(Ns::W, "val")))
            p.spacing = static_cast<int16_t>(std::clamp(*n, -3200, 3200));
        break;
    case Tok::Highlight: p.highlight = highlightOf(x.w("val")); break;
    case Tok::RFonts:
        // A theme font wins over the named one, as in Word.
        if (const auto t = x.attr(Ns::W, "asciiTheme"))
            p.latinFont = theme.font(*t);
        else if (x.attr(Ns::W, "ascii"))
            p.latinFont = fontOf(x, "ascii");
        if (const auto t = x.attr(Ns::W, "eastAsiaTheme"))
            p.eastAsiaFont = theme.font(*t);
        else if (x.attr(Ns::W, "eastAsia"))
            p.eastAsiaFont = fontOf(x, "eastAsia");
        break;
    default: break;
    }
}

void readParaLook(XmlReader& x, ParaLookProps& p)
{
    switch (x.tok()) {
    case Tok::Jc: p.align = alignOf(x.w("val")); break;
    case Tok::Ind: {
        if (const auto v = numberOf(x.attr(Ns::W, "left")).value_or(numberOf(x.attr(Ns::W, "start")).value_or(INT32_MIN)); v != INT32_MIN)
            p.left = v;
        if (const auto v = numberOf(x.attr(Ns::W, "right")).value_or(numberOf(x.attr(Ns::W, "end")).value_or(INT32_MIN)); v != INT32_MIN)
            p.right = v;
        if (const auto v = numberOf(x.attr(Ns::W, "firstLine")))
            p.firstLine = *v;
        if (const auto v = numberOf(x.attr(Ns::W, "hanging")))
            p.firstLine = -*v;
        break;
    }
    case Tok::Spacing:
        if (const auto v = numberOf(x.attr(Ns::W, "before")))
            p.before = *v;
        if (const auto v = numberOf(x.attr(Ns::W, "after")))
            p.after = *v;
        if (const auto v = numberOf(x.attr(Ns::W, "line"))) {
            p.line = *v;
            const std::string_view rule = x.w("lineRule");
            p.lineRule = rule == "exact" ? LineRule::Exact : rule == "atLeast" ? LineRule::AtLeast : LineRule::Auto;
        }
        break;
    case Tok::Tabs: readTabs(x, p); break;
    case Tok::Bidi: p.rightToLeft = onOffOf(x); break;
    case Tok::SnapToGrid: p.snapToGrid = onOffOf(x); break;
    case Tok::ContextualSpacing: p.contextualSpacing = onOffOf(x); break;
    case Tok::KeepNext: p.keepNext = onOffOf(x); break;
    case Tok::KeepLines: p.keepLines = onOffOf(x); break;
    case Tok::WidowControl: p.widowControl = onOffOf(x); break;
    case Tok::PageBreakBefore: p.pageBreakBefore = onOffOf(x); break;
    case Tok::NumPr: {
        const int at = x.depth();
        while (x.child(at))
            if (x.tok() == Tok::NumId)
                p.numId = numberOf(x.attr(Ns::W, "val"));
            else if (x.tok() == Tok::Ilvl)
                p.level = numberOf(x.attr(Ns::W, "val"));
        break;
    }
    default: break;
    }
}

void readPageLook(XmlReader& x, PageLook& page)
{
    const auto set = [&x](int32_t& into, std::string_view name) {
        if (const auto v = numberOf(x.attr(Ns::W, name)); v && *v >= 0)
            into = *v;
    };
    if (x.tok() == Tok::PgSz) {
        set(page.width, "w");
        set(page.height, "h");
    } else {
        set(page.top, "top");
        set(page.bottom, "bottom");
        set(page.left, "left");
        set(page.right, "right");
        set(page.header, "header");
        set(page.footer, "footer");
    }
}

int32_t linePitchOf(XmlReader& x)
{
    const std::string_view type = x.w("type");
    if (type != "lines" && type != "linesAndChars" && type != "snapToChars")
        return 0;
    const auto pitch = numberOf(x.attr(Ns::W, "linePitch"));
    return pitch && *pitch > 0 ? *pitch : 0;
}

CellMargins readCellMargins(XmlReader& x, CellMargins margins)
{
    const int at = x.depth();
    while (x.child(at)) {
        const std::string_view side = x.localName();
        const auto w = numberOf(x.attr(Ns::W, "w"));
        if (!w || *w < 0 || (x.w("type") != "dxa" && !x.w("type").empty()))
            continue;
        if (side == "top")
            margins.top = *w;
        else if (side == "bottom")
            margins.bottom = *w;
        else if (side == "left" || side == "start")
            margins.left = *w;
        else if (side == "right" || side == "end")
            margins.right = *w;
    }
    return margins;
}

SectionStart sectionStartOf(std::string_view type)
{
    // A new column, with one column per page here, is a new page.
    if (type == "continuous")
        return SectionStart::Continuous;
    return type == "evenPage" ? SectionStart::EvenPage : type == "oddPage" ? SectionStart::OddPage : SectionStart::NextPage;
}

int32_t shadingOf(XmlReader& x)
{
    const auto fill = colorRefFromHex(x.w("fill"));
    return fill ? *fill : -1;
}

void Numbering::read(XmlReader& x)
{
    const int at = x.depth();
    while (x.child(at)) {
        if (x.tok() == Tok::Num) {
            const auto id = numberOf(x.attr(Ns::W, "numId"));
            const int num = x.depth();
            while (x.child(num))
                if (x.tok() == Tok::AbstractNumId && id)
                    if (const auto abstract = numberOf(x.attr(Ns::W, "val")))
                        m_num[*id] = *abstract;
            continue;
        }
        if (x.tok() != Tok::AbstractNum)
            continue;
        std::vector<Level>& levels = m_abstract[numberOf(x.attr(Ns::W, "abstractNumId")).value_or(-1)];
        levels.assign(9, Level{});
        const int abstract = x.depth();
        while (x.child(abstract)) {
            if (x.tok() != Tok::Lvl)
                continue;
            const int32_t ilvl = numberOf(x.attr(Ns::W, "ilvl")).value_or(-1);
            if (ilvl < 0 || ilvl > 8)
                continue;
            Level& level = levels[static_cast<size_t>(ilvl)];
            const int lvl = x.depth();
            while (x.child(lvl)) {
                switch (x.tok()) {
                case Tok::Start: level.start = numberOf(x.attr(Ns::W, "val")).value_or(1); break;
                case Tok::NumFmt: level.format = QString::fromUtf8(x.w("val")); break;
                case Tok::LvlText: level.text = QString::fromUtf8(x.w("val")); break;
                case Tok::PPr: {
                    const int props = x.depth();
                    while (x.child(props))
                        readParaLook(x, level.indent);
                    break;
                }
                default: break;
                }
            }
        }
    }
}

const Numbering::Level* Numbering::level(int32_t numId, int32_t level) const
{
    const auto num = m_num.find(numId);
    if (num == m_num.end() || level < 0 || level > 8)
        return nullptr;
    const auto abstract = m_abstract.find(num->second);
    return abstract == m_abstract.end() ? nullptr : &abstract->second[static_cast<size_t>(level)];
}

void Numbering::relabel(std::vector<ParaLook>& paras) const
{
    Counter counter(*this);
    for (ParaLook& p : paras)
        if (p.numId)
            p.label = counter.next(p.numId, p.level);
}

QString Numbering::Counter::next(int32_t numId, int32_t level)
{
    const Level* lvl = m_numbering.level(numId, level);
    if (!lvl)
        return {};
    const auto num = m_numbering.m_num.find(numId);
    std::array<int, 9>& counts = m_counts.try_emplace(num->second, std::array<int, 9>{}).first->second;
    ++counts[static_cast<size_t>(level)];
    for (size_t deeper = static_cast<size_t>(level) + 1; deeper < counts.size(); ++deeper)
        counts[deeper] = 0;
    if (lvl->format == u"bullet")
        return bulletText(lvl->text);
    // "%1.%2": each %n is level n's number, in that level's own format.
    QString out;
    for (qsizetype i = 0; i < lvl->text.size(); ++i) {
        const QChar c = lvl->text[i];
        if (c == u'%' && i + 1 < lvl->text.size() && lvl->text[i + 1] >= u'1' && lvl->text[i + 1] <= u'9') {
            const int n = lvl->text[++i].unicode() - u'1';
            const Level* other = m_numbering.level(numId, n);
            if (other && n <= level)
                out += formatNumber(other->start - 1 + std::max(1, counts[static_cast<size_t>(n)]), other->format);
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace docx
