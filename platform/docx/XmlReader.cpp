#include "platform/docx/XmlReader.h"

#include "platform/docx/PartStream.h"

#include <cstring>

namespace docx {

namespace {

const XmlEvent kNoElement{};

} // namespace

XmlReader::XmlReader(std::string bytes, std::string part, const QString& path)
    : m_tokenizer(std::make_unique<XmlTokenizer>(std::move(bytes), std::move(part), path)), m_element(&kNoElement)
{
}

XmlReader::XmlReader(ZipEntry& entry, std::string part, const QString& path)
    : m_tokenizer(std::make_unique<XmlTokenizer>(entry, std::move(part), path)), m_element(&kNoElement)
{
}

XmlReader::XmlReader(PartStream& stream) : m_stream(&stream), m_element(&kNoElement) {}

XmlReader::~XmlReader() = default;

void XmlReader::nextBlock()
{
    // The current element stays readable while its content comes from the blocks after it.
    if (!m_block.events.empty() && m_element >= m_block.events.data()
        && m_element < m_block.events.data() + m_block.events.size()) {
        m_carried.assign(m_element, m_element + 1 + m_element->valueLen);
        m_element = m_carried.data();
    }
    if (m_stream)
        m_stream->next(m_block);
    else
        m_tokenizer->fill(m_block);
    if (m_block.data)
        m_data = m_block.data;
    m_next = 0;
    if (!m_names) {
        m_names.emplace(m_stream ? m_stream->rootBindings() : m_tokenizer->rootBindings());
        m_converted = m_stream ? m_stream->converted() : m_tokenizer->converted();
    }
}

const XmlEvent& XmlReader::step()
{
    static const XmlEvent kEnd = [] {
        XmlEvent e;
        e.kind = XmlEvent::End;
        return e;
    }();
    if (m_closePending) {
        m_closePending = false;
        --m_depth;
        return kEnd;
    }
    if (m_ended)
        return kNoElement;
    if (m_next >= m_block.events.size())
        nextBlock();
    XmlEvent& e = m_block.events[m_next];
    // The end tags before an event come first, one step each.
    if (m_endsLeft == 0 && !m_endsTaken) {
        m_endsLeft = e.ends;
        m_endsTaken = true;
    }
    if (m_endsLeft > 0) {
        --m_endsLeft;
        --m_depth;
        return kEnd;
    }
    ++m_next;
    m_endsTaken = false;
    switch (e.kind) {
    case XmlEvent::Empty:
        m_closePending = true;
        [[fallthrough]];
    case XmlEvent::Start:
        ++m_depth;
        m_element = &e;
        m_next += e.valueLen;
        if (!e.classified) {
            const XmlNameCache::Class& c = m_names->classify({m_data + e.at, e.len}, m_data + m_block.readable, e.valueAt);
            e.tok = c.tok;
            e.ns = c.ns;
            e.localAt = c.localAt;
            e.classified = true;
        }
        break;
    case XmlEvent::EndOfPart: m_ended = true; break;
    default: break;
    }
    return e;
}

// The next element (text: the next text) directly inside the element open at depth d; null once
// that element has ended.
const XmlEvent* XmlReader::nextInside(int d, bool text)
{
    if (m_depth < d)
        return nullptr;
    for (;;) {
        const XmlEvent& e = step();
        switch (e.kind) {
        case XmlEvent::Start:
        case XmlEvent::Empty:
            if (!text && m_depth == d + 1)
                return &e;
            break;
        case XmlEvent::Text:
            if (text && m_depth == d)
                return &e;
            break;
        case XmlEvent::End:
            if (m_depth < d)
                return nullptr;
            break;
        case XmlEvent::EndOfPart: return nullptr;
        default: break;
        }
    }
}

bool XmlReader::child(int d)
{
    return nextInside(d, false) != nullptr;
}

bool XmlReader::nextText(int d, std::string_view& piece)
{
    const XmlEvent* e = nextInside(d, true);
    if (e)
        piece = {m_data + e->at, e->len};
    return e != nullptr;
}

std::optional<std::string_view> XmlReader::attr(Ns ns, std::string_view local) const
{
    const XmlEvent* a = m_element + 1;
    for (const XmlEvent* end = a + m_element->valueLen; a < end; ++a)
        if (a->ns == ns && a->len - a->localAt == local.size()
            && std::memcmp(m_data + a->at + a->localAt, local.data(), local.size()) == 0)
            return std::string_view(m_data + a->valueAt, a->valueLen);
    return std::nullopt;
}

std::optional<std::string_view> XmlReader::attr(std::string_view name) const
{
    const XmlEvent* a = m_element + 1;
    for (const XmlEvent* end = a + m_element->valueLen; a < end; ++a)
        if (a->localAt == 0 && a->len == name.size() && std::memcmp(m_data + a->at, name.data(), name.size()) == 0)
            return std::string_view(m_data + a->valueAt, a->valueLen);
    return std::nullopt;
}

} // namespace docx
