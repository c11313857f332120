#include "platform/docx/TextWalker.h"

#include "platform/docx/LoadError.h"
#include "platform/docx/Relationships.h"
#include "platform/docx/Xml.h"

#include <cstdlib>
#include <cstring>

namespace docx {

namespace {

constexpr int kMaxDepth = 256;

// Field codes for constructs Word keeps as fields while OOXML writes them as elements (our
// choice of code text; Word's exact strings are not documented).
QString hyperlinkCode(const char* target, const char* anchor)
{
    QString code = QStringLiteral(" HYPERLINK");
    if (*target)
        code += QStringLiteral(" \"%1\"").arg(QString::fromUtf8(target));
    if (*anchor)
        code += QStringLiteral(" \\l \"%1\"").arg(QString::fromUtf8(anchor));
    return code + u' ';
}
QString embedCode(const char* progId) { return QStringLiteral(" EMBED %1 ").arg(QString::fromUtf8(progId)); }
const QString kRubyCode = QStringLiteral(" EQ ");   // the ruby text follows as code, the base is the result
const QString kPageCode = QStringLiteral(" PAGE ");
const QString kDateCode = QStringLiteral(" DATE ");

// w:sym: Find sees the symbol font's character in the private use area.
char16_t symbolChar(const char* hex)
{
    const unsigned long code = std::strtoul(hex, nullptr, 16);
    return static_cast<char16_t>(code >= 0xF000 && code <= 0xF0FF ? code : 0xF000 + (code & 0xFF));
}

bool onOff(pugi::xml_attribute a)
{
    if (!a)
        return true;
    const char* s = a.value();
    return !(std::strcmp(s, "false") == 0 || std::strcmp(s, "0") == 0 || std::strcmp(s, "off") == 0);
}

} // namespace

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
    : m_ctx(ctx), m_v(ctx.vocabulary), m_styles(ctx.styles), m_out(out), m_w(out.story), m_depth(depth)
{
    m_paraStyle = m_styles.paragraphStyle({});
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

void TextWalker::walkBlocks(pugi::xml_node container)
{
    Depth d(*this);
    for (pugi::xml_node c = container.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element)
            block(c);
}

void TextWalker::block(pugi::xml_node n)
{
    switch (m_v.tok(n)) {
    case Tok::P: paragraph(n); break;
    case Tok::Tbl: table(n); break;
    case Tok::Sdt: walkBlocks(n.child(m_v.w("sdtContent"))); break;
    case Tok::CustomXml:
    case Tok::Ins:
    case Tok::MoveTo: walkBlocks(n); break;
    case Tok::Del:
    case Tok::MoveFrom:
        ++m_deleted;
        walkBlocks(n);
        --m_deleted;
        break;
    case Tok::AlternateContent: walkBlocks(m_v.chooseBranch(n)); break;
    case Tok::SectPr: sectionEnd(n); break;   // the body's last section
    case Tok::CommentRangeStart: m_out.commentStarts.push_back({std::atol(m_v.wAttr(n, "id").value()), m_w.pos()}); break;
    case Tok::CommentRangeEnd: m_out.commentEnds.push_back({std::atol(m_v.wAttr(n, "id").value()), m_w.pos()}); break;
    default: break;
    }
}

void TextWalker::sectionEnd(pugi::xml_node sectPr)
{
    SectionInfo s;
    for (pugi::xml_node c = sectPr.first_child(); c; c = c.next_sibling()) {
        const Tok t = m_v.tok(c);
        if (t == Tok::TitlePg)
            s.titlePage = onOff(m_v.wAttr(c, "val"));
        if (t != Tok::HeaderReference && t != Tok::FooterReference)
            continue;
        const std::string_view type = m_v.wAttr(c, "type").value();
        const int kind = type == "first" ? 1 : type == "even" ? 2 : 0;
        const int slot = (t == Tok::HeaderReference ? SectionInfo::HeaderDefault : SectionInfo::FooterDefault) + kind;
        s.refs[slot] = c.attribute(m_v.r("id")).value();
    }
    s.endPos = m_w.pos() - 1;
    m_out.sections.push_back(std::move(s));
}

void TextWalker::paragraph(pugi::xml_node p)
{
    RunProps markProps;
    std::string_view markStyle, pStyle;
    bool markDeleted = false;
    pugi::xml_node sectPr;
    pugi::xml_node pPr = p.first_child();
    if (m_v.tok(pPr) == Tok::PPr) {
        for (pugi::xml_node c = pPr.first_child(); c; c = c.next_sibling()) {
            const Tok t = m_v.tok(c);
            if (t == Tok::PStyle)
                pStyle = m_v.wAttr(c, "val").value();
            else if (t == Tok::SectPr)
                sectPr = c;
            else if (t == Tok::RPr) {
                markProps = m_styles.readRunProps(c, m_v, &markStyle);
                for (pugi::xml_node r = c.first_child(); r; r = r.next_sibling())
                    if (m_v.tok(r) == Tok::Del || m_v.tok(r) == Tok::MoveFrom)
                        markDeleted = true;
            }
        }
    }
    m_paraStyle = m_styles.paragraphStyle(pStyle);
    inlines(p);
    const ResolvedRun rr = m_styles.resolve(m_tableStyle, m_paraStyle, m_styles.characterStyle(markStyle), markProps);
    m_w.put(sectPr ? cp::PageBreak : cp::ParagraphMark, format(rr, markDeleted));
    m_lastParaMark = m_w.pos() - 1;
    if (sectPr)
        sectionEnd(sectPr);
}

void TextWalker::table(pugi::xml_node tbl)
{
    const int saved = m_tableStyle;
    std::string_view style;
    if (pugi::xml_node tblPr = tbl.child(m_v.w("tblPr")))
        style = tblPr.child(m_v.w("tblStyle")).attribute(m_v.w("val")).value();
    m_tableStyle = m_styles.tableStyle(style);
    rows(tbl);
    m_tableStyle = saved;
}

void TextWalker::rows(pugi::xml_node container)
{
    Depth d(*this);
    for (pugi::xml_node c = container.first_child(); c; c = c.next_sibling()) {
        switch (m_v.tok(c)) {
        case Tok::Tr:
            cells(c);
            m_w.put(cp::CellMark, format(paragraphDefault(), false));   // end of row
            m_w.markRowEnd();
            break;
        case Tok::Sdt: rows(c.child(m_v.w("sdtContent"))); break;
        case Tok::CustomXml: rows(c); break;
        case Tok::AlternateContent: rows(m_v.chooseBranch(c)); break;
        default: break;
        }
    }
}

void TextWalker::cells(pugi::xml_node container)
{
    Depth d(*this);
    for (pugi::xml_node c = container.first_child(); c; c = c.next_sibling()) {
        switch (m_v.tok(c)) {
        case Tok::Tc: cell(c); break;
        case Tok::Sdt: cells(c.child(m_v.w("sdtContent"))); break;
        case Tok::CustomXml: cells(c); break;
        default: break;
        }
    }
}

void TextWalker::cell(pugi::xml_node tc)
{
    const int32_t start = m_w.pos();
    m_lastParaMark = -1;
    walkBlocks(tc);
    // The cell's last paragraph mark is its end-of-cell mark; a cell ending otherwise gets one.
    if (m_lastParaMark >= start && m_lastParaMark == m_w.pos() - 1)
        m_w.replaceLast(cp::CellMark);
    else
        m_w.put(cp::CellMark, format(paragraphDefault(), false));
    m_lastParaMark = -1;
}

void TextWalker::inlines(pugi::xml_node container)
{
    Depth d(*this);
    for (pugi::xml_node c = container.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element)
            inlineItem(c);
}

void TextWalker::inlineItem(pugi::xml_node n)
{
    switch (m_v.tok(n)) {
    case Tok::R: run(n); break;
    case Tok::Hyperlink: hyperlink(n); break;
    case Tok::FldSimple: simpleField(n); break;
    case Tok::SmartTag:
    case Tok::CustomXml:
    case Tok::Ins:
    case Tok::MoveTo: inlines(n); break;
    case Tok::Del:
    case Tok::MoveFrom:
        ++m_deleted;
        inlines(n);
        --m_deleted;
        break;
    case Tok::Sdt: inlines(n.child(m_v.w("sdtContent"))); break;
    case Tok::AlternateContent: inlines(m_v.chooseBranch(n)); break;
    case Tok::CommentRangeStart: m_out.commentStarts.push_back({std::atol(m_v.wAttr(n, "id").value()), m_w.pos()}); break;
    case Tok::CommentRangeEnd: m_out.commentEnds.push_back({std::atol(m_v.wAttr(n, "id").value()), m_w.pos()}); break;
    default:
        if (m_v.ns(n) == Ns::M)
            math(n, paragraphDefault());
        break;
    }
}

void TextWalker::run(pugi::xml_node r)
{
    RunProps direct;
    std::string_view charStyle;
    pugi::xml_node content = r.first_child();   // w:rPr comes first; content starts after it
    for (pugi::xml_node c = r.first_child(); c; c = c.next_sibling())
        if (m_v.tok(c) == Tok::RPr) {
            direct = m_styles.readRunProps(c, m_v, &charStyle);
            if (c == content)
                content = c.next_sibling();
            break;
        }
    const ResolvedRun rr = m_styles.resolve(m_tableStyle, m_paraStyle, m_styles.characterStyle(charStyle), direct);
    for (pugi::xml_node c = content; c; c = c.next_sibling())
        if (c.type() == pugi::node_element)
            runItem(c, rr);
}

void TextWalker::text(pugi::xml_node t, const CharFormat& f)
{
    for (pugi::xml_node c = t.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata)
            m_w.putUtf8(c.value(), f);
}

void TextWalker::runItem(pugi::xml_node n, const ResolvedRun& rr)
{
    switch (m_v.tok(n)) {
    case Tok::T: text(n, format(rr, false)); break;
    case Tok::DelText:
    case Tok::DelInstrText: text(n, format(rr, true)); break;
    case Tok::InstrText: {
        CharFormat f = format(rr, false);
        if (f.cls != CpClass::Deleted)
            f.cls = CpClass::Field;
        text(n, f);
        break;
    }
    case Tok::Tab:
    case Tok::PTab: m_w.put(cp::Tab, format(rr, false)); break;
    case Tok::Br: {
        const std::string_view type = m_v.wAttr(n, "type").value();
        m_w.put(type == "page" ? cp::PageBreak : type == "column" ? cp::ColumnBreak : cp::LineBreak, format(rr, false));
        break;
    }
    case Tok::Cr: m_w.put(cp::LineBreak, format(rr, false)); break;
    case Tok::NoBreakHyphen: m_w.put(cp::NonBreakingHyphen, format(rr, false)); break;
    case Tok::SoftHyphen: m_w.put(cp::OptionalHyphen, format(rr, false)); break;
    case Tok::Sym:
        m_w.put(symbolChar(m_v.wAttr(n, "char").value()), format(rr, false));
        m_w.markSymbol();
        break;
    case Tok::FootnoteReference:
    case Tok::EndnoteReference: {
        const int type = m_v.tok(n) == Tok::FootnoteReference ? wdFootnotesStory : wdEndnotesStory;
        const pugi::xml_attribute custom = m_v.wAttr(n, "customMarkFollows");
        // With a custom mark, the mark text that follows stands for the reference.
        if (!(custom && onOff(custom)))
            m_w.put(cp::NoteMark, format(rr, false));
        m_out.noteRefs.push_back({type, std::atol(m_v.wAttr(n, "id").value()),
                                  custom && onOff(custom) ? m_w.pos() : m_w.pos() - 1});
        break;
    }
    case Tok::FootnoteRef:
    case Tok::EndnoteRef: m_w.put(cp::NoteMark, format(rr, false)); break;
    case Tok::CommentReference:
        m_w.put(cp::CommentMark, format(rr, false));
        m_out.commentMarks.push_back({std::atol(m_v.wAttr(n, "id").value()), m_w.pos() - 1});
        break;
    case Tok::AnnotationRef: m_w.put(cp::CommentMark, format(rr, false)); break;
    case Tok::Separator: m_w.put(cp::Separator, format(rr, false)); break;
    case Tok::ContinuationSeparator: m_w.put(cp::ContinuationSeparator, format(rr, false)); break;
    case Tok::FldChar: {
        const std::string_view type = m_v.wAttr(n, "fldCharType").value();
        if (type == "begin")
            fieldBegin(rr);
        else if (type == "separate")
            fieldSeparate(rr);
        else if (type == "end")
            fieldEnd(rr);
        break;
    }
    case Tok::Drawing: drawing(n, rr, false); break;
    case Tok::Pict: drawing(n, rr, true); break;
    case Tok::Object: object(n, rr); break;
    case Tok::Ruby: ruby(n, rr); break;
    case Tok::PgNum:
    case Tok::DateBlock:
        fieldBegin(rr);
        fieldCode(m_v.tok(n) == Tok::PgNum ? kPageCode : kDateCode, rr);
        fieldSeparate(rr);
        fieldEnd(rr);
        break;
    case Tok::AlternateContent: {
        Depth d(*this);
        const pugi::xml_node branch = m_v.chooseBranch(n);
        for (pugi::xml_node c = branch.first_child(); c; c = c.next_sibling())
            if (c.type() == pugi::node_element)
                runItem(c, rr);
        break;
    }
    default: break;
    }
}

void TextWalker::math(pugi::xml_node n, ResolvedRun rr)
{
    Depth d(*this);
    if (pugi::xml_node rPr = n.child(m_v.w("rPr"))) {
        std::string_view charStyle;
        const RunProps direct = m_styles.readRunProps(rPr, m_v, &charStyle);
        rr = m_styles.resolve(m_tableStyle, m_paraStyle, m_styles.characterStyle(charStyle), direct);
    }
    for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling()) {
        if (c.type() != pugi::node_element)
            continue;
        const Tok t = m_v.tok(c);
        if (t == Tok::MathText)
            text(c, format(rr, false));
        else if (t == Tok::R)
            run(c);
        else if (m_v.ns(c) == Ns::M)
            math(c, rr);
    }
}

void TextWalker::collectTextBoxes(pugi::xml_node n, std::vector<pugi::xml_node>& out, int depth) const
{
    if (depth > kMaxDepth)
        throw loadError(LoadFailure::TooDeep, m_ctx.path, QString::number(kMaxDepth));
    for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling()) {
        if (c.type() != pugi::node_element)
            continue;
        const Tok t = m_v.tok(c);
        if (t == Tok::TxbxContent)
            out.push_back(c);   // boxes inside it are met when it is walked
        else if (t == Tok::AlternateContent)
            collectTextBoxes(m_v.chooseBranch(c), out, depth + 1);
        else
            collectTextBoxes(c, out, depth + 1);
    }
}

