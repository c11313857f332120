// How the document window draws a story, and how editing will sit on it.
//
// Each story (main text, a note story, a header …) is one QTextDocument shown by one StoryView.
// The reader keeps, beside the story's characters, how they look (docx::Look: run looks,
// paragraphs with their list labels, tables with grid, spans and merges, pictures, sections'
// pages). Building the QTextDocument walks the story position by position and keeps
// m_toDisplay, the drawn position of every story position: characters Word does not show
// (field codes, hidden text, anchors) take no drawn position, and what the view draws that is no
// story character (list labels, note numbers) takes no story position. Selecting a story span,
// scrolling a hit into view and reporting the user's selection all go through that one map.
//
// The main text is paged inside the same document (host/PageLayout): what would cross a page's
// foot, or the footnotes it refers to, goes on at the next page's top (a paragraph's lines moved
// down once laid out, a table's rows by their cells' padding, a whole paragraph or table by a
// wider top margin); each section keeps its own page size through paragraph margins; the view
// paints the desk between pages and, through the window, each page's header, footer, footnotes
// and the endnotes after the text. The first pages are laid out before the story is shown, the
// rest a few pages at a time from the event loop, Qt laying out no further than the pages. Text
// positions never change for layout, so the map above stays valid; a very long paragraph is drawn
// in pieces, the breaks between them taking no story position. A ruby's text is painted over its
// base, the base's line made taller by a transparent mark before the base (no story position). Floating pictures and text boxes of the main text and of
// the headers are not drawn in the text: host/PageObjects places them on the pages, and the text
// keeps a transparent band at the anchor of one it wraps above and below. One wrapped and placed
// against the page gets its room once its page is paged, put in before the paragraph beside it as
// an edit is (a transparent frame with no story position), and checked again after an edit above.
//
// Editing goes through word::Range, which moves the story's runs, marks and looks together. An
// edit of plain text within a paragraph is drawn in place: the drawn characters are replaced in
// the model's formats and the map after them shifts, and the pages are laid out again from its
// paragraph on until they meet those of before. Any other edit draws its story again.
#include "host/StoryView.h"

#include "host/PageObjects.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextTable>
#include <QUrl>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <optional>

