#include "platform/docx/Xml.h"

#include "platform/docx/LoadError.h"

#include <cstring>

namespace docx {

namespace {

struct NsUri { const char* uri; Ns ns; };
const NsUri kNamespaces[] = {
    {"http://schemas.openxmlformats.org/wordprocessingml/2006/main", Ns::W},
    {"http://purl.oclc.org/ooxml/wordprocessingml/main", Ns::W},
    {"http://schemas.openxmlformats.org/officeDocument/2006/relationships", Ns::R},
    {"http://purl.oclc.org/ooxml/officeDocument/relationships", Ns::R},
    {"http://schemas.openxmlformats.org/markup-compatibility/2006", Ns::MC},
    {"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing", Ns::WP},
    {"http://purl.oclc.org/ooxml/drawingml/wordprocessingDrawing", Ns::WP},
    {"http://schemas.microsoft.com/office/word/2010/wordprocessingShape", Ns::WPS},
    {"urn:schemas-microsoft-com:vml", Ns::V},
    {"urn:schemas-microsoft-com:office:office", Ns::O},
    {"http://schemas.openxmlformats.org/officeDocument/2006/math", Ns::M},
    {"http://purl.oclc.org/ooxml/officeDocument/math", Ns::M},
    {"http://schemas.openxmlformats.org/drawingml/2006/main", Ns::A},
    {"http://purl.oclc.org/ooxml/drawingml/main", Ns::A},
    // Further namespaces a Choice may require that the walk reads like the ones above.
    {"http://schemas.microsoft.com/office/word/2010/wordprocessingGroup", Ns::Understood},
    {"http://schemas.microsoft.com/office/word/2010/wordprocessingCanvas", Ns::Understood},
    {"http://schemas.microsoft.com/office/word/2010/wordml", Ns::Understood},
    {"http://schemas.microsoft.com/office/word/2012/wordml", Ns::Understood},
    {"http://schemas.microsoft.com/office/word/2010/wordprocessingDrawing", Ns::Understood},
    {"http://schemas.microsoft.com/office/drawing/2010/main", Ns::Understood},
    {"urn:schemas-microsoft-com:office:word", Ns::Understood},
};

struct Element { Ns ns; const char* local; Tok tok; };
const Element kElements[] = {
    {Ns::W, "document", Tok::Document}, {Ns::W, "body", Tok::Body}, {Ns::W, "hdr", Tok::Hdr},
    {Ns::W, "ftr", Tok::Ftr}, {Ns::W, "footnotes", Tok::Footnotes}, {Ns::W, "endnotes", Tok::Endnotes},
    {Ns::W, "footnote", Tok::Footnote}, {Ns::W, "endnote", Tok::Endnote},
    {Ns::W, "comments", Tok::Comments}, {Ns::W, "comment", Tok::Comment},
    {Ns::W, "p", Tok::P}, {Ns::W, "pPr", Tok::PPr}, {Ns::W, "rPr", Tok::RPr}, {Ns::W, "r", Tok::R},
    {Ns::W, "t", Tok::T}, {Ns::W, "delText", Tok::DelText}, {Ns::W, "instrText", Tok::InstrText},
    {Ns::W, "delInstrText", Tok::DelInstrText}, {Ns::W, "tab", Tok::Tab}, {Ns::W, "ptab", Tok::PTab},
    {Ns::W, "br", Tok::Br}, {Ns::W, "cr", Tok::Cr}, {Ns::W, "noBreakHyphen", Tok::NoBreakHyphen},
    {Ns::W, "softHyphen", Tok::SoftHyphen}, {Ns::W, "sym", Tok::Sym},
    {Ns::W, "footnoteReference", Tok::FootnoteReference},
    {Ns::W, "endnoteReference", Tok::EndnoteReference}, {Ns::W, "footnoteRef", Tok::FootnoteRef},
    {Ns::W, "endnoteRef", Tok::EndnoteRef}, {Ns::W, "commentReference", Tok::CommentReference},
    {Ns::W, "annotationRef", Tok::AnnotationRef}, {Ns::W, "commentRangeStart", Tok::CommentRangeStart},
    {Ns::W, "commentRangeEnd", Tok::CommentRangeEnd}, {Ns::W, "separator", Tok::Separator},
    {Ns::W, "continuationSeparator", Tok::ContinuationSeparator}, {Ns::W, "fldChar", Tok::FldChar},
    {Ns::W, "fldSimple", Tok::FldSimple}, {Ns::W, "hyperlink", Tok::Hyperlink},
    {Ns::W, "tbl", Tok::Tbl}, {Ns::W, "tr", Tok::Tr}, {Ns::W, "tc", Tok::Tc},
    {Ns::W, "tblPr", Tok::TblPr}, {Ns::W, "tblStyle", Tok::TblStyle}, {Ns::W, "sdt", Tok::Sdt},
    {Ns::W, "sdtContent", Tok::SdtContent}, {Ns::W, "customXml", Tok::CustomXml},
    {Ns::W, "smartTag", Tok::SmartTag}, {Ns::W, "ins", Tok::Ins}, {Ns::W, "del", Tok::Del},
    {Ns::W, "moveFrom", Tok::MoveFrom}, {Ns::W, "moveTo", Tok::MoveTo},
    {Ns::W, "drawing", Tok::Drawing}, {Ns::W, "pict", Tok::Pict}, {Ns::W, "object", Tok::Object},
    {Ns::W, "ruby", Tok::Ruby}, {Ns::W, "rt", Tok::Rt}, {Ns::W, "rubyBase", Tok::RubyBase},
    {Ns::W, "sectPr", Tok::SectPr}, {Ns::W, "headerReference", Tok::HeaderReference},
    {Ns::W, "footerReference", Tok::FooterReference}, {Ns::W, "titlePg", Tok::TitlePg},
    {Ns::W, "pStyle", Tok::PStyle}, {Ns::W, "rStyle", Tok::RStyle}, {Ns::W, "color", Tok::Color},
    {Ns::W, "highlight", Tok::Highlight}, {Ns::W, "strike", Tok::Strike},
    {Ns::W, "dstrike", Tok::DStrike}, {Ns::W, "vanish", Tok::Vanish},
    {Ns::W, "specVanish", Tok::SpecVanish}, {Ns::W, "txbxContent", Tok::TxbxContent},
    {Ns::W, "pgNum", Tok::PgNum}, {Ns::W, "dayShort", Tok::DateBlock},
    {Ns::W, "dayLong", Tok::DateBlock}, {Ns::W, "monthShort", Tok::DateBlock},
    {Ns::W, "monthLong", Tok::DateBlock}, {Ns::W, "yearShort", Tok::DateBlock},
    {Ns::W, "yearLong", Tok::DateBlock}, {Ns::W, "styles", Tok::Styles}, {Ns::W, "style", Tok::Style},
    {Ns::W, "docDefaults", Tok::DocDefaults}, {Ns::W, "rPrDefault", Tok::RPrDefault},
    {Ns::W, "basedOn", Tok::BasedOn}, {Ns::W, "settings", Tok::Settings},
    {Ns::W, "evenAndOddHeaders", Tok::EvenAndOddHeaders},
    {Ns::MC, "AlternateContent", Tok::AlternateContent}, {Ns::MC, "Choice", Tok::Choice},
    {Ns::MC, "Fallback", Tok::Fallback}, {Ns::WP, "anchor", Tok::Anchor},
    {Ns::O, "OLEObject", Tok::OleObject}, {Ns::M, "t", Tok::MathText},
};

Ns nsOfUri(std::string_view uri)
{
    for (const auto& n : kNamespaces)
        if (uri == n.uri)
            return n.ns;
    return Ns::Other;
}

std::string_view prefixOf(const char* name)
{
    const char* colon = std::strchr(name, ':');
    return colon ? std::string_view(name, static_cast<std::size_t>(colon - name)) : std::string_view();
}

// Element names are a few bytes: a loop beats a call to memcmp.
bool sameName(const std::string& a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < b.size(); ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

} // namespace

Vocabulary::Vocabulary(pugi::xml_node root)
{
    for (pugi::xml_attribute a = root.first_attribute(); a; a = a.next_attribute()) {
        const std::string_view name = a.name();
        if (name != "xmlns" && name.substr(0, 6) != "xmlns:")
            continue;
        const std::string prefix(name.size() > 6 ? name.substr(6) : std::string_view());
        const Ns ns = nsOfUri(a.value());
        m_prefixes.emplace(prefix, ns);
        if (ns == Ns::W && m_wPrefix.empty())
            m_wPrefix = prefix;
        if (ns == Ns::R && m_rPrefix.empty())
            m_rPrefix = prefix;
    }
    // assign(1, c): g++ 12 warns falsely (-Wrestrict) on assigning a one-letter literal here.
    if (m_wPrefix.empty() && !m_prefixes.count(""))
        m_wPrefix.assign(1, 'w');
    if (m_rPrefix.empty())
        m_rPrefix.assign(1, 'r');
}

Ns Vocabulary::nsOfPrefix(std::string_view prefix, pugi::xml_node context) const
{
    const std::string key(prefix);
    if (auto it = m_prefixes.find(key); it != m_prefixes.end())
        return it->second;
    const std::string attr = key.empty() ? std::string("xmlns") : "xmlns:" + key;
    Ns ns = Ns::Other;
    for (pugi::xml_node n = context; n; n = n.parent())
        if (pugi::xml_attribute a = n.attribute(attr.c_str())) {
            ns = nsOfUri(a.value());
            break;
        }
    // Rebinding a prefix deeper in one part is not something producers do; the first binding holds.
    m_prefixes.emplace(key, ns);
    return ns;
}

Ns Vocabulary::ns(pugi::xml_node n) const
{
    return nsOfPrefix(prefixOf(n.name()), n);
}

Tok Vocabulary::tok(pugi::xml_node n) const
{
    const char* name = n.name();
    // Two scalars rather than an array: bytes stored into memory and read back as words would
    // stall on store forwarding.
    uint64_t lo = 0, hi = 0;
    std::size_t len = 0;
    for (; len < 8 && name[len]; ++len)
        lo |= static_cast<uint64_t>(static_cast<unsigned char>(name[len])) << (8 * len);
    for (; len >= 8 && len < 16 && name[len]; ++len)
        hi |= static_cast<uint64_t>(static_cast<unsigned char>(name[len])) << (8 * (len - 8));
    if (len == 0 || (len == 16 && name[16]))
        return tokOfName(name, n);
    ShortSlot& slot = m_short[((lo ^ hi * 31) * 0x9E3779B97F4A7C15ull) >> 56];
    if (slot.name[0] != lo || slot.name[1] != hi)
        slot = {{lo, hi}, tokOfName(name, n)};
    return slot.tok;
}

Tok Vocabulary::tokOfName(const char* name, pugi::xml_node n) const
{
    uint32_t hash = 2166136261u;
    std::size_t len = 0;
    for (; name[len]; ++len)
        hash = (hash ^ static_cast<unsigned char>(name[len])) * 16777619u;
    if (len == 0)
        return Tok::Other;
    const std::string_view key(name, len);
    const std::size_t mask = m_tokens.size() - 1;
    for (std::size_t i = hash & mask; !m_tokens[i].name.empty(); i = (i + 1) & mask)
        if (m_tokens[i].hash == hash && sameName(m_tokens[i].name, key))
            return m_tokens[i].tok;
    const Tok t = lookUp(key, n);
    remember({std::string(key), hash, t});
    return t;
}

Tok Vocabulary::lookUp(std::string_view name, pugi::xml_node n) const
{
    const std::size_t colon = name.find(':');
    const Ns ns = nsOfPrefix(colon == std::string_view::npos ? std::string_view() : name.substr(0, colon), n);
    const std::string_view local = colon == std::string_view::npos ? name : name.substr(colon + 1);
    for (const auto& e : kElements)
        if (e.ns == ns && local == e.local)
            return e.tok;
    return Tok::Other;
}

void Vocabulary::remember(TokSlot slot) const
{
    if (2 * (m_tokenCount + 1) > m_tokens.size()) {
        std::vector<TokSlot> old(2 * m_tokens.size());
        old.swap(m_tokens);
        m_tokenCount = 0;
        for (TokSlot& s : old)
            if (!s.name.empty())
                remember(std::move(s));
    }
    const std::size_t mask = m_tokens.size() - 1;
    std::size_t i = slot.hash & mask;
    while (!m_tokens[i].name.empty())
        i = (i + 1) & mask;
    m_tokens[i] = std::move(slot);
    ++m_tokenCount;
}

const char* Vocabulary::qualified(Ns ns, const char* local) const
{
    auto& cache = m_qualified[ns == Ns::W ? 0 : 1];
    auto it = cache.find(local);
    if (it == cache.end()) {
        const std::string& prefix = ns == Ns::W ? m_wPrefix : m_rPrefix;
        std::string name = prefix;
        if (!name.empty())
            name += ':';
        it = cache.emplace(local, name.append(local)).first;
    }
    return it->second.c_str();
}

const char* Vocabulary::w(const char* local) const { return qualified(Ns::W, local); }
const char* Vocabulary::r(const char* local) const { return qualified(Ns::R, local); }

pugi::xml_node Vocabulary::chooseBranch(pugi::xml_node ac) const
{
    for (pugi::xml_node c = ac.first_child(); c; c = c.next_sibling()) {
        const Tok t = tok(c);
        if (t == Tok::Fallback)
            return c;
        if (t != Tok::Choice)
            continue;
        const std::string_view requires_ = c.attribute("Requires").value();
        bool understood = true;
        std::size_t i = 0;
        while (understood && i < requires_.size()) {
            const std::size_t end = std::min(requires_.find(' ', i), requires_.size());
            if (end > i)
                understood = nsOfPrefix(requires_.substr(i, end - i), c) != Ns::Other;
            i = end + 1;
        }
        if (understood)
            return c;
    }
    return {};
}

void parseXml(XmlPart& part, std::string bytes, const QString& path)
{
    part.bytes = std::move(bytes);
    const pugi::xml_parse_result res =
        part.doc.load_buffer_inplace(part.bytes.data(), part.bytes.size(), kParseFlags);
    if (!res)
        throw badXml(path, part.name, res.offset, res);
}

core::Error badXml(const QString& path, const std::string& part, std::ptrdiff_t offset,
                   const pugi::xml_parse_result& result)
{
    return loadError(LoadFailure::BadXml, path,
                     QStringLiteral("%1, %2 バイト目: %3")
                         .arg(QString::fromStdString(part)).arg(offset)
                         .arg(QString::fromUtf8(result.description())));
}

} // namespace docx