void TextWalker::drawing(pugi::xml_node n, const ResolvedRun& rr, bool vml)
{
    std::vector<pugi::xml_node> boxes;
    collectTextBoxes(n, boxes, m_depth);
    bool floating = !boxes.empty();
    for (pugi::xml_node c = n.first_child(); c && !floating; c = c.next_sibling())
        floating = vml ? std::strstr(c.attribute("style").value(), "position:absolute") != nullptr
                       : m_v.tok(c) == Tok::Anchor;
    m_w.put(floating ? cp::ShapeAnchor : cp::Graphic, format(rr, false));
    for (pugi::xml_node box : boxes) {
        m_out.boxAnchors.push_back(m_w.pos() - 1);
        m_out.boxes.emplace_back();
        TextWalker inner(m_ctx, m_out.boxes.back(), m_depth);
        inner.walkBlocks(box);
    }
}

void TextWalker::object(pugi::xml_node n, const ResolvedRun& rr)
{
    const char* progId = "";
    for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling())
        if (m_v.tok(c) == Tok::OleObject)
            progId = c.attribute("ProgID").value();
    fieldBegin(rr);
    fieldCode(embedCode(progId), rr);
    fieldSeparate(rr);
    m_w.put(cp::Graphic, format(rr, false));
    fieldEnd(rr);
}

void TextWalker::ruby(pugi::xml_node n, const ResolvedRun& rr)
{
    fieldBegin(rr);
    fieldCode(kRubyCode, rr);
    if (pugi::xml_node rt = n.child(m_v.w("rt")))
        inlines(rt);
    fieldSeparate(rr);
    if (pugi::xml_node base = n.child(m_v.w("rubyBase")))
        inlines(base);
    fieldEnd(rr);
}

void TextWalker::hyperlink(pugi::xml_node n)
{
    const Relationships::Rel* rel = m_ctx.rels.byId(n.attribute(m_v.r("id")).value());
    const ResolvedRun rr = paragraphDefault();
    fieldBegin(rr);
    fieldCode(hyperlinkCode(rel ? rel->target.c_str() : "", m_v.wAttr(n, "anchor").value()), rr);
    fieldSeparate(rr);
    inlines(n);
    fieldEnd(rr);
}

void TextWalker::simpleField(pugi::xml_node n)
{
    const ResolvedRun rr = paragraphDefault();
    fieldBegin(rr);
    fieldCode(QString::fromUtf8(m_v.wAttr(n, "instr").value()), rr);
    fieldSeparate(rr);
    inlines(n);
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