namespace host {

namespace {

using docx::CpClass;

const QColor kMarkColor(0x80, 0x80, 0x80);
const QColor kDeletedColor(Qt::red);
const QColor kHighlightColor(Qt::yellow);
const QColor kDeskColor(0xe6, 0xe6, 0xe6);
// Qt lays a paragraph out as a whole, in time that grows faster than its length: a longer run of
// text without a paragraph mark is drawn in pieces of about this many characters. On pages, the
// pieces hold some three quarters of a page each instead (kShortestPiece characters at least): an
// edit lays out again the piece it is in, and the pages from there on are paged again.
constexpr int kLongestDrawnParagraph = 10000;
constexpr int kShortestPiece = 1000;
// Pages laid out before the story is first shown, and in each step after.
constexpr int kFirstPages = 3;
constexpr int kPagesPerStep = 4;
// Marks the empty blocks a paragraph keeps before a drawing its lines run beside, the one before
// the drawing's frame and the one inside it. They take no story position.
constexpr int kBeforeDrawing = QTextFormat::UserProperty + 0x200;
// A paragraph's tab leaders, by tab stop (see tabStops).
constexpr int kTabLeaders = QTextFormat::UserProperty + 0x201;
// Marks the characters of a ruby's base spread out to the width of its ruby.
constexpr int kSpreadBase = QTextFormat::UserProperty + 0x202;

// Whether the drawn span [from, to] meets the room a paragraph keeps for a drawing its lines run
// beside: splitting or joining there moves the drawing with its paragraph, so it is drawn again.
bool nearDrawingRoom(const QTextDocument* doc, int from, int to)
{
    for (QTextBlock b = doc->findBlock(std::max(0, from - 1)); b.isValid() && b.position() <= to; b = b.next())
        if (b.blockFormat().boolProperty(kBeforeDrawing))
            return true;
    return false;
}

// Twips to pixels at 96 dpi and the zoom.
double px(int32_t twips, double zoom) { return twips / 15.0 * zoom; }

QTextCharFormat textFormat(const docx::CharFormat& f)
{
    QTextCharFormat out;
    if (f.cls == CpClass::Deleted) {
        out.setForeground(kDeletedColor);
        out.setFontStrikeOut(true);
        return out;
    }
    if (f.color != docx::kColorAutomatic)
        out.setForeground(fromColorRef(f.color));
    if (f.highlight)
        out.setBackground(kHighlightColor);
    out.setFontStrikeOut(f.strike);
    return out;
}

void applyLook(QTextCharFormat& out, const docx::RunLook& look, double zoom)
{
    if (look.bold)
        out.setFontWeight(QFont::Bold);
    out.setFontItalic(look.italic);
    switch (look.underline) {
    case docx::Underline::None: break;
    case docx::Underline::Wavy: out.setUnderlineStyle(QTextCharFormat::WaveUnderline); break;
    case docx::Underline::Dotted: out.setUnderlineStyle(QTextCharFormat::DotLine); break;
    case docx::Underline::Dashed: out.setUnderlineStyle(QTextCharFormat::DashUnderline); break;
    default: out.setUnderlineStyle(QTextCharFormat::SingleUnderline); break;
    }
    out.setFontPointSize(look.halfPoints / 2.0 * zoom);
    QStringList families;
    for (const QString& f : {look.latinFont, look.eastAsiaFont})
        if (!f.isEmpty())
            families << f;
    if (!families.isEmpty())
        out.setFontFamilies(families);
    if (look.highlight >= 0 && out.background().style() != Qt::NoBrush)
        out.setBackground(fromColorRef(look.highlight));
    if (look.vertAlign != docx::VertAlign::Baseline)
        out.setVerticalAlignment(look.vertAlign == docx::VertAlign::Super ? QTextCharFormat::AlignSuperScript
                                                                          : QTextCharFormat::AlignSubScript);
    if (look.allCaps)
        out.setFontCapitalization(QFont::AllUppercase);
    else if (look.smallCaps)
        out.setFontCapitalization(QFont::SmallCaps);
    if (look.spacing) {
        out.setFontLetterSpacingType(QFont::AbsoluteSpacing);
        out.setFontLetterSpacing(px(look.spacing, zoom));
    }
}

// The look of the character at p; null when none was read.
const docx::RunLook* runLookAt(const docx::Look& look, int32_t p)
{
    const auto at = std::upper_bound(look.runs.begin(), look.runs.end(), p,
                                     [](int32_t v, const docx::RunLookRun& r) { return v < r.start; });
    return at == look.runs.begin() ? nullptr : &std::prev(at)->look;
}

// How a character of format f and look (null: none read) is drawn.
QTextCharFormat drawnFormat(const docx::CharFormat& f, const docx::RunLook* look, double zoom)
{
    QTextCharFormat out = textFormat(f);
    if (look)
        applyLook(out, *look, zoom);
    else if (zoom != 1.0)
        out.setFontPointSize(10.5 * zoom);
    return out;
}

// The drawn tab stops of a paragraph and the leader of each, the character repeated (a space:
// none); a list label's or a hanging indent's text starts at the indent, which stops a tab too.
// The document measures stops from the text column's start edge, Qt from where the line starts:
// they are drawn as the first line needs them, stops behind its start left out. After them come
// the default stops, every defaultTab from the column's edge: Qt's own, every defaultTab from
// the line's start, are those where the line starts at one.
std::pair<QList<QTextOption::Tab>, QString> tabStops(const docx::ParaLook& p, int32_t defaultTab, double zoom)
{
    const int32_t lineStart = std::max(p.left + p.firstLine, 0);   // as blockFormat draws it
    static const QTextOption::TabType kType[] = {QTextOption::LeftTab, QTextOption::CenterTab, QTextOption::RightTab,
                                                 QTextOption::DelimiterTab};
    static const QChar kLeader[] = {u' ', u'.', u'-', u'_', u'\u00B7'};
    QList<QTextOption::Tab> stops;
    QString leaders;
    bool indentStops = !p.label.isEmpty() || p.firstLine < 0;
    // Qt measures a right-to-left line's stops from its right, as the document does, but turns
    // left stops into right ones there, and the other way round.
    const auto typeOf = [&p](docx::TabAlign align) {
        const QTextOption::TabType type = kType[static_cast<int>(align)];
        if (!p.rightToLeft || type == QTextOption::CenterTab || type == QTextOption::DelimiterTab)
            return type;
        return type == QTextOption::LeftTab ? QTextOption::RightTab : QTextOption::LeftTab;
    };
    const auto stop = [&](int32_t pos, docx::TabAlign align, docx::TabLeader leader) {
        if (pos <= lineStart)
            return;
        const QTextOption::TabType type = typeOf(align);
        stops << QTextOption::Tab(px(pos - lineStart, zoom), type, type == QTextOption::DelimiterTab ? QChar(u'.') : QChar());
        leaders += kLeader[static_cast<int>(leader)];
    };
    const auto stopAtIndent = [&] {
        stop(p.left, docx::TabAlign::Left, docx::TabLeader::None);
        indentStops = false;
    };
    for (const docx::TabStop& t : p.tabs) {
        if (indentStops && t.pos > p.left)
            stopAtIndent();
        indentStops = indentStops && t.pos != p.left;
        stop(t.pos, t.align, t.leader);
    }
    if (indentStops)
        stopAtIndent();
    if (lineStart % defaultTab != 0) {
        constexpr int kDefaultStops = 24;   // past any page's width
        const int32_t last = std::max(lineStart, p.tabs.empty() ? lineStart : p.tabs.back().pos);
        const int32_t first = (static_cast<int32_t>(std::floor(static_cast<double>(last) / defaultTab)) + 1) * defaultTab;
        for (int k = 0; k < kDefaultStops; ++k)
            stop(first + k * defaultTab, docx::TabAlign::Left, docx::TabLeader::None);
    }
    return {stops, leaders.trimmed().isEmpty() ? QString() : leaders};
}

QTextBlockFormat blockFormat(const docx::ParaLook& p, int32_t defaultTab, double zoom)
{
    QTextBlockFormat out;
    static const Qt::Alignment kAlign[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight, Qt::AlignJustify,
                                           Qt::AlignJustify};
    out.setAlignment(kAlign[static_cast<int>(p.align)]);
    if (p.rightToLeft)
        out.setLayoutDirection(Qt::RightToLeft);
    // The document's left and right are the start and end sides; Qt's margins are the page's
    // sides. Qt draws no text in the page's margin: an indent reaching into it stops at its edge.
    const int32_t start = std::max(p.left, 0), end = std::max(p.right, 0);
    out.setLeftMargin(px(p.rightToLeft ? end : start, zoom));
    out.setRightMargin(px(p.rightToLeft ? start : end, zoom));
    out.setTextIndent(px(std::max(p.left + p.firstLine, 0) - start, zoom));
    out.setTopMargin(px(p.before, zoom));
    out.setBottomMargin(px(p.after, zoom));
    if (p.lineRule == docx::LineRule::Exact)
        out.setLineHeight(px(p.line, zoom), QTextBlockFormat::FixedHeight);
    else if (p.lineRule == docx::LineRule::AtLeast)
        out.setLineHeight(px(p.line, zoom), QTextBlockFormat::MinimumHeight);
    const auto [tabs, leaders] = tabStops(p, defaultTab, zoom);
    if (!tabs.isEmpty())
        out.setTabPositions(tabs);
    if (!leaders.isEmpty())
        out.setProperty(kTabLeaders, leaders);
    if (p.keepNext)
        out.setProperty(KeepWithNext, true);
    if (p.keepLines)
        out.setProperty(KeepLinesTogether, true);
    if (!p.widowControl)
        out.setProperty(NoWidowControl, true);
    return out;
}

// A line of the paragraph's font is as tall as the font reaches above and below, times the
// paragraph's spacing; Qt's own adds the font's line gap, which the document's lines do not have.
// On a line grid, a line takes as many whole pitches as its font needs, times its spacing; the
// need is measured by the font's size, as the faces standing in for the document's have other
// line heights than those they stand for. Either way a taller line (a picture, a larger run)
// takes more.
void autoLineHeight(QTextBlockFormat& out, const docx::ParaLook& p, const QFont& font, double zoom)
{
    if (p.lineRule != docx::LineRule::Auto)
        return;
    const QFontMetricsF metrics(font);
    if (!p.gridPitch) {
        const double height = metrics.ascent() + metrics.descent();
        out.setLineHeight(height * p.line / 240.0 - metrics.lineSpacing(), QTextBlockFormat::LineDistanceHeight);
        return;
    }
    const double pitch = px(p.gridPitch, zoom);
    const double natural = 1.2 * font.pointSizeF() * 96 / 72;
    const double pitches = std::max(1.0, std::ceil(natural / pitch - 0.01));
    out.setLineHeight(pitches * pitch * p.line / 240.0, QTextBlockFormat::MinimumHeight);
}

// A ruby's text is the base's font at the ruby's size, without the base's spacing.
QFont rubyFont(QFont base, const docx::RubyLook& ruby, double zoom)
{
    base.setPointSizeF(std::max(1.0, ruby.halfPoints / 2.0 * zoom));
    base.setLetterSpacing(QFont::AbsoluteSpacing, 0);
    return base;
}

// How far the ruby's baseline stands over its base's; unset, the ruby sits on the base's top.
double rubyRaise(const docx::RubyLook& ruby, const QFont& base, double zoom)
{
    if (ruby.raise >= 0)
        return px(ruby.raise * 10, zoom);
    return QFontMetricsF(base).ascent() + QFontMetricsF(rubyFont(base, ruby, zoom)).descent();
}

// How far a ruby over a base of this font reaches above the base's baseline.
double rubyHeight(const docx::RubyLook& ruby, const QFont& base, double zoom)
{
    return rubyRaise(ruby, base, zoom) + QFontMetricsF(rubyFont(base, ruby, zoom)).ascent();
}

// Draws a ruby's text in the painter's font over a base spanning [left, left + width), its
// baseline at y. A ruby wider than its base is centred over it, whatever its alignment.
void drawRubyText(QPainter& painter, const QString& text, docx::RubyAlign align, double left, double width, double y)
{
    using docx::RubyAlign;
    const double room = width - QFontMetricsF(painter.font()).horizontalAdvance(text);
    const auto letters = static_cast<double>(QStringView(text).toUcs4().size());
    if (room <= 0 || align == RubyAlign::Center || (align == RubyAlign::DistributeLetter && letters < 2)) {
        painter.drawText(QPointF(left + room / 2, y), text);
        return;
    }
    if (align == RubyAlign::Left || align == RubyAlign::Right) {
        painter.drawText(QPointF(align == RubyAlign::Left ? left : left + room, y), text);
        return;
    }
    // Spread over the base: gaps between the letters only, or half a gap at each end as well.
    // Qt adds the spacing after every letter, the last one's falling past the base.
    const bool ends = align == RubyAlign::DistributeSpace;
    const double gap = room / (ends ? letters : letters - 1);
    QFont spread = painter.font();
    spread.setLetterSpacing(QFont::AbsoluteSpacing, gap);
    painter.save();
    painter.setFont(spread);
    painter.drawText(QPointF(left + (ends ? gap / 2 : 0), y), text);
    painter.restore();
}

QTextCharFormat markFormat(QTextCharFormat f)
{
    f.setForeground(kMarkColor);
    return f;
}

// How one shown character outside the table structure is drawn; an empty string draws nothing.
// rowEnd: the character is the cell mark that ends a table row.
QString drawn(char16_t c, bool rowEnd)
{
    namespace cp = docx::cp;
    switch (c) {
    case cp::ParagraphMark:
    case cp::PageBreak:
    case cp::ColumnBreak:
        return QString(QChar::ParagraphSeparator);
    case cp::LineBreak:
        return QString(QChar::LineSeparator);
    case cp::CellMark:
        return rowEnd ? QString(QChar::ParagraphSeparator) : QStringLiteral(" │ ");
    case cp::Separator:
        return QStringLiteral("──────");
    case cp::ContinuationSeparator:
        return QStringLiteral("────────────────────");
    case cp::Graphic:
        return QStringLiteral("▣");
    case cp::NonBreakingHyphen:
        return QStringLiteral("\u2011");
    case cp::ShapeAnchor:
    case cp::OptionalHyphen:
    case cp::FieldBegin:
    case cp::FieldSeparator:
    case cp::FieldEnd:
        return {};
    default:
        return QString(QChar(c));
    }
}

bool isMark(char16_t c)
{
    namespace cp = docx::cp;
    return c == cp::CellMark || c == cp::Separator || c == cp::ContinuationSeparator || c == cp::Graphic;
}

// The drawn column of a cell's first grid column: counted from the right in a table whose first
// column is at the right.
int drawnColumn(const docx::TableLook& look, const docx::CellLook& c, int columns)
{
    return look.rightToLeft ? std::max(0, columns - c.column - std::min(c.span, columns - c.column)) : c.column;
}

// Word's usual fonts are rarely installed here: each draws in the closest kind that is, so a
// serif heading stays serif and Japanese takes a Japanese font rather than the locale's fallback.
void substituteDocumentFonts()
{
    const QStringList serif{QStringLiteral("Liberation Serif"), QStringLiteral("Nimbus Roman"), QStringLiteral("DejaVu Serif")};
    const QStringList sans{QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans")};
    const QStringList mono{QStringLiteral("Liberation Mono"), QStringLiteral("Nimbus Mono PS"), QStringLiteral("DejaVu Sans Mono")};
    // Fixed-pitch Japanese faces take IPA's fixed-pitch ones, proportional faces the P ones.
    const QStringList mincho{QStringLiteral("IPAMincho"), QStringLiteral("Noto Serif CJK JP"), QStringLiteral("IPAGothic")};
    const QStringList pMincho{QStringLiteral("IPAPMincho"), QStringLiteral("Noto Serif CJK JP"), QStringLiteral("IPAPGothic")};
    const QStringList gothic{QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP")};
    const QStringList pGothic{QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")};
    // Carlito and Caladea are as wide as Calibri and Cambria, so lines break where the document's do.
    const QStringList calibri{QStringLiteral("Carlito"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")};
    const QStringList cambria{QStringLiteral("Caladea"), QStringLiteral("Liberation Serif"), QStringLiteral("DejaVu Serif")};
    const std::pair<const char*, const QStringList*> kFonts[] = {
        {"Times New Roman", &serif}, {"Century", &serif}, {"Cambria", &cambria}, {"Georgia", &serif},
        {"Book Antiqua", &serif}, {"Arial", &sans}, {"Calibri", &calibri}, {"Calibri Light", &calibri},
        {"Helvetica", &sans}, {"Segoe UI", &sans}, {"Verdana", &sans}, {"Tahoma", &sans},
        {"Courier New", &mono}, {"Consolas", &mono},
        {"ＭＳ 明朝", &mincho}, {"MS Mincho", &mincho}, {"游明朝", &mincho}, {"Yu Mincho", &mincho},
        {"游明朝 Demibold", &mincho}, {"Yu Mincho Demibold", &mincho}, {"ＭＳ Ｐ明朝", &pMincho}, {"MS PMincho", &pMincho},
        {"ＭＳ ゴシック", &gothic}, {"MS Gothic", &gothic}, {"游ゴシック", &gothic}, {"Yu Gothic", &gothic},
        {"游ゴシック Light", &gothic}, {"Yu Gothic Light", &gothic}, {"ＭＳ Ｐゴシック", &pGothic}, {"MS PGothic", &pGothic},
        {"メイリオ", &pGothic}, {"Meiryo", &pGothic}, {"Meiryo UI", &pGothic}, {"Yu Gothic UI", &pGothic},
    };
    for (const auto& [family, substitutes] : kFonts)
        if (QFont::substitutes(QString::fromUtf8(family)).isEmpty())
            QFont::insertSubstitutions(QString::fromUtf8(family), *substitutes);
}

// The room the text keeps for a drawing at one side of the column (or across it), at the start of
// the cursor's paragraph: a transparent frame floating at that side, the paragraph's lines running
// beside it. The paragraph's block before the frame holds nothing and is drawn with no height; the
// frame and its block take no story position. The cursor is left at the paragraph's start.
QTextFrame* keepRoom(QTextCursor& cursor, double height, const SideRoom& room)
{
    QTextBlockFormat para = cursor.blockFormat();
    QTextBlockFormat empty = para;
    empty.setLineHeight(0, QTextBlockFormat::FixedHeight);
    empty.setBottomMargin(0);
    empty.setProperty(kBeforeDrawing, true);
    cursor.setBlockFormat(empty);
    QTextFrameFormat side;
    side.setPosition(room.side == SideRoom::Left ? QTextFrameFormat::FloatLeft : QTextFrameFormat::FloatRight);
    side.setWidth(room.width);
    side.setHeight(height);
    side.setBorder(0);
    side.setMargin(0);
    side.setPadding(0);
    QTextFrame* frame = cursor.insertFrame(side);
    cursor.setBlockFormat(empty);
    cursor = frame->lastCursorPosition();
    cursor.movePosition(QTextCursor::NextBlock);
    para.setTopMargin(0);
    cursor.setBlockFormat(para);
    return frame;
}

// Builds the drawn document of a story, position by position.
class Builder {
public:
    Builder(const docx::Story& story, const DrawContext& context, QTextDocument* doc,
            DrawnPositions& toDisplay, std::vector<std::pair<int, int>>& doubleStrikes, std::vector<int>& pageBreaks)
        : m_story(story), m_look(story.look), m_context(context), m_doc(doc), m_cursor(doc),
          m_toDisplay(toDisplay), m_doubleStrikes(doubleStrikes), m_pageBreaks(pageBreaks)
    {
    }

    // The drawn tables with rows of a least height, for growRows once laid out.
    const std::vector<std::pair<QTextTable*, const docx::TableLook*>>& tallRows() const { return m_tallRows; }

    // Draws the story's long paragraphs in pieces of about a page of this size (pixels) each.
    void pageLongParagraphs(QSizeF body) { m_pageBody = body; }
    // Lets the text run beside wrapped drawings at one side of this page's column.
    void runBesideDrawings(const PageFrame& frame) { m_frame = frame; }

    void build()
    {
        m_toDisplay = {};
        m_doubleStrikes.clear();
        m_pageBreaks.clear();
        QTextOption option = m_doc->defaultTextOption();
        option.setTabStopDistance(px(m_look.defaultTab, m_context.zoom));
        m_doc->setDefaultTextOption(option);
        m_cursor.beginEditBlock();
        size_t run = 0;
        int strikeStart = -1;
        for (int32_t p = 0; p < m_story.length(); ++p) {
            while (run + 1 < m_story.runs.size() && m_story.runs[run + 1].start <= p) {
                ++run;
            }
            const docx::CharFormat& f = m_story.runs[run].format;
            if (p == m_story.runs[run].start)
                m_format = formatAt(f, p);
            else if (m_lookRun + 1 < m_look.runs.size() && m_look.runs[m_lookRun + 1].start <= p)
                m_format = formatAt(f, p);
            const bool twice = f.doubleStrike && f.cls != CpClass::Deleted;
            if (twice && strikeStart < 0)
                strikeStart = pos();
            else if (!twice && strikeStart >= 0) {
                if (pos() > strikeStart)
                    m_doubleStrikes.emplace_back(strikeStart, pos());
                strikeStart = -1;
            }
            openTables(p);
            startParagraph(p);
            m_toDisplay.push_back(pos());
            rubyRoom(p);
            if (f.cls == CpClass::Field || f.cls == CpClass::Hidden)
                continue;
            put(p);
        }
        if (strikeStart >= 0 && pos() > strikeStart)
            m_doubleStrikes.emplace_back(strikeStart, pos());
        m_toDisplay.push_back(pos());
        flush();
        m_cursor.endEditBlock();
    }

private:
    struct OpenTable {
        const docx::TableLook* look;
        QTextTable* table;
        size_t row = 0, cell = 0;
    };

    QTextCharFormat formatAt(const docx::CharFormat& f, int32_t p)
    {
        while (m_lookRun + 1 < m_look.runs.size() && m_look.runs[m_lookRun + 1].start <= p)
            ++m_lookRun;
        const bool looked = !m_look.runs.empty() && m_look.runs[m_lookRun].start <= p;
        QTextCharFormat out = drawnFormat(f, looked ? &m_look.runs[m_lookRun].look : nullptr, m_context.zoom);
        if (p < m_spreadEnd) {
            out.setFontLetterSpacingType(QFont::AbsoluteSpacing);
            out.setFontLetterSpacing(out.fontLetterSpacing() + m_spreadGap);
            out.setProperty(kSpreadBase, true);
        }
        return out;
    }

    // Text goes in by runs of one format: one insertion per character would make a long
    // document slow to open.
    void text(QStringView s, const QTextCharFormat& format)
    {
        if (s.isEmpty())
            return;
        if (!m_pending.isEmpty() && !(m_pendingFormat == format))
            flush();
        if (m_pending.isEmpty())
            m_pendingFormat = format;
        m_pending += s;
    }

    void flush()
    {
        if (m_pending.isEmpty())
            return;
        m_cursor.insertText(m_pending, m_pendingFormat);
        m_pending.clear();
    }

    // The drawn position the next character gets.
    int pos() const { return m_cursor.position() + static_cast<int>(m_pending.size()); }

    bool inSkippedCell() const
    {
        if (m_tables.empty())
            return false;
        const OpenTable& t = m_tables.back();
        return t.row < t.look->rows.size() && t.cell < t.look->rows[t.row].size()
               && t.look->rows[t.row][t.cell].merged;
    }

    void openTables(int32_t p)
    {
        while (m_nextTable < m_look.tables.size() && m_look.tables[m_nextTable].start <= p) {
            const docx::TableLook& look = m_look.tables[m_nextTable++];
            if (look.start < p || look.rows.empty())
                continue;   // a table whose cells an edit has removed
            int columns = static_cast<int>(look.grid.size());
            for (const auto& row : look.rows)
                if (!row.empty())
                    columns = std::max(columns, row.back().column + row.back().span);
            const double zoom = m_context.zoom;
            QTextTableFormat format;
            format.setCellPadding(0);   // each cell's own, below
            format.setCellSpacing(0);
            format.setBorderCollapse(true);
            format.setBorder(look.borders ? 1 : 0);
            format.setBorderBrush(look.borders ? QBrush(Qt::black) : QBrush(Qt::NoBrush));
            if (const std::optional<double> left = tableLeft(look, zoom)) {
                format.setAlignment(Qt::AlignLeft);
                format.setLeftMargin(*left);
            } else {
                format.setAlignment(look.align == docx::Align::Center ? Qt::AlignHCenter : Qt::AlignRight);
            }
            format.setHeaderRowCount(look.headerRows);
            QList<QTextLength> widths;
            for (int32_t w : look.grid)
                widths << QTextLength(QTextLength::FixedLength, px(w, m_context.zoom));
            if (look.rightToLeft)
                std::reverse(widths.begin(), widths.end());
            if (widths.size() == columns)
                format.setColumnWidthConstraints(widths);
            flush();
            QTextTable* table = m_cursor.insertTable(static_cast<int>(look.rows.size()), std::max(columns, 1), format);
            for (size_t r = 0; r < look.rows.size(); ++r)
                for (const docx::CellLook& c : look.rows[r]) {
                    if (c.merged || c.column >= columns)
                        continue;
                    const int span = std::min(c.span, columns - c.column);
                    if (span > 1 || c.rowSpan > 1)
                        table->mergeCells(static_cast<int>(r), drawnColumn(look, c, columns), c.rowSpan, span);
                    QTextTableCell cell = table->cellAt(static_cast<int>(r), drawnColumn(look, c, columns));
                    QTextTableCellFormat cf = cell.format().toTableCellFormat();
                    cf.setTopPadding(px(look.margins.top, zoom));
                    cf.setLeftPadding(px(look.margins.left, zoom));
                    cf.setBottomPadding(px(look.margins.bottom, zoom));
                    cf.setRightPadding(px(look.margins.right, zoom));
                    if (c.shading >= 0)
                        cf.setBackground(fromColorRef(c.shading));
                    if (c.vAlign != docx::CellAlign::Top)
                        cf.setVerticalAlignment(c.vAlign == docx::CellAlign::Center ? QTextCharFormat::AlignMiddle
                                                                                    : QTextCharFormat::AlignBottom);
                    if (r < look.keptWhole.size() && look.keptWhole[r])
                        cf.setProperty(RowKeptWhole, true);
                    cell.setFormat(cf);
                }
            if (!look.rowHeights.empty())
                m_tallRows.emplace_back(table, &look);
            m_tables.push_back({&look, table});
            moveToCell();
        }
    }

    // Where a table's left edge stands from the text column's. Qt centres a table in the page as
    // if it had no right margin, so a centred or right table on pages is placed here; in a cell,
    // or unpaged, Qt aligns it (none).
    std::optional<double> tableLeft(const docx::TableLook& look, double zoom) const
    {
        if (look.align == docx::Align::Left)
            return px(std::max(look.indent, 0), zoom);
        if (!m_tables.empty() || m_pageBody.isEmpty())
            return std::nullopt;
        double width = 0;
        for (int32_t w : look.grid)
            width += px(w, zoom);
        const double room = std::max(0.0, m_pageBody.width() - width);
        return look.align == docx::Align::Center ? room / 2 : room;
    }

    void moveToCell()
    {
        flush();
        OpenTable& t = m_tables.back();
        const auto& row = t.look->rows[t.row];
        if (t.cell < row.size())
            m_cursor = t.table->cellAt(static_cast<int>(t.row), drawnColumn(*t.look, row[t.cell], t.table->columns()))
                           .firstCursorPosition();
    }

    // The cell mark at p ends the open table's cell (or its row); false outside a drawn table.
    bool endCell(int32_t p)
    {
        if (m_tables.empty())
            return false;
        OpenTable& t = m_tables.back();
        if (std::binary_search(m_story.rowEnds.begin(), m_story.rowEnds.end(), p)) {
            ++t.row;
            t.cell = 0;
            if (t.row >= t.look->rows.size()) {
                flush();
                m_cursor = t.table->lastCursorPosition();
                m_cursor.movePosition(QTextCursor::NextBlock);
                m_tables.pop_back();
                return true;
            }
        } else {
            ++t.cell;
        }
        moveToCell();
        return true;
    }

    void startParagraph(int32_t p)
    {
        while (m_nextPara < m_look.paras.size() && m_look.paras[m_nextPara].start < p)
            ++m_nextPara;
        if (m_nextPara >= m_look.paras.size() || m_look.paras[m_nextPara].start != p)
            return;
        const docx::ParaLook& para = m_look.paras[m_nextPara++];
        if (inSkippedCell())
            return;
        flush();
        paragraphEnded();
        QTextBlockFormat format = blockFormat(para, m_look.defaultTab, m_context.zoom);
        autoLineHeight(format, para, m_format.font(), m_context.zoom);
        m_cursor.setBlockFormat(format);
        // An empty paragraph is as tall as its mark's font, not the one before it. Only the font:
        // a cell's first block keeps the cell's own format there.
        QTextCharFormat font;
        font.setFont(m_format.font());
        m_cursor.mergeBlockCharFormat(font);
        if (para.pageBreakBefore && m_tables.empty())
            breakPageBefore();
        keepRoomBeside(p, m_nextPara < m_look.paras.size() ? m_look.paras[m_nextPara].start : m_story.length());
        if (!para.label.isEmpty() && !inSkippedCell())
            text(para.label + u'\t', m_format);
    }

    void picture(int32_t p, bool anchored)
    {
        while (m_nextPicture < m_look.pictures.size() && m_look.pictures[m_nextPicture].pos < p)
            ++m_nextPicture;
        const docx::PictureLook* look = m_nextPicture < m_look.pictures.size() && m_look.pictures[m_nextPicture].pos == p
                                            ? &m_look.pictures[m_nextPicture]
                                            : nullptr;
        if (anchored && m_context.placeFloats) {
            if (look && reservesBand(*look) && !std::binary_search(m_placedBeside.begin(), m_placedBeside.end(), p)
                && !(m_frame && sideRoom(*look, *m_frame, m_context.zoom).side == SideRoom::Outside))
                band(p, *look);
            return;
        }
        // A text box shows its own story; a shape lying on no page is not drawn.
        if (!look || (anchored && (look->textBox || look->media.isEmpty()))) {
            if (!anchored)
                text(QStringLiteral("▣"), markFormat(m_format));
            return;
        }
        const QSize size(std::max(1, static_cast<int>(px(look->width, m_context.zoom))),
                         std::max(1, static_cast<int>(px(look->height, m_context.zoom))));
        // A picture is drawn once per size; a shape has one of its own.
        const QString name = look->media.isEmpty()
                                 ? QStringLiteral("shape:%1:%2x%3").arg(m_nextPicture).arg(size.width()).arg(size.height())
                                 : QStringLiteral("picture:%1:%2x%3").arg(look->media).arg(size.width()).arg(size.height());
        if (m_doc->resource(QTextDocument::ImageResource, QUrl(name)).isNull()) {
            QImage drawn(size, QImage::Format_ARGB32_Premultiplied);
            drawn.fill(Qt::transparent);
            QPainter painter(&drawn);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            paintDrawing(painter, *look, QRectF(QPointF(), QSizeF(size)), m_context.zoom,
                         m_context.pictures ? *m_context.pictures : Pictures());
            painter.end();
            m_doc->addResource(QTextDocument::ImageResource, QUrl(name), drawn);
        }
        QTextImageFormat image;
        image.setName(name);
        image.setWidth(size.width());
        image.setHeight(size.height());
        flush();
        m_cursor.insertImage(image);
    }

    // A transparent mark of this size standing on the baseline, drawn text of no story position.
    void clearMark(double width, double height)
    {
        static const QString kName = QStringLiteral("band:");
        if (m_doc->resource(QTextDocument::ImageResource, QUrl(kName)).isNull()) {
            QImage clear(1, 1, QImage::Format_ARGB32_Premultiplied);
            clear.fill(Qt::transparent);
            m_doc->addResource(QTextDocument::ImageResource, QUrl(kName), clear);
        }
        QTextImageFormat image;
        image.setName(kName);
        image.setWidth(width);
        image.setHeight(height);
        flush();
        m_cursor.insertImage(image);
    }

    QFont baseFont(int32_t p) const { return drawnFormat({}, runLookAt(m_look, p), m_context.zoom).font(); }

    // A line holding a ruby's base reaches up to the ruby's top: a transparent mark of that
    // height stands before the base, where the ruby field's separator is. Qt then makes that
    // line, and only it, taller; the view paints the ruby over the base.
    void rubyRoom(int32_t p)
    {
        const auto& rubies = m_look.rubies;
        while (m_nextRuby < rubies.size() && rubies[m_nextRuby].separator < p)
            ++m_nextRuby;
        if (m_nextRuby >= rubies.size() || rubies[m_nextRuby].separator != p || inSkippedCell())
            return;
        const docx::RubyLook& ruby = rubies[m_nextRuby];
        const QFont base = baseFont(p + 1);
        // A base narrower than its ruby is spread out to the ruby's width, as Word does: a gap
        // after each character, and half a gap before the first, as the mark's width.
        QString shown;
        for (const QChar c : m_story.text.mid(p + 1, ruby.end - p - 1))
            if (c.unicode() >= 32)
                shown += c;
        const double room = QFontMetricsF(rubyFont(base, ruby, m_context.zoom)).horizontalAdvance(ruby.text)
                            - QFontMetricsF(base).horizontalAdvance(shown);
        m_spreadGap = room > 0.5 && !shown.isEmpty() ? room / static_cast<double>(shown.size()) : 0;
        m_spreadEnd = m_spreadGap > 0 ? ruby.end : 0;
        clearMark(m_spreadGap / 2, rubyHeight(ruby, base, m_context.zoom));
    }

    // The room the text keeps for a drawing placed on the page: a transparent mark as tall as the
    // drawing where its anchor is, the rest of the paragraph starting on the next line.
    void band(int32_t p, const docx::PictureLook& look)
    {
        clearMark(1, bandHeight(look, m_context.zoom));
        if (p + 1 < m_story.length() && m_story.text[p + 1] != QChar(docx::cp::ParagraphMark))
            text(QString(QChar::LineSeparator), m_format);
    }

    // Wherever its anchor stands in the paragraph [start, end), a drawing the lines run beside
    // gets its room before the paragraph's first line, so that text typed before the anchor is
    // drawn beside it too.
    void keepRoomBeside(int32_t start, int32_t end)
    {
        if (!m_frame || !m_context.placeFloats || !m_tables.empty())
            return;
        auto it = std::lower_bound(m_look.pictures.begin(), m_look.pictures.end(), start,
                                   [](const docx::PictureLook& l, int32_t v) { return l.pos < v; });
        for (; it != m_look.pictures.end() && it->pos < end; ++it) {
            const SideRoom room = reservesBand(*it) ? sideRoom(*it, *m_frame, m_context.zoom) : SideRoom{};
            if (room.side == SideRoom::None || room.side == SideRoom::Outside)
                continue;
            beside(bandHeight(*it, m_context.zoom), room);
            m_placedBeside.push_back(it->pos);
        }
    }

    void beside(double height, const SideRoom& room)
    {
        flush();
        keepRoom(m_cursor, height, room);
    }

    void paragraphEnded()
    {
        m_sinceBreak = 0;
        m_inPieces = false;
    }

    // The characters a piece of the paragraph at p holds: some three quarters of a page of lines
    // in the current format, as far as its text's width shows before it is laid out.
    int pieceLength(int32_t p) const
    {
        if (m_pageBody.isEmpty())
            return kLongestDrawnParagraph;
        const QFontMetricsF metrics(m_format.font());
        const QString sample = m_story.text.mid(p, 200);
        const double advance = std::max(1.0, metrics.horizontalAdvance(sample) / static_cast<double>(std::max<qsizetype>(1, sample.size())));
        const double lines = std::floor(m_pageBody.height() / std::max(1.0, metrics.lineSpacing()));
        const double perLine = std::floor(m_pageBody.width() / advance);
        return std::max(kShortestPiece, static_cast<int>(lines * perLine * 3 / 4));
    }

    // Whether the story's paragraph runs on for more than chars characters after p.
    bool runsOn(int32_t p, int chars) const
    {
        namespace cp = docx::cp;
        const int32_t last = std::min<int32_t>(m_story.length(), p + 1 + chars);
        for (int32_t q = p + 1; q < last; ++q) {
            const char16_t c = m_story.text[q].unicode();
            if (c == cp::ParagraphMark || c == cp::CellMark || c == cp::PageBreak || c == cp::ColumnBreak)
                return false;
        }
        return last - p - 1 == chars;
    }

    // In a paragraph too long to draw whole, ends the drawn piece after a space once it is long,
    // or anywhere once it is far too long. The break is drawn text of no story position, as a list
    // label is, so the map stays right.
    void splitLongParagraph(int32_t p, char16_t c)
    {
        if (++m_sinceBreak == 1 && !m_inPieces && runsOn(p, kLongestDrawnParagraph)) {
            // Looked ahead once per drawn paragraph: one that ends soon enough is drawn whole.
            m_inPieces = true;
            m_pieceLength = pieceLength(p);
            m_pieceFormat = m_format;
        }
        if (!m_inPieces || m_sinceBreak < m_pieceLength
            || (c != u' ' && c != u'\u3000' && m_sinceBreak < m_pieceLength * 11 / 10))
            return;
        text(QString(QChar::ParagraphSeparator), m_format);
        m_sinceBreak = 0;
        if (!(m_format == m_pieceFormat)) {   // measured once per format
            m_pieceLength = pieceLength(p + 1);
            m_pieceFormat = m_format;
        }
    }

    void put(int32_t p)
    {
        namespace cp = docx::cp;
        const char16_t c = m_story.text[p].unicode();
        if (c >= 32 && !m_labelled) {   // ordinary text: most of any story
            if (!inSkippedCell())
                text(QStringView(m_story.text).mid(p, 1), m_format);
            splitLongParagraph(p, c);
            return;
        }
        if (const auto label = m_context.labels.find(p); label != m_context.labels.end()) {
            QTextCharFormat raised = markFormat(m_format);
            raised.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
            text(label->second, raised);
            return;
        }
        if (c == cp::CellMark && endCell(p))
            return;
        if (inSkippedCell())
            return;
        if (c == cp::Graphic || c == cp::ShapeAnchor) {
            picture(p, c == cp::ShapeAnchor);
            return;
        }
        const QString shown = drawn(c, std::binary_search(m_story.rowEnds.begin(), m_story.rowEnds.end(), p));
        text(shown, isMark(c) ? markFormat(m_format) : m_format);
        if (shown.contains(QChar::ParagraphSeparator))
            paragraphEnded();
        else
            splitLongParagraph(p, c);
        if (c == cp::PageBreak && m_tables.empty())
            breakPageBefore();
    }

    // The drawn paragraph being started begins a page.
    void breakPageBefore()
    {
        if (m_pageBreaks.empty() || m_pageBreaks.back() != pos())
            m_pageBreaks.push_back(pos());
    }

    const docx::Story& m_story;
    const docx::Look& m_look;
    const DrawContext& m_context;
    QTextDocument* m_doc;
    QTextCursor m_cursor;
    DrawnPositions& m_toDisplay;
    std::vector<std::pair<int, int>>& m_doubleStrikes;
    std::vector<int>& m_pageBreaks;    // drawn positions that start a page: after page and section breaks
    const bool m_labelled = !m_context.labels.empty();
    QTextCharFormat m_format;
    QString m_pending;                 // text not yet inserted, all in m_pendingFormat
    QTextCharFormat m_pendingFormat;
    size_t m_lookRun = 0, m_nextPara = 0, m_nextTable = 0, m_nextPicture = 0, m_nextRuby = 0;
    int32_t m_spreadEnd = 0;           // the base being drawn, spread out to its ruby's width, ends here
    double m_spreadGap = 0;            // the room added after each of its characters
    int m_sinceBreak = 0;              // characters drawn since the last paragraph break
    bool m_inPieces = false;           // the drawn paragraph is too long to draw whole
    int m_pieceLength = 0;             // characters of its current piece
    QTextCharFormat m_pieceFormat;     // the format that length was measured in
    QSizeF m_pageBody;                 // empty: not paged
    std::optional<PageFrame> m_frame;  // none: wrapped drawings keep full-width bands
    std::vector<int32_t> m_placedBeside;   // anchors whose drawings the lines run beside, in order
    std::vector<OpenTable> m_tables;
    std::vector<std::pair<QTextTable*, const docx::TableLook*>> m_tallRows;
};

// Makes each row of these tables as tall as its least height: the tallest cell of a row that is
// shorter gets the room it lacks around its text, as its alignment puts it. Measured in one
// layout, changed in one edit: growing a row does not change what the others hold.
void growRows(QTextDocument* doc, const std::vector<std::pair<QTextTable*, const docx::TableLook*>>& tables, double zoom)
{
    struct Growth {
        QTextTableCell cell;
        double room;
        docx::CellAlign align;
    };
    std::vector<Growth> growths;
    QAbstractTextDocumentLayout* layout = doc->documentLayout();
    for (const auto& [table, look] : tables) {
        for (size_t r = 0; r < look->rowHeights.size() && r < look->rows.size(); ++r) {
            if (look->rowHeights[r] <= 0)
                continue;
            std::optional<Growth> tallest;
            double rowHeight = 0;
            for (int c = 0; c < table->columns(); ++c) {
                const QTextTableCell cell = table->cellAt(static_cast<int>(r), c);
                if (cell.row() != static_cast<int>(r) || cell.column() != c || cell.rowSpan() > 1)
                    continue;
                const QTextTableCellFormat format = cell.format().toTableCellFormat();
                const double height = layout->blockBoundingRect(cell.lastCursorPosition().block()).bottom()
                                      - layout->blockBoundingRect(cell.firstCursorPosition().block()).top()
                                      + format.topPadding() + format.bottomPadding();
                if (tallest && height <= rowHeight)
                    continue;
                rowHeight = height;
                const auto& cells = look->rows[r];
                const auto drawn = std::find_if(cells.begin(), cells.end(), [&](const docx::CellLook& l) {
                    return drawnColumn(*look, l, table->columns()) == c;
                });
                tallest = Growth{cell, 0, drawn == cells.end() ? docx::CellAlign::Top : drawn->vAlign};
            }
            const double room = px(look->rowHeights[r], zoom) - rowHeight;
            if (tallest && room > 0.5) {
                tallest->room = room;
                growths.push_back(*tallest);
            }
        }
    }
    if (growths.empty())
        return;
    QTextCursor edit(doc);
    edit.beginEditBlock();
    for (Growth& g : growths) {
        QTextTableCellFormat format = g.cell.format().toTableCellFormat();
        const double above = g.align == docx::CellAlign::Bottom ? g.room : g.align == docx::CellAlign::Center ? g.room / 2 : 0;
        format.setTopPadding(format.topPadding() + above);
        format.setBottomPadding(format.bottomPadding() + g.room - above);
        g.cell.setFormat(format);
    }
    edit.endEditBlock();
}

} // namespace

DrawnStory drawStoryDocument(const docx::Story& story, const DrawContext& context, QObject* parent)
{
    DrawnStory out;
    out.doc = new QTextDocument(parent);
    out.doc->setUndoRedoEnabled(false);
    std::vector<int> pageBreaks;
    std::vector<std::pair<int, int>> doubleStrikes;
    Builder(story, context, out.doc, out.toDisplay, doubleStrikes, pageBreaks).build();
    return out;
}

Pictures decodePictures(const std::map<QString, QByteArray>& media)
{
    Pictures out;
    for (const auto& [name, bytes] : media)
        out.emplace(name, QImage::fromData(bytes));
    return out;
}

StoryView::StoryView(QWidget* parent)
    : QTextEdit(parent)
{
    static const bool substituted = (substituteDocumentFonts(), true);
    Q_UNUSED(substituted);
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setUndoRedoEnabled(false);
    // A selection made by navigation must stay visible while another window has the focus.
    QPalette p = palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(p);
    const auto reportSelection = [this] {
        if (m_selecting)
            return;
        const QTextCursor c = textCursor();
        emit userSelected(storyPosition(c.selectionStart()), storyPosition(c.selectionEnd()));
    };
    connect(this, &QTextEdit::cursorPositionChanged, this, &StoryView::skipDrawingRoom);
    // The caret moved by the keyboard counts as much as a selection made with the mouse.
    connect(this, &QTextEdit::selectionChanged, this, reportSelection);
    connect(this, &QTextEdit::cursorPositionChanged, this, reportSelection);
    m_pagingTimer.setSingleShot(true);
    m_pagingTimer.setInterval(0);
    connect(&m_pagingTimer, &QTimer::timeout, this, &StoryView::pageStep);
}

void StoryView::setStory(const docx::Story& story, int storyIndex, const DrawContext& context)
{
    m_storyIndex = storyIndex;
    m_revision = story.revision;
    m_zoom = context.zoom;
    m_roomDrawings.clear();
    if (context.placeFloats)
        for (const docx::PictureLook& picture : story.look.pictures)
            if (keepsPageRoom(picture))
                m_roomDrawings.push_back({picture, false});
    takeParagraphs(story.look);
    build(story, context);
}

void StoryView::build(const docx::Story& story, const DrawContext& context)
{
    m_selecting = true;
    auto* doc = new QTextDocument(this);
    doc->setUndoRedoEnabled(false);
    // A paragraph runs left to right unless it says otherwise, as Word has it. Left to Qt, the
    // direction is guessed from each paragraph's text, again for every paragraph below an edit
    // each time Qt moves them down.
    QTextOption option = doc->defaultTextOption();
    option.setTextDirection(Qt::LeftToRight);
    doc->setDefaultTextOption(option);
    framePage(doc);   // before the text: changing the frame later lays everything out again
    Builder builder(story, context, doc, m_toDisplay, m_doubleStrikes, m_pageBreaks);
    m_hasTabLeaders = std::any_of(story.look.paras.begin(), story.look.paras.end(), [](const docx::ParaLook& p) {
        return std::any_of(p.tabs.begin(), p.tabs.end(), [](const docx::TabStop& t) { return t.leader != docx::TabLeader::None; });
    });
    if (!m_setup.frames.empty()) {
        const PageFrame& first = m_setup.frames.front();
        builder.pageLongParagraphs(QSizeF(first.bodyWidth(), first.height - first.top - first.bottom));
        builder.runBesideDrawings(first);
    }
    builder.build();
    placeRubies(story.look);
    setDocument(doc);
    growRows(doc, builder.tallRows(), context.zoom);
    if (m_document)
        m_document->deleteLater();
    m_document = doc;
    m_selecting = false;
    centerPage();
    paginate();
    refit();
}

bool StoryView::redrawReplaced(const docx::Story& story, int32_t at, const QString& removed, int32_t inserted)
{
    constexpr char16_t kMark = docx::cp::ParagraphMark;
    const auto plain = [](QStringView s) {
        return std::all_of(s.begin(), s.end(), [](QChar c) { return c.unicode() >= 32 || c == kMark; });
    };
    const int32_t removedEnd = at + static_cast<int32_t>(removed.size());
    if (story.revision != m_revision + 1 || removedEnd >= static_cast<int32_t>(m_toDisplay.size()) || !plain(removed)
        || !plain(story.text.mid(at, inserted)))
        return false;
    // A ruby come or gone adds or takes the room its line keeps for it; a base spread out to its
    // ruby's width is spread again.
    if (story.look.rubies.size() != m_rubies.size())
        return false;
    const int a = m_toDisplay.at(at);
    const int b = m_toDisplay.at(removedEnd);
    for (const int edge : {a, a + 1, b}) {
        QTextCursor c(document());
        c.setPosition(std::min(edge, document()->characterCount() - 1));
        if (c.charFormat().boolProperty(kSpreadBase))
            return false;
    }
    if (std::any_of(m_doubleStrikes.begin(), m_doubleStrikes.end(), [&](const auto& s) { return s.first < b && s.second > a; }))
        return false;
    // A split or join draws as a block broken or merged, which keeps the first block's look as the
    // model does; not in a table, or where list labels count again.
    if (removed.contains(QChar(kMark)) || story.text.mid(at, inserted).contains(QChar(kMark))) {
        const auto& paras = story.look.paras;
        const auto from = std::upper_bound(paras.begin(), paras.end(), at,
                                           [](int32_t v, const docx::ParaLook& l) { return v < l.start; });
        const bool inCell = std::any_of(story.cells.begin(), story.cells.end(),
                                        [&](const docx::TableCell& c) { return c.start <= removedEnd && at <= c.end; });
        if (inCell || from == paras.begin() || nearDrawingRoom(document(), a, b)
            || std::any_of(std::prev(from), paras.end(), [](const docx::ParaLook& l) { return !l.label.isEmpty(); }))
            return false;
    }

    // The new characters in pieces of one drawn format, each character's format as the model has it.
    std::vector<std::pair<QString, QTextCharFormat>> pieces;
    std::vector<int> fresh(static_cast<size_t>(inserted));
    int drawnCount = 0;
    for (int32_t p = at; p < at + inserted; ++p) {
        fresh[static_cast<size_t>(p - at)] = a + drawnCount;
        const auto run = std::upper_bound(story.runs.begin(), story.runs.end(), p,
                                          [](int32_t v, const docx::FormatRun& r) { return v < r.start; });
        const docx::CharFormat f = run == story.runs.begin() ? docx::CharFormat{} : std::prev(run)->format;
        if (f.cls == CpClass::Field || f.cls == CpClass::Hidden)
            continue;
        if (f.doubleStrike && f.cls != CpClass::Deleted)
            return false;
        const QTextCharFormat format = drawnFormat(f, runLookAt(story.look, p), m_zoom);
        const bool mark = story.text[p] == QChar(kMark);
        const QTextCharFormat shown = mark ? markFormat(format) : format;
        if (pieces.empty() || !(pieces.back().second == shown))
            pieces.emplace_back(QString(), shown);
        pieces.back().first += mark ? QChar(QChar::ParagraphSeparator) : story.text[p];
        ++drawnCount;
    }

    // A paragraph split off one the pages moved down does not take on its wider top margin.
    const bool splits = std::any_of(pieces.begin(), pieces.end(), [](const auto& piece) {
        return piece.first.contains(QChar(QChar::ParagraphSeparator));
    });
    const double pushed = m_paginator && splits ? m_paginator->addedMargin(a) : 0;
    if (m_paginator)
        m_paginator->beginEdit(a, b);
    m_selecting = true;   // the map is half updated until the end
    // One edit block: Qt lays the document out again once, walking every block after the change.
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    cursor.setPosition(a);
    cursor.setPosition(b, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    // The blocks split off take the paragraph's format without what the pages added: given them
    // as they are made, so that Qt lays out nothing after them again.
    const auto widenTop = [&cursor](double by) {
        QTextBlockFormat format = cursor.blockFormat();
        format.setTopMargin(format.topMargin() + by);
        cursor.setBlockFormat(format);
    };
    if (pushed != 0)
        widenTop(-pushed);
    for (const auto& [text, format] : pieces)
        cursor.insertText(text, format);
    if (pushed != 0) {
        cursor.setPosition(a);
        widenTop(pushed);
    }
    cursor.endEditBlock();
    m_selecting = false;

    const int delta = drawnCount - (b - a);
    m_toDisplay.replace(at, removedEnd, fresh, delta);
    shiftDrawnMarks(b, b, delta);
    placeRubies(story.look);
    takeDrawingPlaces(story.look);
    takeParagraphs(story.look);
    for (RoomDrawing& d : m_roomDrawings)   // checked again as their pages are paged again
        d.kept = d.kept && d.look.pos < at;
    // Laying the paragraph (or table) out again put back the lines the pages had moved, and it may
    // have changed height: it is paged again, and what follows until the pages are as before.
    if (m_paginator) {
        m_paginator->endEdit(b, delta);
        m_paginator->pageAfter(a + drawnCount);
        pagesChanged();
    }
    m_revision = story.revision;
    refit();
    return true;
}

void StoryView::setPaging(const PageSetup& setup, const PageDecorator& decorate)
{
    m_setup = setup;
    m_decorate = decorate;
}

// The story is paged in steps: the first pages at once, the rest from the event loop, a few pages
// at a time, so that the window can be used meanwhile.
void StoryView::paginate()
{
    m_pagingTimer.stop();
    m_paginator.reset();
    if (m_setup.frames.empty())
        return;
    PageSetup drawn = m_setup;
    const auto clamped = [this](int cp) { return std::clamp(cp, 0, static_cast<int>(m_toDisplay.size()) - 1); };
    for (int& start : drawn.sectionStarts)
        start = displayPosition(clamped(start));
    for (PageNote& note : drawn.notes)
        note.refPos = displayPosition(clamped(note.refPos));
    // A section's mark breaks the page as the next section starts it (or not, if continuous):
    // the break drawn after the mark is left to the section.
    std::vector<int> marks;
    for (size_t s = 1; s < m_setup.sectionStarts.size(); ++s)
        marks.push_back(displayPosition(clamped(m_setup.sectionStarts[s] - 1)) + 1);
    std::sort(marks.begin(), marks.end());
    drawn.breaks.clear();
    std::set_difference(m_pageBreaks.begin(), m_pageBreaks.end(), marks.begin(), marks.end(), std::back_inserter(drawn.breaks));
    m_paginator = std::make_unique<Paginator>(document(), std::move(drawn));
    m_paginator->pageOn(kFirstPages);
    pagesChanged();
}

void StoryView::pageStep()
{
    if (!m_paginator)
        return;
    m_paginator->pageOn(kPagesPerStep);
    pagesChanged();
}

void StoryView::pagesChanged()
{
    while (keepNextPageRoom()) {
    }
    if (!m_paginator->done())
        m_pagingTimer.start();
    viewport()->update();
    emit paged();
}

// Where the drawings placed against the page are anchored now, in the same order as before.
void StoryView::takeDrawingPlaces(const docx::Look& look)
{
    auto d = m_roomDrawings.begin();
    for (const docx::PictureLook& picture : look.pictures)
        if (d != m_roomDrawings.end() && keepsPageRoom(picture))
            (d++)->look.pos = picture.pos;
}

// The paragraphs a drawing placed against the page may keep its room before: those of the root
// frame, not in a table.
void StoryView::takeParagraphs(const docx::Look& look)
{
    m_roomParagraphs.clear();
    if (m_roomDrawings.empty())
        return;
    int32_t tableEnd = -1;   // of the outermost table met
    auto table = look.tables.begin();
    for (const docx::ParaLook& para : look.paras) {
        for (; table != look.tables.end() && table->start <= para.start; ++table)
            tableEnd = std::max(tableEnd, table->end);
        if (para.start > tableEnd)
            m_roomParagraphs.push_back(para.start);
    }
}

// A drawing placed against the page keeps its room where it stands once its page is paged: the
// room is put in before its paragraph as an edit is, and the pages paged again from there. An edit
// above it has the room checked again once its page is paged again, and moved if it has to.
bool StoryView::keepNextPageRoom()
{
    if (!m_paginator)
        return false;
    for (RoomDrawing& d : m_roomDrawings) {
        if (d.kept)
            continue;
        const std::optional<PageRoom> room = pageRoom(*this, d.look, m_roomParagraphs, m_zoom);
        if (!room)
            continue;
        d.kept = true;
        const int at = room->height > 0 ? document()->findBlock(displayPosition(room->at)).position() : -1;
        if (d.frame) {
            const QTextFrameFormat f = d.frame->frameFormat();
            const bool left = f.position() == QTextFrameFormat::FloatLeft;
            if (at == d.frame->lastPosition() + 1 && std::abs(f.height().rawValue() - room->height) < 0.5
                && left == (room->side.side == SideRoom::Left) && std::abs(f.width().rawValue() - room->side.width) < 0.5)
                continue;   // where it was
            const int before = d.frame->firstPosition() - 1;   // the paragraph's empty block
            changeRoomAt(before, d.frame->lastPosition() + 1, f.height().rawValue(), [](QTextCursor& cursor, int end) {
                QTextBlockFormat para = cursor.document()->findBlock(end).blockFormat();
                para.setTopMargin(cursor.blockFormat().topMargin());
                cursor.setPosition(end, QTextCursor::KeepAnchor);
                cursor.removeSelectedText();
                cursor.setBlockFormat(para);
            });
            d.frame = nullptr;
            d.kept = at < 0;   // else placed again among the paragraphs as they stand now
            return true;
        }
        if (at < 0)
            continue;
        changeRoomAt(at, at, room->height, [&](QTextCursor& cursor, int) { d.frame = keepRoom(cursor, room->height, room->side); });
        return true;
    }
    return false;
}

void StoryView::shiftDrawnMarks(int breaksFrom, int strikesFrom, int delta)
{
    for (int& p : m_pageBreaks)
        if (p >= breaksFrom)
            p += delta;
    for (auto& [start, end] : m_doubleStrikes)
        if (start >= strikesFrom) {
            start += delta;
            end += delta;
        }
}

// Drawn [at, end), which holds no story position, is replaced by change (given a cursor at at)
// with what holds none either, as an edit is: the paragraphs that ran or are to run beside the
// room, those starting less than `beside` pixels below at, are laid out again, and the pages are
// paged again from there, as far as before (the room changes on a page just finished: the pages
// after it are few).
void StoryView::changeRoomAt(int at, int end, double beside, const std::function<void(QTextCursor&, int)>& change)
{
    const bool wasDone = m_paginator->done();
    const int pagedBefore = pagedTo();
    const QAbstractTextDocumentLayout* layout = document()->documentLayout();
    QTextBlock last = document()->findBlock(at);
    const double top = layout->blockBoundingRect(last).top();
    while (last.next().isValid() && layout->blockBoundingRect(last.next()).top() < top + beside)
        last = last.next();
    const int relaid = last.position() + last.length();
    m_paginator->beginEdit(at, end, relaid);
    m_selecting = true;
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    const int before = document()->characterCount();
    cursor.setPosition(at);
    change(cursor, end);
    const int delta = document()->characterCount() - before;
    document()->markContentsDirty(at, relaid + delta - at);
    cursor.endEditBlock();
    m_selecting = false;
    const int32_t first = m_toDisplay.lowerBound(at);
    m_toDisplay.replace(first, first, {}, delta);
    // A page break or a section's start at the paragraph stays before its room.
    const int moved = std::max(end, at + 1);
    shiftDrawnMarks(moved, at, delta);
    m_paginator->endEdit(moved, delta);
    m_paginator->pageAfter(at + std::max(0, delta));
    m_paginator->pageTo(wasDone ? std::numeric_limits<int>::max() : pagedBefore + delta);
}

const std::vector<Page>& StoryView::pages() const
{
    static const std::vector<Page> kNone;
    return m_paginator ? m_paginator->pages() : kNone;
}

bool StoryView::pagingDone() const
{
    return !m_paginator || m_paginator->done();
}

int StoryView::pagedTo() const
{
    return m_paginator ? m_paginator->pagedTo() : std::numeric_limits<int>::max();
}

int StoryView::finishedPages() const
{
    return m_paginator ? m_paginator->finishedPages() : 0;
}

void StoryView::pageTo(int32_t cp)
{
    if (!m_paginator || displayPosition(std::clamp(cp, 0, storyLength())) < m_paginator->pagedTo())
        return;
    m_paginator->pageTo(displayPosition(std::clamp(cp, 0, storyLength())));
    m_paginator->pageOn(1);   // its page's footnotes placed
    pagesChanged();
}

int StoryView::pageAt(double y) const
{
    const auto after = std::upper_bound(pages().begin(), pages().end(), y, [](double v, const Page& p) { return v < p.top; });
    return std::max(0, static_cast<int>(after - pages().begin()) - 1);
}

int StoryView::pageOfPosition(int pos) const
{
    const QTextBlock block = document()->findBlock(pos);
    // Its own line: a paragraph's lines can go on over pages.
    const QTextLine line = block.layout()->lineForTextPosition(pos - block.position());
    const double y = line.isValid() ? line.y() - block.layout()->lineAt(0).y() : 0;
    return pageAt(document()->documentLayout()->blockBoundingRect(block).top() + y + 1);
}

void StoryView::paintPages()
{
    QPainter painter(viewport());
    const QPointF scroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
    painter.translate(-scroll);
    const QRectF visible(scroll, QSizeF(viewport()->size()));
    // Qt paints the root frame's white over the whole viewport, which can be wider than the widest
    // page; the document's own size is not asked for, as that would lay it all out.
    const double width = std::max<double>(m_pageWidth, viewport()->width() + horizontalScrollBar()->value());
    for (size_t k = 0; k < pages().size(); ++k) {
        const PageFrame& frame = frameOf(pages()[k]);
        const QRectF pageRect(0, pages()[k].top, frame.width, frame.height);
        if (!pageRect.adjusted(0, 0, width - frame.width, kPageGap).intersects(visible))
            continue;
        painter.fillRect(QRectF(0, pageRect.bottom(), width, kPageGap), kDeskColor);
        if (frame.width < width)   // a narrower page than the widest
            painter.fillRect(QRectF(frame.width, pageRect.top(), width - frame.width, frame.height), kDeskColor);
        // A table row going on to the next page is drawn from where it was cut: its cells' edges
        // reach from there across the margins. Its top border is drawn again above it.
        const RowCut& cut = pages()[k].rowCut;
        if (cut.y >= 0)
            painter.fillRect(QRectF(0, cut.y, frame.width, pageRect.bottom() - cut.y), Qt::white);
        if (cut.y >= 0 && cut.border > 0) {   // the row's foot on this page
            painter.setPen(QPen(cut.brush, cut.border));
            painter.drawLine(QPointF(cut.left, cut.y), QPointF(cut.right, cut.y));
        }
        if (const RowCut& above = k > 0 ? pages()[k - 1].rowCut : RowCut(); above.y >= 0)
            paintRowGoingOn(painter, above, pageRect.top(), frame);
        if (m_decorate)
            m_decorate(painter, static_cast<int>(k), pageRect, false);
    }
    const double end = pages().back().top + frameOf(pages().back()).height + kPageGap;
    if (end < visible.bottom())   // below the last page
        painter.fillRect(QRectF(0, end, width, visible.bottom() - end), kDeskColor);
}

// The pages' white, and what lies behind their text: a paged story's root frame is left clear.
void StoryView::paintPagesBehind()
{
    QPainter painter(viewport());
    const QPointF scroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
    painter.translate(-scroll);
    const QRectF visible(scroll, QSizeF(viewport()->size()));
    for (size_t k = 0; k < pages().size(); ++k) {
        const PageFrame& frame = frameOf(pages()[k]);
        const QRectF pageRect(0, pages()[k].top, frame.width, frame.height);
        if (!pageRect.intersects(visible))
            continue;
        painter.fillRect(pageRect, Qt::white);
        if (m_decorate)
            m_decorate(painter, static_cast<int>(k), pageRect, true);
    }
}

// The top of a page whose first table row goes on from the page before: the margin above it
// white, the table's header rows drawn again, and its top border.
void StoryView::paintRowGoingOn(QPainter& painter, const RowCut& cut, double pageTop, const PageFrame& frame)
{
    const double top = pageTop + frame.top;
    const double header = cut.headerBottom - cut.headerTop;
    painter.fillRect(QRectF(0, pageTop, frame.width, frame.top + header), Qt::white);
    if (header > 0) {
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = QRectF(0, cut.headerTop, frame.width, header);
        context.palette = palette();
        painter.save();
        painter.translate(0, top - cut.headerTop);
        painter.setClipRect(context.clip);
        document()->documentLayout()->draw(&painter, context);
        painter.restore();
    }
    if (cut.border <= 0)
        return;
    painter.setPen(QPen(cut.brush, cut.border));
    for (const double y : {top - cut.border / 2, top + header - cut.border / 2})
        painter.drawLine(QPointF(cut.left, y), QPointF(cut.right, y));
}

// The room kept for a drawing the lines run beside holds no text: the caret goes on past it, to
// the end of the paragraph before when it moved back, else to the start of the text beside it.
void StoryView::skipDrawingRoom()
{
    QTextCursor c = textCursor();
    const auto marked = [](const QTextBlock& b) { return b.isValid() && b.blockFormat().boolProperty(kBeforeDrawing); };
    QTextBlock before = c.block(), after = c.block();
    if (!marked(c.block())) {
        m_lastCaret = c.position();
        return;
    }
    while (marked(before))
        before = before.previous();
    while (marked(after))
        after = after.next();
    const bool back = c.position() < m_lastCaret && before.isValid();
    if (!back && !after.isValid())
        return;
    c.setPosition(back ? before.position() + before.length() - 1 : after.position(),
                  c.hasSelection() ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
    setTextCursor(c);
}

int32_t StoryView::storyPosition(int pos) const
{
    return std::min(m_toDisplay.lowerBound(pos), static_cast<int32_t>(m_toDisplay.size()) - 1);
}

int32_t StoryView::storyCharacter(int pos) const
{
    // The last of all but the story's end position drawn at or before pos.
    return std::max(std::min(m_toDisplay.countUpTo(pos), static_cast<int32_t>(m_toDisplay.size()) - 1) - 1, 0);
}

void StoryView::selectStory(int32_t start, int32_t end)
{
    pageTo(end);   // the selection is shown on its own page
    QTextCursor c(document());
    c.setPosition(displayPosition(start));
    c.setPosition(displayPosition(end), QTextCursor::KeepAnchor);
    m_selecting = true;
    setTextCursor(c);
    m_selecting = false;
    ensureCursorVisible();
}

void StoryView::revealY(double y)
{
    QScrollBar* bar = verticalScrollBar();
    if (y < bar->value() || y > bar->value() + viewport()->height() - 20)
        bar->setValue(static_cast<int>(y) - viewport()->height() / 3);
}

void StoryView::clearSelection()
{
    QTextCursor c = textCursor();
    if (!c.hasSelection())
        return;
    c.setPosition(c.selectionStart());
    m_selecting = true;
    setTextCursor(c);
    m_selecting = false;
}

void StoryView::setPage(int width, int leftMargin, int rightMargin)
{
    m_pageWidth = width;
    setLineWrapMode(QTextEdit::FixedPixelWidth);
    setLineWrapColumnOrWidth(width);
    QPalette p = palette();
    p.setColor(QPalette::Base, kDeskColor);
    setPalette(p);
    m_pageMargins = {leftMargin, rightMargin};
    framePage(document());
    centerPage();
}

// The page stands in the middle of the view, white on the grey desk, its margins inside it.
void StoryView::framePage(QTextDocument* doc) const
{
    if (m_pageWidth <= 0)
        return;
    QTextFrameFormat root = doc->rootFrame()->frameFormat();
    root.setLeftMargin(m_pageMargins.first);
    root.setRightMargin(m_pageMargins.second);
    const bool paged = !m_setup.frames.empty();
    // The text starts on the first page, whose margin may be another than the others'.
    root.setTopMargin(paged ? m_setup.frames.front().of(true, std::max(1, m_setup.frames.front().numberStart)).top
                            : m_pageMargins.first / 2.0);
    root.setBottomMargin(paged ? m_setup.frames.front().bottom : m_pageMargins.first / 2.0);
    if (paged && m_setup.frames.front().height > 0)   // each page is painted white
        root.clearBackground();
    else
        root.setBackground(Qt::white);
    doc->rootFrame()->setFrameFormat(root);
}

void StoryView::centerPage()
{
    if (m_pageWidth <= 0)
        return;
    const int side = std::max(0, (width() - 2 * frameWidth() - verticalScrollBar()->sizeHint().width() - m_pageWidth) / 2);
    setViewportMargins(side, 0, side, 0);
}

void StoryView::wheelEvent(QWheelEvent* event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        const int steps = event->angleDelta().y() / 120;
        if (steps)
            emit zoomRequested(steps);
        event->accept();
        return;
    }
    QTextEdit::wheelEvent(event);
}

void StoryView::fitToContent(int maxHeight)
{
    m_fitMaxHeight = maxHeight;
    refit();
}

void StoryView::refit()
{
    if (m_fitMaxHeight <= 0)
        return;
    const int content = static_cast<int>(document()->size().height()) + 2 * frameWidth();
    const int h = std::min(content, m_fitMaxHeight);
    if (h != height())
        setFixedHeight(h);
}

void StoryView::resizeEvent(QResizeEvent* event)
{
    QTextEdit::resizeEvent(event);
    centerPage();
    refit();  // the text's height follows the width
}

void StoryView::paintEvent(QPaintEvent* event)
{
    if (!pages().empty())
        paintPagesBehind();
    QTextEdit::paintEvent(event);
    if (!pages().empty())
        paintPages();
    if (!m_doubleStrikes.empty())
        paintDoubleStrike();
    paintTabLeaders();
    paintRubies();
}

void StoryView::placeRubies(const docx::Look& look)
{
    m_rubies.clear();
    for (const docx::RubyLook& r : look.rubies)
        if (r.end < static_cast<int32_t>(m_toDisplay.size()))
            m_rubies.push_back({m_toDisplay.at(r.separator + 1), m_toDisplay.at(r.end), r});
}

// Each ruby over the part of its base on the base's first line.
void StoryView::paintRubies()
{
    if (m_rubies.empty())
        return;
    QPainter painter(viewport());
    const QPointF scroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
    const int first = cursorForPosition(QPoint(0, 0)).block().position();
    const int last = cursorForPosition(QPoint(viewport()->width(), viewport()->height())).position();
    auto ruby = std::lower_bound(m_rubies.begin(), m_rubies.end(), first,
                                 [](const DrawnRuby& r, int v) { return r.end < v; });
    for (; ruby != m_rubies.end() && ruby->start <= last; ++ruby) {
        if (ruby->start >= ruby->end)
            continue;   // its base is not drawn (hidden, or in a merged cell)
        const QTextBlock block = document()->findBlock(ruby->start);
        const QTextLine line = block.layout()->lineForTextPosition(ruby->start - block.position());
        if (!line.isValid())
            continue;
        const int to = std::min(ruby->end, block.position() + line.textStart() + line.textLength());
        double x1 = line.cursorToX(ruby->start - block.position());
        double x2 = line.cursorToX(to - block.position());
        // A spread base has half a gap before it, the room the mark before it takes, and a whole
        // one after: the ruby stands over the base's middle.
        if (ruby->start - 1 >= block.position() + line.textStart()) {
            const double half = x1 - line.cursorToX(ruby->start - 1 - block.position());
            x1 -= half;
            x2 -= half;
        }
        const QPointF origin = document()->documentLayout()->blockBoundingRect(block).topLeft() - scroll;
        QTextCursor at(document());
        at.setPosition(ruby->start + 1);
        const QTextCharFormat base = at.charFormat();
        const QBrush brush = base.foreground();
        const QTextCursor selection = textCursor();
        // Over a selected base the ruby stands on the selection's colour, as its base does.
        if (selection.selectionStart() <= ruby->start && ruby->start < selection.selectionEnd())
            painter.setPen(palette().color(QPalette::HighlightedText));
        else
            painter.setPen(brush.style() == Qt::NoBrush ? palette().color(QPalette::Text) : brush.color());
        painter.setFont(rubyFont(base.font(), ruby->look, m_zoom));
        const double baseline = origin.y() + line.y() + line.ascent() - rubyRaise(ruby->look, base.font(), m_zoom);
        drawRubyText(painter, ruby->look.text, ruby->look.align, origin.x() + std::min(x1, x2), std::abs(x2 - x1), baseline);
    }
}

// Qt draws a tab as blank room: a stop's leader fills it, in the tab character's font and colour.
void StoryView::paintTabLeaders()
{
    if (!m_hasTabLeaders)
        return;
    QPainter painter(viewport());
    const QPointF scroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
    const int first = cursorForPosition(QPoint(0, 0)).block().position();
    const int last = cursorForPosition(QPoint(viewport()->width(), viewport()->height())).position();
    for (QTextBlock block = document()->findBlock(first); block.isValid() && block.position() <= last; block = block.next()) {
        const QString leaders = block.blockFormat().stringProperty(kTabLeaders);
        if (leaders.isEmpty())
            continue;
        const QList<QTextOption::Tab> stops = block.blockFormat().tabPositions();
        const QTextLayout* layout = block.layout();
        const QPointF origin = document()->documentLayout()->blockBoundingRect(block).topLeft() - scroll;
        const QString text = block.text();
        for (qsizetype i = text.indexOf(u'\t'); i >= 0; i = text.indexOf(u'\t', i + 1)) {
            const QTextLine line = layout->lineForTextPosition(static_cast<int>(i));
            if (!line.isValid())
                continue;
            const double from = line.cursorToX(static_cast<int>(i)), to = line.cursorToX(static_cast<int>(i) + 1);
            // The stop Qt tabbed to: the first one past where the tab starts, measured from the
            // line's start, its right in a right-to-left line.
            const double along = block.blockFormat().layoutDirection() == Qt::RightToLeft ? line.x() + line.width() - from
                                                                                           : from - line.x();
            const auto stop = std::find_if(stops.begin(), stops.end(), [along](const QTextOption::Tab& t) { return t.position > along + 0.5; });
            const qsizetype k = stop - stops.begin();
            if (k >= leaders.size() || leaders[k] == u' ')
                continue;
            QTextCursor at(block);
            at.setPosition(block.position() + static_cast<int>(i) + 1);
            const QTextCharFormat format = at.charFormat();
            const QFontMetricsF metrics(format.font());
            const double step = std::max(1.0, metrics.horizontalAdvance(leaders[k]));
            const double left = std::min(from, to) + step / 2, right = std::max(from, to) - step / 2;
            // On a grid of its width, so the leaders of lines above each other line up.
            const int count = static_cast<int>(std::floor(right / step) - std::ceil(left / step));
            if (count <= 0)
                continue;
            const QBrush brush = format.foreground();
            painter.setPen(brush.style() == Qt::NoBrush ? palette().color(QPalette::Text) : brush.color());
            painter.setFont(format.font());
            painter.drawText(QPointF(origin.x() + std::ceil(left / step) * step, origin.y() + line.y() + line.ascent()),
                             QString(count, leaders[k]));
        }
    }
}

// Qt draws one strike-through line; a double strike-through gets its two lines here.
void StoryView::paintDoubleStrike()
{
    QPainter painter(viewport());
    const QPointF scroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
    for (const auto& [start, end] : m_doubleStrikes) {
        for (QTextBlock block = document()->findBlock(start); block.isValid() && block.position() < end;
             block = block.next()) {
            const QTextLayout* layout = block.layout();
            const QPointF origin = document()->documentLayout()->blockBoundingRect(block).topLeft() - scroll;
            for (int i = 0; i < layout->lineCount(); ++i) {
                const QTextLine line = layout->lineAt(i);
                const int lineStart = block.position() + line.textStart();
                const int from = std::max(start, lineStart);
                const int to = std::min(end, lineStart + line.textLength());
                if (from >= to)
                    continue;
                QTextCursor at(document());
                at.setPosition(from + 1);
                const QBrush brush = at.charFormat().foreground();
                painter.setPen(QPen(brush.style() == Qt::NoBrush ? palette().color(QPalette::Text) : brush.color(), 1));
                const qreal x1 = origin.x() + line.cursorToX(from - block.position());
                const qreal x2 = origin.x() + line.cursorToX(to - block.position());
                const qreal y = origin.y() + line.y() + line.ascent() * 0.6;
                painter.drawLine(QPointF(x1, y - 1.5), QPointF(x2, y - 1.5));
                painter.drawLine(QPointF(x1, y + 1.5), QPointF(x2, y + 1.5));
            }
        }
    }
}

} // namespace host
