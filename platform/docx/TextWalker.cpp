#include "platform/docx/TextWalker.h"

#include "platform/docx/LoadError.h"
#include "platform/docx/LookReader.h"
#include "platform/docx/Relationships.h"
#include "platform/docx/XmlReader.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <utility>

namespace docx {

namespace {

constexpr int kMaxDepth = 256;

// Field codes for constructs Word keeps as fields while OOXML writes them as elements (our
// choice of code text; Word's exact strings are not documented).
QString embedCode(std::string_view progId) { return QStringLiteral(" EMBED %1 ").arg(QString::fromUtf8(progId)); }
const QString kRubyCode = QStringLiteral(" EQ ");   // the ruby text follows as code, the base is the result
const QString kPageCode = QStringLiteral(" PAGE ");
const QString kDateCode = QStringLiteral(" DATE ");

// w:sym: Find sees the symbol font's character in the private use area.
char16_t symbolChar(std::string_view hex)
{
    unsigned long code = 0;
    std::from_chars(hex.data(), hex.data() + hex.size(), code, 16);
    return static_cast<char16_t>(code >= 0xF000 && code <= 0xF0FF ? code : 0xF000 + (code & 0xFF));
}

} // namespace

QString hyperlinkCode(std::string_view target, std::string_view anchor)
{
    QString code = QStringLiteral(" HYPERLINK");
    if (!target.empty())
        code += QStringLiteral(" \"%1\"").arg(QString::fromUtf8(target));
    if (!anchor.empty())
        code += QStringLiteral(" \\l \"%1\"").arg(QString::fromUtf8(anchor));
    return code + u' ';
}

void NotePr::applyTo(NoteNumbering& n) const
{
    if (format)
        n.format = *format;
    if (start)
        n.start = *start;
    if (restart)
        n.restart = *restart;
}

NotePr readNotePr(XmlReader& x)
{
    NotePr pr;
    const int at = x.depth();
    while (x.child(at)) {
        const std::string_view val = x.w("val");
        switch (x.tok()) {
        case Tok::NumFmt: pr.format = QString::fromUtf8(val); break;
        case Tok::NumStart: {
            int n = 1;
            if (std::from_chars(val.data(), val.data() + val.size(), n).ec == std::errc())
                pr.start = n;
            break;
        }
        case Tok::NumRestart:
            pr.restart = val == "eachSect"   ? NoteNumbering::EachSection
                         : val == "eachPage" ? NoteNumbering::EachPage
                                             : NoteNumbering::Continuous;
            break;
        default: break;
        }
    }
    return pr;
}

struct TextWalker::Depth {
    Depth(TextWalker& w) : m_w(w)
    {
        if (++m_w.m_depth > kMaxDepth)
            throw loadError(LoadFailure::TooDeep, m_w.m_ctx.path, QString::number(kMaxDepth));
    }
    ~Depth() { --m_w.m_depth; }
    TextWalker& m_w;
};

TextWalker::TextWalker(const Context& ctx, Walked& out, int depth)
    : m_ctx(ctx), m_x(ctx.xml), m_styles(ctx.styles), m_out(out), m_w(out.story), m_depth(depth)
{
    m_paraStyle = m_styles.paragraphStyle({});
    if (m_styles.looks()) {
        m_look = &out.story.look;
        if (m_styles.numbering())
            m_counter.emplace(*m_styles.numbering());
    }
}

// What a position shows: the one place the class of a character is decided.
CharFormat TextWalker::format(const ResolvedRun& rr, bool deletedItem) const
{
    CharFormat f{rr.color, rr.highlight, rr.strike, rr.doubleStrike, CpClass::Shown};
    if (deletedItem || m_deleted > 0)
        f.cls = CpClass::Deleted;
    else if (m_codeDepth > 0)
        f.cls = CpClass::Field;
    else if (rr.hidden)
        f.cls = CpClass::Hidden;
    return f;
}

CharFormat TextWalker::fieldFormat(const ResolvedRun& rr) const
{
    CharFormat f = format(rr, false);
    f.cls = CpClass::Field;
    return f;
}

ResolvedRun TextWalker::paragraphDefault() const
{
    return m_styles.resolve(m_tableStyle, m_paraStyle, Styles::kNone, {});
}

void TextWalker::walkBlocks()
{
    Depth d(*this);
    const int at = m_x.depth();
    // Only a paragraph that directly follows another can join it.
    m_joinMark = -1;
    while (m_x.child(at)) {
        if (m_x.tok() != Tok::P)
            m_joinMark = -1;
        block();
    }
    m_joinMark = -1;
}

// The content of a w:sdt: its w:sdtContent read by read.
template <typename Read>
void sdtContent(XmlReader& x, Read&& read)
{
    const int at = x.depth();
    while (x.child(at))
        if (x.tok() == Tok::SdtContent)
            read();
}

void TextWalker::block()
{
    switch (m_x.tok()) {
    case Tok::P: paragraph(); break;
    case Tok::Tbl: table(); break;
    case Tok::Sdt: sdtContent(m_x, [this] { walkBlocks(); }); break;
    case Tok::CustomXml:
    case Tok::Ins:
    case Tok::MoveTo: walkBlocks(); break;
    case Tok::Del:
    case Tok::MoveFrom:
        ++m_deleted;
        walkBlocks();
        --m_deleted;
        break;
    case Tok::AlternateContent: m_x.chooseBranch([this] { walkBlocks(); }); break;
    case Tok::SectPr: {   // the body's last section
        SectionInfo s = section();
        s.endPos = m_w.pos() - 1;
        sectionEnded(s.page);
        m_out.sections.push_back(std::move(s));
        break;
    }
    case Tok::CommentRangeStart: commentRange(m_out.commentStarts); break;
    case Tok::CommentRangeEnd: commentRange(m_out.commentEnds); break;
    case Tok::TcPr:
        if (m_look)
            cellLook();
        break;
    case Tok::AltChunk: altChunk(); break;
    default: break;
    }
}

// Content of another format the part imports here, converted when the part was read.
void TextWalker::altChunk()
{
    if (!m_ctx.chunks)
        return;
    const auto it = m_ctx.chunks->find(m_x.attr(Ns::R, "id").value_or(std::string_view()));
    if (it == m_ctx.chunks->end() || it->second.text.isEmpty())
        return;
    m_w.append(it->second);
    if (it->second.text.back() == QChar(cp::ParagraphMark))
        m_lastParaMark = m_w.pos() - 1;
}

void TextWalker::commentRange(std::vector<CommentEvent>& into)
{
    into.push_back({idOf(m_x.w("id")), m_w.pos()});
}

SectionInfo TextWalker::section()
{
    SectionInfo s;
    const int at = m_x.depth();
    while (m_x.child(at)) {
        const Tok t = m_x.tok();
        if (t == Tok::TitlePg)
            s.titlePage = onOff(m_x.attr(Ns::W, "val"));
        if (t == Tok::PgSz || t == Tok::PgMar)
            readPageLook(m_x, s.page);
        if (t == Tok::DocGrid)
            s.page.linePitch = linePitchOf(m_x);
        if (t == Tok::SectType)
            s.page.start = sectionStartOf(m_x.w("val"));
        if (t == Tok::PgNumType)
            if (const auto n = numberOf(m_x.attr(Ns::W, "start")); n && *n >= 0)
                s.page.numberStart = *n;
        if (t == Tok::FootnotePr || t == Tok::EndnotePr)
            s.notePr[t == Tok::EndnotePr] = readNotePr(m_x);
        if (t != Tok::HeaderReference && t != Tok::FooterReference)
            continue;
        const std::string_view type = m_x.w("type");
        const int kind = type == "first" ? 1 : type == "even" ? 2 : 0;
        const int slot = (t == Tok::HeaderReference ? SectionInfo::HeaderDefault : SectionInfo::FooterDefault) + kind;
        s.refs[slot] = m_x.attr(Ns::R, "id").value_or(std::string_view());
    }
    return s;
}

void TextWalker::paragraph()
{
    Depth d(*this);
    RunProps markProps;
    int markStyle = Styles::kNone;
    bool markDeleted = false;
    std::optional<SectionInfo> sectPr;
    const int32_t start = m_w.pos();
    ParaLookProps paraLook;
    RunLookProps markLook;
    m_paraStyle = m_styles.paragraphStyle({});
    const int at = m_x.depth();
    // Where the paragraph is in the part, for the sources that let it be typed into, split and joined.
    const int32_t joinMark = std::exchange(m_joinMark, -1);
    const std::size_t sourcesAt = m_out.story.sources.size();
    const uint32_t tagAt = keepsSources() ? m_x.elementOffset() : 0;
    uint32_t markRPrAt = kNoRunProps;
    const int outerDepth = std::exchange(m_paraDepth, at);
    const uint32_t outerPPr = std::exchange(m_pPrAt, kNoRunProps);
    const bool outerSplittable = std::exchange(m_paraSplittable, keepsSources() && m_deleted == 0);
    // w:pPr comes first: the paragraph's style applies to the runs after it.
    for (bool first = true; m_x.child(at); first = false) {
        if (!first || m_x.tok() != Tok::PPr) {
            inlineItem();
            continue;
        }
        const int props = m_x.depth();
        m_pPrAt = m_x.elementOffset();
        while (m_x.child(props)) {
            const Tok t = m_x.tok();
            if (t == Tok::PStyle)
                m_paraStyle = m_styles.paragraphStyle(m_x.w("val"));
            else if (t == Tok::SectPr) {
                sectPr = section();
                m_paraSplittable = false;   // the section break would go with one of the halves
            } else if (t == Tok::RPr) {
                markRPrAt = m_x.elementOffset();
                markProps = m_styles.readRunProps(m_x, &markStyle, &markDeleted, m_look ? &markLook : nullptr);
            }
            else if (m_look)
                readParaLook(m_x, paraLook);
        }
    }
    const ResolvedRun rr = m_styles.resolve(m_tableStyle, m_paraStyle, markStyle, markProps);
    if (m_look) {
        m_look->set(m_w.pos(), m_styles.resolveLook(m_tableStyle, m_paraStyle, markStyle, markLook));
        ParaLook para = m_styles.resolvePara(m_paraStyle, paraLook);
        para.start = start;
        if (para.numId && m_counter)
            para.label = m_counter->next(para.numId, para.level);
        // Between two paragraphs of one style, either one's contextual spacing drops its own.
        if (!m_look->paras.empty() && m_lastParaLookStyle == m_paraStyle) {
            if (m_look->paras.back().contextualSpacing)
                m_look->paras.back().after = 0;
            if (para.contextualSpacing)
                para.before = 0;
        }
        m_lastParaLookStyle = m_paraStyle;
        m_look->paras.push_back(std::move(para));
    }
    const CharFormat markFormat = format(rr, markDeleted);
    const bool empty = m_w.pos() == start;
    m_w.put(sectPr ? cp::PageBreak : cp::ParagraphMark, markFormat);
    m_lastParaMark = m_w.pos() - 1;
    if (keepsSources() && m_deleted == 0 && m_fields.empty() && !markDeleted) {
        auto& sources = m_out.story.sources;
        if (empty)
            sources.push_back({m_lastParaMark, 0, tagAt, markRPrAt, markFormat, markFormat, false, SourceKind::NewRun,
                               m_paraSplittable, m_pPrAt});
        // Joined text would take the first paragraph's style: only the same style keeps its formatting.
        if (joinMark >= 0 && !sectPr && m_paraStyle == m_joinStyle)
            sources.insert(sources.begin() + static_cast<std::ptrdiff_t>(sourcesAt),
                           {joinMark, 1, tagAt, kNoRunProps, m_joinFormat, m_joinFormat, false, SourceKind::Join});
        if (!sectPr) {
            m_joinMark = m_lastParaMark;
            m_joinFormat = markFormat;
            m_joinStyle = m_paraStyle;
        }
    }
    m_paraDepth = outerDepth;
    m_pPrAt = outerPPr;
    m_paraSplittable = outerSplittable;
    if (sectPr) {
        sectPr->endPos = m_w.pos() - 1;
        sectionEnded(sectPr->page);
        m_out.sections.push_back(std::move(*sectPr));
    }
}

// The paragraphs since the last section's end are on this section's line grid.
void TextWalker::sectionEnded(const PageLook& page)
{
    if (!m_look)
        return;
    auto& paras = m_look->paras;
    for (std::size_t i = std::exchange(m_sectionParas, paras.size()); i < paras.size(); ++i)
        if (paras[i].snapToGrid)
            paras[i].gridPitch = page.linePitch;
}

void TextWalker::table()
{
    const int saved = m_tableStyle;
    const int savedTable = m_table, savedRow = m_row, savedColumn = m_column;
    m_tableStyle = m_styles.tableStyle({});
    if (m_look) {
        m_tables.push_back(m_look->tables.size());
        m_look->tables.emplace_back().start = m_w.pos();
    }
    m_table = ++m_tableCount;
    m_row = 0;
    rows();
    if (m_look) {
        finishTableLook(m_tables.back());
        m_tables.pop_back();
    }
    m_tableStyle = saved;
    m_table = savedTable;
    m_row = savedRow;
    m_column = savedColumn;
}

void TextWalker::rows()
{
    Depth d(*this);
    const int at = m_x.depth();
    while (m_x.child(at)) {
        switch (m_x.tok()) {
        case Tok::TblPr: {
            const int props = m_x.depth();
            // The table's own borders and margins, else its style's.
            bool borders = false, margins = false;
            while (m_x.child(props))
                if (m_x.tok() == Tok::TblStyle)
                    m_tableStyle = m_styles.tableStyle(m_x.w("val"));
                else if (m_x.tok() == Tok::TblBorders && m_look) {
                    tableLook();
                    borders = true;
                } else if (m_x.tok() == Tok::TblCellMar && m_look) {
                    m_look->tables[m_tables.back()].margins = readCellMargins(m_x, m_styles.cellMargins(m_tableStyle));
                    margins = true;
                } else if (m_x.tok() == Tok::BidiVisual && m_look)
                    m_look->tables[m_tables.back()].rightToLeft = onOff(m_x.attr(Ns::W, "val"));
                else if (m_x.tok() == Tok::Jc && m_look)
                    m_look->tables[m_tables.back()].align = alignOf(m_x.w("val"));
                else if (m_x.tok() == Tok::TblInd && m_look && (m_x.w("type") == "dxa" || m_x.w("type").empty()))
                    m_look->tables[m_tables.back()].indent = numberOf(m_x.attr(Ns::W, "w")).value_or(0);
            if (m_look && !borders)
                m_look->tables[m_tables.back()].borders = m_styles.tableBorders(m_tableStyle);
            if (m_look && !margins)
                m_look->tables[m_tables.back()].margins = m_styles.cellMargins(m_tableStyle);
            break;
        }
        case Tok::TblGrid:
            if (m_look) {
                const int grid = m_x.depth();
                while (m_x.child(grid))
                    if (m_x.tok() == Tok::GridCol)
                        m_look->tables[m_tables.back()].grid.push_back(numberOf(m_x.attr(Ns::W, "w")).value_or(0));
            }
            break;
        case Tok::Tr:
            if (m_look)
                m_look->tables[m_tables.back()].rows.emplace_back();
            ++m_row;
            m_column = 0;
            cells();
            m_w.put(cp::CellMark, format(paragraphDefault(), false));   // end of row
            m_w.markRowEnd();
            break;
        case Tok::Sdt: sdtContent(m_x, [this] { rows(); }); break;
        case Tok::CustomXml: rows(); break;
        case Tok::AlternateContent: m_x.chooseBranch([this] { rows(); }); break;
        default: break;
        }
    }
}

void TextWalker::cells()
{
    Depth d(*this);
    const int at = m_x.depth();
    while (m_x.child(at)) {
        switch (m_x.tok()) {
        case Tok::Tc: cell(); break;
        case Tok::TrPr:
            if (m_look)
                rowLook();
            break;
        case Tok::Sdt: sdtContent(m_x, [this] { cells(); }); break;
        case Tok::CustomXml: cells(); break;
        default: break;
        }
    }
}

void TextWalker::cell()
{
    const int32_t start = m_w.pos();
    std::size_t column = 0;
    if (m_look) {
        std::vector<CellLook>& row = m_look->tables[m_tables.back()].rows.back();
        const int at = row.empty() ? 0 : row.back().column + row.back().span;
        column = row.size();
        CellLook& c = row.emplace_back();
        c.start = c.end = start;
        c.column = at;
    }
    // Taken before the content, so that cells stay in order of their start.
    std::vector<TableCell>& cells = m_out.story.cells;
    const int self = static_cast<int>(cells.size());
    cells.push_back({start, start, m_table, m_row, ++m_column, m_cell});
    const int savedCell = m_cell;
    m_cell = self;
    m_lastParaMark = -1;
    walkBlocks();
    m_cell = savedCell;
    // The cell's last paragraph mark is its end-of-cell mark; a cell ending otherwise gets one.
    if (m_lastParaMark >= start && m_lastParaMark == m_w.pos() - 1)
        m_w.replaceLast(cp::CellMark);
    else
        m_w.put(cp::CellMark, format(paragraphDefault(), false));
    cells[self].end = m_w.pos() - 1;
    m_lastParaMark = -1;
    if (m_look)
        m_look->tables[m_tables.back()].rows.back()[column].end = m_w.pos() - 1;
}

// The w:trPr the reader stands on: a row repeated on each page counts when all rows before it are.
void TextWalker::rowLook()
{
    TableLook& table = m_look->tables[m_tables.back()];
    const int at = m_x.depth();
    while (m_x.child(at)) {
        if (m_x.tok() == Tok::TblHeader && onOff(m_x.attr(Ns::W, "val"))
            && table.headerRows + 1 == static_cast<int>(table.rows.size()))
            ++table.headerRows;
        if (m_x.tok() == Tok::CantSplit && onOff(m_x.attr(Ns::W, "val"))) {
            table.keptWhole.resize(table.rows.size());
            table.keptWhole.back() = true;
        }
        // An exact height is taken as a least one: text is not cut off here.
        if (m_x.tok() == Tok::TrHeight && m_x.w("hRule") != "auto")
            if (const auto h = numberOf(m_x.attr(Ns::W, "val")); h && *h > 0) {
                table.rowHeights.resize(table.rows.size());
                table.rowHeights.back() = *h;
            }
    }
}

// The w:tcPr the reader stands on, for the cell being walked.
void TextWalker::cellLook()
{
    if (m_tables.empty() || m_look->tables[m_tables.back()].rows.empty()
        || m_look->tables[m_tables.back()].rows.back().empty())
        return;
    CellLook& cell = m_look->tables[m_tables.back()].rows.back().back();
    const int at = m_x.depth();
    while (m_x.child(at)) {
        switch (m_x.tok()) {
        case Tok::GridSpan: cell.span = std::max(1, numberOf(m_x.attr(Ns::W, "val")).value_or(1)); break;
        case Tok::VMerge: cell.merged = m_x.w("val") != "restart"; break;
        case Tok::Shd: cell.shading = shadingOf(m_x); break;
        case Tok::VAlign: {
            const std::string_view v = m_x.w("val");
            cell.vAlign = v == "center" ? CellAlign::Center : v == "bottom" ? CellAlign::Bottom : CellAlign::Top;
            break;
        }
        default: break;
        }
    }
}

// The w:tblBorders the reader stands on: a table has borders when one of them is drawn.
void TextWalker::tableLook()
{
    bool drawn = false;
    const int at = m_x.depth();
    while (m_x.child(at)) {
        const std::string_view v = m_x.w("val");
        drawn = drawn || (v != "none" && v != "nil" && !v.empty());
    }
    m_look->tables[m_tables.back()].borders = drawn;
}

void TextWalker::finishTableLook(std::size_t index)
{
    TableLook& t = m_look->tables[index];
    t.end = m_w.pos() - 1;
    // A merge restart spans down while the cells below at its column continue it.
    for (std::size_t r = 0; r < t.rows.size(); ++r)
        for (CellLook& c : t.rows[r]) {
            if (c.merged)
                continue;
            for (std::size_t below = r + 1; below < t.rows.size(); ++below) {
                const auto& row = t.rows[below];
                const auto same = std::find_if(row.begin(), row.end(), [&c](const CellLook& o) { return o.column == c.column; });
                if (same == row.end() || !same->merged)
                    break;
                ++c.rowSpan;
            }
        }
}

void TextWalker::inlines()
{
    Depth d(*this);
    const int at = m_x.depth();
    while (m_x.child(at))
        inlineItem();
}

void TextWalker::inlineItem()
{
    switch (m_x.tok()) {
    case Tok::R: run(); break;
    case Tok::Hyperlink: hyperlink(); break;
    case Tok::FldSimple: simpleField(); break;
    case Tok::SmartTag:
    case Tok::CustomXml:
    case Tok::Ins:
    case Tok::MoveTo: inlines(); break;
    case Tok::Del:
    case Tok::MoveFrom:
        ++m_deleted;
        inlines();
        --m_deleted;
        break;
    case Tok::Sdt: sdtContent(m_x, [this] { inlines(); }); break;
    case Tok::AlternateContent: m_x.chooseBranch([this] { inlines(); }); break;
    case Tok::CommentRangeStart: commentRange(m_out.commentStarts); break;
    case Tok::CommentRangeEnd: commentRange(m_out.commentEnds); break;
    default:
        if (m_x.ns() == Ns::M)
            math(paragraphDefault());
        break;
    }
}

void TextWalker::run()
{
    RunProps direct;
    int charStyle = Styles::kNone;
    std::optional<ResolvedRun> rr;
    const uint32_t outerRPr = std::exchange(m_rPrAt, kNoRunProps);
    RunLookProps look;
    const int at = m_x.depth();
    while (m_x.child(at)) {
        // w:rPr comes first; it applies to the content after it.
        if (m_x.tok() == Tok::RPr) {
            m_rPrAt = m_x.elementOffset();
            direct = m_styles.readRunProps(m_x, &charStyle, nullptr, m_look ? &look : nullptr);
            rr.reset();
            continue;
        }
        if (!rr) {
            rr = m_styles.resolve(m_tableStyle, m_paraStyle, charStyle, direct);
            if (m_look)
                m_look->set(m_w.pos(), m_styles.resolveLook(m_tableStyle, m_paraStyle, charStyle, look));
        }
        runItem(*rr);
    }
    m_rPrAt = outerRPr;
}

void TextWalker::text(const CharFormat& f)
{
    const int32_t start = m_w.pos();
    m_x.text([&](std::string_view piece) { m_w.putUtf8(piece, f); });
    customMarkFrom(start);
}

void TextWalker::customMarkFrom(int32_t start)
{
    if (m_pendingMark >= 0) {
        m_out.noteRefs[m_pendingMark].customMark = m_out.story.text.mid(start, m_w.pos() - start);
        m_pendingMark = -1;
    }
}

bool TextWalker::keepsSources() const
{
    return m_ctx.sources && !m_x.converted();
}

void TextWalker::sourcedText(const CharFormat& f)
{
    const int32_t start = m_w.pos();
    const uint32_t tagAt = m_x.elementOffset();
    const int depth = m_x.depth();
    int pieces = 0;
    m_x.text([&](std::string_view piece) {
        m_w.putUtf8(piece, f);
        ++pieces;
    });
    // Text split by a comment or CDATA inside the element is not one stretch of bytes: left unsourced.
    // The paragraph can be split inside it when its run lies directly in the paragraph (not in a
    // hyperlink, content control or tracked change) outside any field.
    if (pieces == 1)
        m_out.story.sources.push_back({start, m_w.pos() - start, tagAt, m_rPrAt, f, f, false, SourceKind::Text,
                                       m_paraSplittable && m_fields.empty() && depth == m_paraDepth + 2, m_pPrAt});
    customMarkFrom(start);
}

void TextWalker::element(char16_t c, const CharFormat& f)
{
    m_w.put(c, f);
    // Its element can go with it, unless it is a tracked deletion's or a field code's.
    if (keepsSources() && (f.cls == CpClass::Shown || f.cls == CpClass::Hidden))
        m_out.story.sources.push_back({m_w.pos() - 1, 1, m_x.elementOffset(), m_rPrAt, f, f, false, SourceKind::Element});
}

void TextWalker::runItem(const ResolvedRun& rr)
{
    switch (m_x.tok()) {
    case Tok::T:
        if (keepsSources())
            sourcedText(format(rr, false));
        else
            text(format(rr, false));
        break;
    case Tok::DelText:
    case Tok::DelInstrText: text(format(rr, true)); break;
    case Tok::InstrText: {
        CharFormat f = format(rr, false);
        if (f.cls != CpClass::Deleted)
            f.cls = CpClass::Field;
        text(f);
        break;
    }
    case Tok::Tab:
    case Tok::PTab: element(cp::Tab, format(rr, false)); break;
    case Tok::Br: {
        const std::string_view type = m_x.w("type");
        element(type == "page" ? cp::PageBreak : type == "column" ? cp::ColumnBreak : cp::LineBreak, format(rr, false));
        break;
    }
    case Tok::Cr: element(cp::LineBreak, format(rr, false)); break;
    case Tok::NoBreakHyphen: element(cp::NonBreakingHyphen, format(rr, false)); break;
    case Tok::SoftHyphen: element(cp::OptionalHyphen, format(rr, false)); break;
    case Tok::Sym:
        element(symbolChar(m_x.w("char")), format(rr, false));
        m_w.markSymbol();
        break;
    case Tok::FootnoteReference:
    case Tok::EndnoteReference: {
        const int type = m_x.tok() == Tok::FootnoteReference ? wdFootnotesStory : wdEndnotesStory;
        const auto custom = m_x.attr(Ns::W, "customMarkFollows");
        // With a custom mark, the mark text that follows stands for the reference.
        const bool customMark = custom && onOff(custom);
        if (!customMark)
            m_w.put(cp::NoteMark, format(rr, false));
        m_out.noteRefs.push_back({type, idOf(m_x.w("id")), customMark ? m_w.pos() : m_w.pos() - 1, {}});
        m_pendingMark = customMark ? static_cast<int>(m_out.noteRefs.size()) - 1 : -1;
        break;
    }
    case Tok::FootnoteRef:
    case Tok::EndnoteRef: m_w.put(cp::NoteMark, format(rr, false)); break;
    case Tok::CommentReference:
        m_w.put(cp::CommentMark, format(rr, false));
        m_out.commentMarks.push_back({idOf(m_x.w("id")), m_w.pos() - 1});
        break;
    case Tok::AnnotationRef: m_w.put(cp::CommentMark, format(rr, false)); break;
    case Tok::Separator: m_w.put(cp::Separator, format(rr, false)); break;
    case Tok::ContinuationSeparator: m_w.put(cp::ContinuationSeparator, format(rr, false)); break;
    case Tok::FldChar: {
        const std::string_view type = m_x.w("fldCharType");
        if (type == "begin")
            fieldBegin(rr);
        else if (type == "separate")
            fieldSeparate(rr);
        else if (type == "end")
            fieldEnd(rr);
        break;
    }
    case Tok::Drawing: drawing(rr, false); break;
    case Tok::Pict: drawing(rr, true); break;
    case Tok::Object: object(rr); break;
    case Tok::Ruby: ruby(rr); break;
    case Tok::PgNum:
    case Tok::DateBlock:
        fieldBegin(rr);
        fieldCode(m_x.tok() == Tok::PgNum ? kPageCode : kDateCode, rr);
        fieldSeparate(rr);
        fieldEnd(rr);
        break;
    case Tok::AlternateContent:
        m_x.chooseBranch([&] {
            Depth d(*this);
            const int at = m_x.depth();
            while (m_x.child(at))
                runItem(rr);
        });
        break;
    default: break;
    }
}

void TextWalker::math(ResolvedRun rr)
{
    Depth d(*this);
    const int at = m_x.depth();
    while (m_x.child(at)) {
        const Tok t = m_x.tok();
        if (t == Tok::RPr) {
            int charStyle = Styles::kNone;
            const RunProps direct = m_styles.readRunProps(m_x, &charStyle, nullptr);
            rr = m_styles.resolve(m_tableStyle, m_paraStyle, charStyle, direct);
        } else if (t == Tok::MathText)
            text(format(rr, false));
        else if (t == Tok::R)
            run();
        else if (m_x.ns() == Ns::M)
            math(rr);
    }
}

// Walks the text boxes in the element the reader stands on, each into a story of its own anchored
// at anchor, reading to the element's end; whether there was one.
bool TextWalker::textBox(int32_t anchor)
{
    Depth d(*this);
    if (m_look && pictureFact())
        return false;
    switch (m_x.tok()) {
    case Tok::TxbxContent: {
        // Boxes inside it are met when it is walked.
        m_picture.textBox = true;
        m_out.boxAnchors.push_back(anchor);
        m_out.boxes.emplace_back();
        TextWalker inner(m_ctx, m_out.boxes.back(), m_depth);
        inner.walkBlocks();
        return true;
    }
    case Tok::AlternateContent: {
        bool found = false;
        m_x.chooseBranch([&] { found = textBoxesIn(anchor); });
        return found;
    }
    default: return textBoxesIn(anchor);
    }
}

bool TextWalker::textBoxesIn(int32_t anchor)
{
    bool found = false;
    const int at = m_x.depth();
    while (m_x.child(at))
        found = textBox(anchor) || found;
    return found;
}

void TextWalker::drawing(const ResolvedRun& rr, bool vml)
{
    // The anchor's position is known before the boxes are walked: nothing goes into this story
    // until the drawing's own character.
    const int32_t anchor = m_w.pos();
    bool floating = false;
    m_picture = {};
    m_axis = nullptr;
    m_shape.reset();
    const int at = m_x.depth();
    while (m_x.child(at)) {
        floating = floating
                   || (vml ? m_x.attr("style").value_or(std::string_view()).find("position:absolute") != std::string_view::npos
                           : m_x.tok() == Tok::Anchor);
        floating = textBox(anchor) || floating;
    }
    m_w.put(floating ? cp::ShapeAnchor : cp::Graphic, format(rr, false));
    m_shape.finish(m_picture);
    if (m_look && (!m_picture.media.isEmpty() || (!floating && m_picture.width > 0) || (floating && m_picture.textBox)
                   || (floating && (m_picture.shape.geometry != Geometry::None || !m_picture.members.empty())))) {
        m_picture.pos = anchor;
        m_picture.anchored = floating;
        m_look->pictures.push_back(m_picture);
    }
}

namespace {

int32_t emuAttr(const XmlReader& x, std::string_view name)
{
    return static_cast<int32_t>(idOf(x.attr(name).value_or(std::string_view())) / kEmuPerTwip);
}

AnchorFrom anchorFrom(std::string_view v)
{
    static constexpr std::pair<std::string_view, AnchorFrom> kFrom[] = {
        {"page", AnchorFrom::Page}, {"margin", AnchorFrom::Margin}, {"column", AnchorFrom::Column},
        {"paragraph", AnchorFrom::Paragraph}, {"character", AnchorFrom::Character}, {"line", AnchorFrom::Line},
        {"leftMargin", AnchorFrom::LeftMargin}, {"insideMargin", AnchorFrom::LeftMargin},
        {"rightMargin", AnchorFrom::RightMargin}, {"outsideMargin", AnchorFrom::RightMargin},
        {"topMargin", AnchorFrom::TopMargin}, {"bottomMargin", AnchorFrom::BottomMargin},
        // VML's names
        {"text", AnchorFrom::Column}, {"char", AnchorFrom::Character},
        {"left-margin-area", AnchorFrom::LeftMargin}, {"right-margin-area", AnchorFrom::RightMargin},
        {"top-margin-area", AnchorFrom::TopMargin}, {"bottom-margin-area", AnchorFrom::BottomMargin},
    };
    for (const auto& [name, from] : kFrom)
        if (v == name)
            return from;
    return AnchorFrom::Column;
}

AnchorAlign anchorAlign(std::string_view v)
{
    if (v == "center")
        return AnchorAlign::Center;
    if (v == "right" || v == "bottom" || v == "outside")
        return AnchorAlign::End;
    return v == "left" || v == "top" || v == "inside" ? AnchorAlign::Start : AnchorAlign::None;
}

Wrap wrapOf(std::string_view v)
{
    if (v == "square")
        return Wrap::Square;
    if (v == "tight" || v == "through")
        return Wrap::Tight;
    return v == "topAndBottom" ? Wrap::TopAndBottom : Wrap::InFront;
}


} // namespace

// What a drawing's element the reader stands on tells of the picture: its size, its text, its
// image part, where it is anchored and how text wraps it. Whether it read the element to its end.
bool TextWalker::pictureFact()
{
    switch (m_x.tok()) {
    case Tok::Extent:
        m_picture.width = emuAttr(m_x, "cx");
        m_picture.height = emuAttr(m_x, "cy");
        break;
    case Tok::Anchor:
        m_picture.distTop = emuAttr(m_x, "distT");
        m_picture.distBottom = emuAttr(m_x, "distB");
        if (onOff(m_x.attr("behindDoc").value_or("0")))
            m_picture.wrap = Wrap::Behind;
        break;
    case Tok::PositionH:
    case Tok::PositionV:
        m_axis = m_x.tok() == Tok::PositionH ? &m_picture.horizontal : &m_picture.vertical;
        m_axis->from = anchorFrom(m_x.attr("relativeFrom").value_or(std::string_view()));
        break;
    case Tok::PosOffset:
    case Tok::PosAlign: {
        std::string value;
        const bool offset = m_x.tok() == Tok::PosOffset;
        m_x.text([&](std::string_view piece) { value += piece; });
        if (m_axis && offset)
            m_axis->offset = static_cast<int32_t>(idOf(value) / kEmuPerTwip);
        else if (m_axis)
            m_axis->align = anchorAlign(value);
        return true;
    }
    case Tok::WrapSquare:
    case Tok::WrapTight:
    case Tok::WrapThrough: {
        m_picture.wrap = m_x.tok() == Tok::WrapSquare ? Wrap::Square : Wrap::Tight;
        const std::string_view side = m_x.attr("wrapText").value_or(std::string_view());
        m_picture.wrapSide = side == "left" ? WrapSide::Left : side == "right" ? WrapSide::Right
                             : side == "largest" ? WrapSide::Largest : WrapSide::Both;
        break;
    }
    case Tok::WrapTopAndBottom: m_picture.wrap = Wrap::TopAndBottom; break;
    case Tok::VmlWrap:
        if (m_picture.wrap != Wrap::Behind)
            m_picture.wrap = wrapOf(m_x.attr("type").value_or(std::string_view()));
        break;
    case Tok::DocPr: {
        const std::string_view text = m_x.attr("descr").value_or(m_x.attr("title").value_or(std::string_view()));
        m_picture.altText = QString::fromUtf8(text);
        break;
    }
    case Tok::Blip:
    case Tok::ImageData: {
        const auto id = m_x.tok() == Tok::Blip ? m_x.attr(Ns::R, "embed") : m_x.attr(Ns::R, "id");
        const Relationships::Rel* rel = id ? m_ctx.rels.byId(*id) : nullptr;
        if (rel && !rel->external && m_picture.media.isEmpty())
            m_picture.media = QString::fromStdString(rel->target);
        if (rel && !rel->external)
            m_shape.picture(QString::fromStdString(rel->target));
        break;
    }
    case Tok::Shape:
        if (!m_picture.width)
            vmlShapeFact(m_x.attr("style").value_or(std::string_view()));
        if (const auto alt = m_x.attr("alt"); alt && m_picture.altText.isEmpty())
            m_picture.altText = QString::fromUtf8(*alt);
        m_shape.element(m_x);
        break;
    default:
        if (m_axis && (m_x.localName() == "pctPosHOffset" || m_x.localName() == "pctPosVOffset")) {
            std::string value;
            m_x.text([&](std::string_view piece) { value += piece; });
            m_axis->percent = static_cast<int32_t>(idOf(value));
            return true;
        }
        m_shape.element(m_x);
        if (m_x.ns() == Ns::A && m_x.localName() == "spAutoFit")
            m_picture.fitsText = true;
        else if (m_x.ns() == Ns::V && m_x.localName() == "textbox")
            m_picture.fitsText = vmlStyle(m_x.attr("style").value_or(std::string_view()), "mso-fit-shape-to-text") == "t";
        break;
    }
    return false;
}

// VML gives a shape's size and place in its style:
// "position:absolute;margin-left:90pt;margin-top:7pt;width:4in;height:20pt;z-index:-5".
void TextWalker::vmlShapeFact(std::string_view style)
{
    m_picture.width = vmlTwips(vmlStyle(style, "width"));
    m_picture.height = vmlTwips(vmlStyle(style, "height"));
    m_picture.horizontal.offset = vmlTwips(vmlStyle(style, "margin-left")) + vmlTwips(vmlStyle(style, "left"));
    m_picture.vertical.offset = vmlTwips(vmlStyle(style, "margin-top")) + vmlTwips(vmlStyle(style, "top"));
    m_picture.horizontal.align = anchorAlign(vmlStyle(style, "mso-position-horizontal"));
    m_picture.vertical.align = anchorAlign(vmlStyle(style, "mso-position-vertical"));
    m_picture.horizontal.from = anchorFrom(vmlStyle(style, "mso-position-horizontal-relative"));
    const std::string_view vertical = vmlStyle(style, "mso-position-vertical-relative");
    m_picture.vertical.from = vertical.empty() || vertical == "text" ? AnchorFrom::Paragraph : anchorFrom(vertical);
    if (vmlStyle(style, "z-index").starts_with('-'))
        m_picture.wrap = Wrap::Behind;
    // A line is placed by its ends instead.
    if (const auto from = m_x.attr("from"), to = m_x.attr("to"); from && to) {
        const auto [x1, y1] = vmlPoint(*from);
        const auto [x2, y2] = vmlPoint(*to);
        m_picture.width = std::abs(x2 - x1);
        m_picture.height = std::abs(y2 - y1);
        m_picture.horizontal.offset += std::min(x1, x2);
        m_picture.vertical.offset += std::min(y1, y2);
    }
}

// An embedded object shows its preview picture (v:shape's v:imagedata, at the shape's size) as
// the one character of its EMBED field's result.
void TextWalker::object(const ResolvedRun& rr)
{
    std::string progId;
    m_picture = {};
    m_axis = nullptr;
    const int at = m_x.depth();
    while (m_x.child(at)) {
        if (m_x.tok() == Tok::OleObject)
            progId = m_x.attr("ProgID").value_or(std::string_view());
        else if (m_look)
            pictureFacts();
    }
    fieldBegin(rr);
    fieldCode(embedCode(progId), rr);
    fieldSeparate(rr);
    if (m_look && m_picture.width > 0 && m_picture.height > 0) {
        m_picture.pos = m_w.pos();
        if (m_picture.altText.isEmpty())
            m_picture.altText = QString::fromStdString(progId);
        m_look->pictures.push_back(m_picture);
    }
    m_w.put(cp::Graphic, format(rr, false));
    fieldEnd(rr);
}

void TextWalker::pictureFacts()
{
    Depth d(*this);
    if (pictureFact())
        return;
    const int at = m_x.depth();
    while (m_x.child(at))
        pictureFacts();
}

void TextWalker::ruby(const ResolvedRun& rr)
{
    fieldBegin(rr);
    fieldCode(kRubyCode, rr);
    RubyLook look;
    bool separated = false;
    const int at = m_x.depth();
    while (m_x.child(at)) {
        if (m_x.tok() == Tok::RubyPr && m_look)
            readRubyPr(m_x, look);
        else if (m_x.tok() == Tok::Rt && !separated) {
            const int32_t from = m_w.pos();
            inlines();
            // What the ruby text shows: fields and marks within it are not drawn.
            for (const QChar c : m_out.story.text.mid(from, m_w.pos() - from))
                if (c.unicode() >= 32)
                    look.text += c;
        } else if (m_x.tok() == Tok::RubyBase && !separated) {
            look.separator = m_w.pos();
            fieldSeparate(rr);
            separated = true;
            inlines();
        }
    }
    if (!separated)
        fieldSeparate(rr);
    look.end = m_w.pos();
    fieldEnd(rr);
    if (m_look && separated && look.end > look.separator + 1 && !look.text.isEmpty())
        m_look->rubies.push_back(std::move(look));
}

void TextWalker::hyperlink()
{
    const Relationships::Rel* rel = m_ctx.rels.byId(m_x.attr(Ns::R, "id").value_or(std::string_view()));
    const ResolvedRun rr = paragraphDefault();
    fieldBegin(rr);
    fieldCode(hyperlinkCode(rel ? std::string_view(rel->target) : std::string_view(), m_x.w("anchor")), rr);
    fieldSeparate(rr);
    inlines();
    fieldEnd(rr);
}

void TextWalker::simpleField()
{
    const ResolvedRun rr = paragraphDefault();
    fieldBegin(rr);
    fieldCode(QString::fromUtf8(m_x.w("instr")), rr);
    fieldSeparate(rr);
    inlines();
    fieldEnd(rr);
}

void TextWalker::fieldBegin(const ResolvedRun& rr)
{
    m_w.put(cp::FieldBegin, fieldFormat(rr));
    m_fields.push_back(true);
    ++m_codeDepth;
}

void TextWalker::fieldCode(QStringView code, const ResolvedRun& rr)
{
    m_w.putText(code, fieldFormat(rr));
}

void TextWalker::fieldSeparate(const ResolvedRun& rr)
{
    m_w.put(cp::FieldSeparator, fieldFormat(rr));
    if (!m_fields.empty() && m_fields.back()) {
        m_fields.back() = false;
        --m_codeDepth;
    }
}

void TextWalker::fieldEnd(const ResolvedRun& rr)
{
    m_w.put(cp::FieldEnd, fieldFormat(rr));
    if (!m_fields.empty()) {
        if (m_fields.back())
            --m_codeDepth;
        m_fields.pop_back();
    }
}

} // namespace docx
