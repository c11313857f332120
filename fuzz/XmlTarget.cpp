// xml: the tokenizer against libxml2's xmlReader on the same bytes. Where libxml2 reads a part,
// the tokenizer must read it too, with the same elements, attributes (by namespace) and text.
// Where libxml2 refuses a part, the tokenizer must refuse it as well, unless libxml2's reason is
// one the tokenizer leaves unchecked on purpose: those are listed in kUnchecked, each with why.
#include "fuzz/Targets.h"

#include "platform/core/Error.h"
#include "platform/docx/LoadError.h"
#include "platform/docx/XmlTokenizer.h"

#include <libxml/xmlerror.h>
#include <libxml/xmlreader.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace fuzz {

namespace {

// libxml2's reader stopped with no error reported to the handler: its input conversion failed.
constexpr int kStoppedUnreported = -1;

struct Unchecked {
    int code;
    const char* why;
};

// The well-formedness rules the tokenizer does not check, and why: it reads what Word wrote, and
// checks only what reading it needs.
constexpr Unchecked kUnchecked[] = {
    {XML_ERR_DOCUMENT_END, "nothing outside the root element is read"},
    {XML_ERR_DOCUMENT_EMPTY, "nothing outside the root element is read"},
    {XML_ERR_UNDECLARED_ENTITY, "a reference other than the predefined ones is kept as written"},
    {XML_WAR_UNDECLARED_ENTITY, "a reference other than the predefined ones is kept as written"},
    {XML_ERR_ENTITYREF_SEMICOL_MISSING, "an '&' that starts no reference is kept as written"},
    {XML_ERR_NAME_REQUIRED, "an '&' that starts no reference is kept as written"},
    {XML_ERR_INVALID_DEC_CHARREF, "a reference to no legal character is kept as written"},
    {XML_ERR_INVALID_HEX_CHARREF, "a reference to no legal character is kept as written"},
    {XML_ERR_INVALID_CHARREF, "a reference to no legal character is kept as written"},
    {XML_ERR_INVALID_CHAR, "characters are not checked: text is taken as its bytes say"},
    {XML_ERR_INVALID_ENCODING, "UTF-8 is not validated: the story's conversion replaces bad bytes"},
    {XML_IO_ENCODER, "UTF-8 is not validated: the story's conversion replaces bad bytes"},
    {XML_I18N_CONV_FAILED, "UTF-8 is not validated: the story's conversion replaces bad bytes"},
    {kStoppedUnreported, "UTF-8 is not validated: the story's conversion replaces bad bytes"},
    {XML_ERR_ATTRIBUTE_REDEFINED, "a repeated attribute is kept; the reader takes the first"},
    {XML_ERR_MISPLACED_CDATA_END, "']]>' in text is read as text"},
    {XML_ERR_HYPHEN_IN_COMMENT, "comments are skipped unread"},
    {XML_ERR_COMMENT_NOT_FINISHED, "comments are skipped unread"},
    {XML_ERR_RESERVED_XML_NAME, "declarations and processing instructions are skipped unread"},
    {XML_ERR_PI_NOT_STARTED, "declarations and processing instructions are skipped unread"},
    {XML_ERR_PI_NOT_FINISHED, "declarations and processing instructions are skipped unread"},
    {XML_ERR_XMLDECL_NOT_FINISHED, "declarations and processing instructions are skipped unread"},
    {XML_ERR_VERSION_MISSING, "declarations and processing instructions are skipped unread"},
    {XML_ERR_UNKNOWN_VERSION, "declarations and processing instructions are skipped unread"},
    {XML_ERR_VERSION_MISMATCH, "declarations and processing instructions are skipped unread"},
    {XML_ERR_STANDALONE_VALUE, "declarations and processing instructions are skipped unread"},
    {XML_ERR_EQUAL_REQUIRED, "declarations and processing instructions are skipped unread"},
    {XML_ERR_XMLDECL_NOT_STARTED, "declarations and processing instructions are skipped unread"},
    {XML_ERR_STRING_NOT_STARTED, "declarations and processing instructions are skipped unread"},
    {XML_ERR_STRING_NOT_CLOSED, "declarations and processing instructions are skipped unread"},
    {XML_ERR_ENCODING_NAME, "declarations and processing instructions are skipped unread"},
    {XML_ERR_UNSUPPORTED_ENCODING, "after a byte order mark the declaration is skipped unread: the mark decides"},
    {XML_ERR_SPACE_REQUIRED, "names and the space between attributes are not checked"},
    {XML_ERR_ATTRIBUTE_WITHOUT_VALUE, "names and the space between attributes are not checked"},
    {XML_ERR_ATTRIBUTE_NOT_STARTED, "names and the space between attributes are not checked"},
    {XML_ERR_GT_REQUIRED, "names and the space between attributes are not checked"},
    {XML_ERR_NAME_TOO_LONG, "names are bounded only by the part"},
};

const char* uncheckedWhy(int code)
{
    for (const Unchecked& u : kUnchecked)
        if (u.code == code)
            return u.why;
    return nullptr;
}

// A part's content in one form both readers are brought to: one line per start, attribute
// (sorted; xml:* left out, as the tokenizer makes no event of them), text and end. Text between
// two tags is joined across comments and CDATA, and a piece of white space alone is left out: the
// tokenizer keeps it only as an element's whole content.
class Canonical {
public:
    void start(std::string_view name, std::vector<std::tuple<int, std::string, std::string>> attrs)
    {
        flush();
        m_out.append("<").append(name).append("\n");
        std::sort(attrs.begin(), attrs.end());
        for (const auto& [ns, local, value] : attrs)
            m_out.append(" @").append(std::to_string(ns)).append(":").append(local).append("=").append(value).append("\n");
    }
    void text(std::string_view piece)
    {
        if (!std::all_of(piece.begin(), piece.end(), [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }))
            m_text += piece;
    }
    void end()
    {
        flush();
        m_out += ">\n";
    }
    const std::string& str() const { return m_out; }

private:
    void flush()
    {
        if (!m_text.empty())
            m_out.append("\"").append(m_text).append("\"\n");
        m_text.clear();
    }
    std::string m_out, m_text;
};

bool isXmlAttr(std::string_view name) { return name.size() > 4 && name.substr(0, 4) == "xml:"; }

// The tokenizer's reading; nothing when it refuses the part.
std::optional<std::string> tokenized(std::string bytes, bool& tooDeep)
{
    try {
        docx::XmlTokenizer tokenizer(std::move(bytes), "part.xml", "fuzz");
        Canonical c;
        docx::XmlEventBlock block;
        for (bool ended = false; !ended;) {
            tokenizer.fill(block);
            const char* data = block.data;
            for (std::size_t i = 0; i < block.events.size(); ++i) {
                const docx::XmlEvent& e = block.events[i];
                for (unsigned k = 0; k < e.ends; ++k)
                    c.end();
                switch (e.kind) {
                case docx::XmlEvent::Start:
                case docx::XmlEvent::Empty: {
                    std::vector<std::tuple<int, std::string, std::string>> attrs;
                    for (std::size_t a = i + 1; a <= i + e.valueLen; ++a) {
                        const docx::XmlEvent& at = block.events[a];
                        check(at.kind == docx::XmlEvent::Attr, "xml: an element's attributes do not follow it");
                        const std::string_view name(data + at.at, at.len);
                        attrs.emplace_back(static_cast<int>(at.ns), std::string(name.substr(at.localAt)),
                                           std::string(data + at.valueAt, at.valueLen));
                    }
                    c.start({data + e.at, e.len}, std::move(attrs));
                    if (e.kind == docx::XmlEvent::Empty)
                        c.end();
                    i += e.valueLen;
                    break;
                }
                case docx::XmlEvent::Text: c.text({data + e.at, e.len}); break;
                case docx::XmlEvent::EndOfPart: ended = true; break;
                default: check(false, "xml: an event out of place");
                }
            }
        }
        return c.str();
    } catch (const core::Error& e) {
        check(e.number() == docx::kErrFileCorrupt, "xml: unexpected error number");
        tooDeep = e.description().contains(QStringLiteral("入れ子"));
        return std::nullopt;
    }
}

struct Libxml2Result {
    std::optional<std::string> content;   // nothing when libxml2 refuses the part
    int firstError = 0;
    bool fatal = false;
    bool badQName = false;                // a name libxml2 found no namespace for, as it is no QName
    bool declarationDropped = false;      // a binding of the xml or xmlns prefix or namespace
};

void collect(void* arg, xmlErrorPtr error)
{
    auto* result = static_cast<Libxml2Result*>(arg);
    if (!error)
        return;
    // The first fatal error, else the first error of the input's conversion (which stops the
    // reader without one).
    if (error->level == XML_ERR_FATAL && (result->firstError == 0 || !result->fatal)) {
        result->firstError = error->code;
        result->fatal = true;
    } else if (result->firstError == 0 && (error->domain == XML_FROM_IO || error->domain == XML_FROM_I18N)) {
        result->firstError = error->code;
    }
    if (error->code == XML_NS_ERR_QNAME || error->code == XML_NS_ERR_COLON)
        result->badQName = true;
    if (error->code == XML_NS_ERR_XML_NAMESPACE)
        result->declarationDropped = true;
}

// The canonical form without the attributes' namespaces, each element's attributes sorted again.
std::string withoutNamespaces(const std::string& canonical)
{
    std::string out;
    std::vector<std::string> attrs;
    for (std::size_t i = 0; i < canonical.size();) {
        const std::size_t end = std::min(canonical.find('\n', i), canonical.size());
        const std::string_view line(canonical.data() + i, end - i);
        i = end + 1;
        if (line.substr(0, 2) == " @") {
            attrs.emplace_back(line.substr(line.find(':') + 1));
            continue;
        }
        std::sort(attrs.begin(), attrs.end());
        for (const std::string& a : attrs)
            out.append(" @").append(a).append("\n");
        attrs.clear();
        out.append(line).push_back('\n');
    }
    return out;
}

std::string str(const xmlChar* s) { return s ? reinterpret_cast<const char*>(s) : ""; }

// The attribute libxml2 is on as the tokenizer tells it: by namespace and local name, where the
// w and r prefixes mean their usual namespaces even in a part that never declares them (libxml2
// then gives the whole qualified name as the local one).
std::tuple<int, std::string, std::string> attribute(xmlTextReaderPtr r)
{
    const std::string name = str(xmlTextReaderConstName(r));
    const std::size_t colon = name.find(':');
    const std::string prefix = colon == std::string::npos ? std::string() : name.substr(0, colon);
    docx::Ns ns = docx::nsOfUri(str(xmlTextReaderConstNamespaceUri(r)));
    if (!xmlTextReaderConstNamespaceUri(r))
        ns = prefix == "w" ? docx::Ns::W : prefix == "r" ? docx::Ns::R : docx::Ns::Other;
    // libxml2 keeps a namespace declaration's value with its '&' written as "&#38;".
    const std::string raw = str(xmlTextReaderConstValue(r));
    std::string value;
    const bool declaration = xmlTextReaderIsNamespaceDecl(r) == 1;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        value.push_back(raw[i]);
        if (declaration && raw.compare(i, 5, "&#38;") == 0)
            i += 4;
    }
    return {static_cast<int>(ns), colon == std::string::npos ? name : name.substr(colon + 1), value};
}

