#include "platform/docx/BodySlices.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace docx {

namespace {

constexpr std::size_t kReadBytes = 64u << 10;

// Where the start tag at lt ends: at the first '>' outside quoted attribute values.
std::size_t startTagEnd(const std::string& s, std::size_t lt)
{
    char quote = 0;
    for (std::size_t i = lt + 1; i < s.size(); ++i) {
        if (quote)
            quote = s[i] == quote ? 0 : quote;
        else if (s[i] == '"' || s[i] == '\'')
            quote = s[i];
        else if (s[i] == '>')
            return i + 1;
    }
    return s.size();
}

// Where element starts in the window slice was parsed from.
std::size_t offsetOf(const XmlPart& slice, pugi::xml_node element)
{
    return static_cast<std::size_t>(element.name() - slice.bytes.data()) - 1;   // in-place names follow '<'
}

} // namespace

BodySlices::BodySlices(ZipReader& zip, const std::string& part, const QString& path)
    : m_entry(zip, part), m_part(part), m_path(path)
{
}

void BodySlices::fail(const pugi::xml_parse_result& res) const
{
    const auto at = static_cast<std::size_t>(std::max<std::ptrdiff_t>(res.offset, 0));
    const std::size_t inPart = m_handedOut + (at > m_sliceStart ? at - m_sliceStart : 0);
    throw badXml(m_path, m_part, static_cast<std::ptrdiff_t>(inPart), res);
}

void BodySlices::keepHead(const XmlPart& slice, pugi::xml_node root, pugi::xml_node body)
{
    const std::size_t root0 = offsetOf(slice, root), body0 = offsetOf(slice, body);
    m_head.assign(m_buf, root0, startTagEnd(m_buf, root0) - root0);
    m_head.append(m_buf, body0, startTagEnd(m_buf, body0) - body0);
}

// Drops the body's last child from a window's DOM and returns where it starts; 0 when the window
// holds no complete child to hand out.
std::size_t BodySlices::dropCutChild(XmlPart& slice)
{
    const pugi::xml_node root = slice.doc.document_element();
    if (!root.first_child())
        return 0;   // the root's start tag may itself be cut short
    if (!m_vocabulary)
        m_vocabulary.emplace(root);
    pugi::xml_node body = root.child(m_vocabulary->w("body"));
    pugi::xml_node last = body.last_child();
    while (last && last.type() != pugi::node_element)
        last = last.previous_sibling();
    if (!last || last == body.find_child([](pugi::xml_node n) { return n.type() == pugi::node_element; }))
        return 0;
    const std::size_t cut = offsetOf(slice, last);
    if (cut <= m_sliceStart || cut >= m_buf.size() || m_buf[cut] != '<')
        return 0;
    if (m_head.empty())
        keepHead(slice, root, body);
    body.remove_child(last);
    return cut;
}

bool BodySlices::next(XmlPart& slice)
{
    slice.doc.reset();
    if (m_done)
        return false;
    std::size_t window = kSliceBytes;
    for (;;) {
        bool atEnd = false;
        while (!atEnd && (!m_cuttable || m_buf.size() - m_sliceStart < window))
            atEnd = m_entry.readInto(m_buf, kReadBytes) == 0;
        slice.bytes.assign(m_buf);
        const pugi::xml_parse_result res =
            slice.doc.load_buffer_inplace(slice.bytes.data(), slice.bytes.size(), kParseFlags, m_encoding);
        if (atEnd) {
            if (!res)
                fail(res);
            m_done = true;
            return true;
        }
        if (m_encoding == pugi::encoding_auto) {
            // Later windows have no declaration or byte order mark: they are read as the first.
            m_encoding = res.encoding;
            // Element offsets come from in-place names, which only UTF-8 keeps where they were.
            m_cuttable = res.encoding == pugi::encoding_utf8;
        }
        const std::size_t cut = m_cuttable ? dropCutChild(slice) : 0;
        if (cut == 0) {
            window *= 2;   // one child fills the window: widen it
            continue;
        }
        if (!res && static_cast<std::size_t>(res.offset) < cut)
            fail(res);   // a real fault, not the window's end
        m_handedOut += cut - m_sliceStart;
        m_buf = m_head + m_buf.substr(cut);
        m_sliceStart = m_head.size();
        return true;
    }
}

} // namespace docx