Libxml2Result libxml2Read(const uint8_t* data, std::size_t size)
{
    Libxml2Result result;
    xmlTextReaderPtr r = xmlReaderForMemory(reinterpret_cast<const char*>(data), static_cast<int>(size), "part.xml",
                                            nullptr, XML_PARSE_NONET | XML_PARSE_HUGE | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (!r)
        return result;
    xmlTextReaderSetStructuredErrorHandler(r, collect, &result);
    Canonical c;
    int status;
    while ((status = xmlTextReaderRead(r)) == 1) {
        switch (xmlTextReaderNodeType(r)) {
        case XML_READER_TYPE_ELEMENT: {
            const std::string name = str(xmlTextReaderConstName(r));
            const bool empty = xmlTextReaderIsEmptyElement(r);
            std::vector<std::tuple<int, std::string, std::string>> attrs;
            while (xmlTextReaderMoveToNextAttribute(r) == 1) {
                if (isXmlAttr(str(xmlTextReaderConstName(r))))
                    continue;
                attrs.push_back(attribute(r));
            }
            xmlTextReaderMoveToElement(r);
            c.start(name, std::move(attrs));
            if (empty)
                c.end();
            break;
        }
        case XML_READER_TYPE_END_ELEMENT: c.end(); break;
        case XML_READER_TYPE_TEXT:
        case XML_READER_TYPE_CDATA:
        case XML_READER_TYPE_WHITESPACE:
        case XML_READER_TYPE_SIGNIFICANT_WHITESPACE: c.text(str(xmlTextReaderConstValue(r))); break;
        default: break;
        }
    }
    if (status == 0 && !result.fatal)
        result.content = c.str();
    else if (result.firstError == 0)
        result.firstError = kStoppedUnreported;
    xmlFreeTextReader(r);
    return result;
}

// Whether the part is not plain UTF-8: a UTF-16 byte order or a declaration naming another
// encoding (after a UTF-8 byte order mark too, which the tokenizer lets decide).
bool declaresOtherEncoding(std::string_view bytes)
{
    if (bytes.size() >= 2 && (bytes[0] == '\0' || bytes[1] == '\0' || static_cast<unsigned char>(bytes[0]) >= 0xFE))
        return true;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    const std::size_t end = bytes.find("?>");
    const std::string_view head = bytes.substr(0, end);
    return bytes.substr(0, 5) == "<?xml" && head.find("encoding") != std::string_view::npos
           && head.find("UTF-8") == std::string_view::npos && head.find("utf-8") == std::string_view::npos;
}

} // namespace

void xml(const uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    bool tooDeep = false;
    const std::optional<std::string> ours = tokenized(std::string(bytes), tooDeep);
    const Libxml2Result theirs = libxml2Read(data, size);
    // A DTD is refused or skipped, never read: what libxml2 makes of it does not apply. Another
    // encoding is converted by ICU here and by iconv there, whose tables and names differ.
    if (bytes.find("<!DOCTYPE") != std::string_view::npos || declaresOtherEncoding(bytes))
        return;
    if (theirs.content) {
        if (!ours) {
            check(tooDeep, "xml: the tokenizer refuses what libxml2 reads");
            return;
        }
        // Declarations are not checked: libxml2 drops one that binds the xml or xmlns prefix or
        // namespace, the tokenizer keeps it as an attribute.
        if (theirs.declarationDropped)
            return;
        // Names are not checked: one that is no qualified name (a local part starting with a
        // digit, two colons) has no namespace for libxml2 and its prefix's for the tokenizer.
        const bool differ = theirs.badQName ? withoutNamespaces(*ours) != withoutNamespaces(*theirs.content)
                                            : *ours != *theirs.content;
        if (differ) {
            std::fprintf(stderr, "tokenizer:\n%s\nlibxml2:\n%s\n", ours->c_str(), theirs.content->c_str());
            check(false, "xml: the readings differ");
        }
        return;
    }
    if (ours && !uncheckedWhy(theirs.firstError)) {
        std::fprintf(stderr, "libxml2 error %d\n", theirs.firstError);
        check(false, "xml: the tokenizer reads what libxml2 refuses");
    }
}

} // namespace fuzz
