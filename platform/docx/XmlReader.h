#pragma once

#include "platform/docx/XmlNames.h"

#include <QString>

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace docx {

class PartStream;

// ST_OnOff: an absent value means on.
inline bool onOff(std::optional<std::string_view> value)
{
    return !value || !(*value == "false" || *value == "0" || *value == "off");
}

// An id attribute's number; 0 when it is not one.
inline long idOf(std::string_view value)
{
    long id = 0;
    std::from_chars(value.data(), value.data() + value.size(), id);
    return id;
}

// A pull reader over one part's XML: elements come in document order, each classified by its
// namespace and local name, with its attributes until the reader moves on. Written for this reader
// rather than taken from a library because the main document must be read while it is still being
// inflated, without building a tree of it: the DOM parsers at hand cannot, and the streaming ones
// are several times slower than the whole load may take.
//
// What makes a part well-formed is checked as far as reading it needs: end tags match, markup is
// complete, attribute values are quoted and hold no '<'. A DTD is skipped unread; only the
// predefined entities and character references are expanded. A part in UTF-16 or another declared
// encoding is converted to UTF-8 first. Every fault throws the BadXml load error with the part and
// the byte offset.
class XmlReader {
public:
    static constexpr std::size_t kMaxDepth = 1024;   // open elements; deeper nesting is refused

    // A part held whole, named part in errors about the file at path.
    XmlReader(std::string bytes, std::string part, const QString& path);
    // A part read as stream inflates it.
    XmlReader(PartStream& stream, std::string part, const QString& path);
    XmlReader(const XmlReader&) = delete;
    XmlReader& operator=(const XmlReader&) = delete;

    // Moves to the next element child of the open element at depth d (0: the part itself, whose
    // child is the root) and returns true; false once that element has ended, its end tag read.
    // Whatever of the previous child was not read is skipped.
    bool child(int d);
    // Reads to the end of the part, so that a fault anywhere in it is found.
    void finish()
    {
        while (child(0)) {
        }
    }
    // Open elements, the current one included: the root is at depth 1.
    int depth() const { return static_cast<int>(m_open.size()); }

    Tok tok() const { return m_tok; }
    Ns ns() const { return m_ns; }
    std::string_view localName() const { return m_local; }

    // An attribute of the current element, nothing when absent. The view lasts until the reader
    // moves. attr(name) is for attributes without a prefix.
    std::optional<std::string_view> attr(Ns ns, std::string_view local) const;
    std::optional<std::string_view> attr(std::string_view name) const;
    // A WordprocessingML attribute's value, empty when absent.
    std::string_view w(std::string_view local) const { return attr(Ns::W, local).value_or(std::string_view()); }

    // Hands the current element's own character data to sink piece by piece, reading to its end.
    template <typename Sink>
    void text(Sink&& sink)
    {
        const int d = depth();
        std::string_view piece;
        while (nextText(d, piece))
            sink(piece);
    }

    // For mc:AlternateContent: calls walk with the reader on the branch to read (the first Choice
    // whose required namespaces are all understood, else the Fallback), then reads to its end.
    template <typename Walk>
    void chooseBranch(Walk&& walk)
    {
        const int d = depth();
        bool chosen = false;
        while (child(d))
            if (!chosen && (m_tok == Tok::Fallback || (m_tok == Tok::Choice && understood(attr("Requires"))))) {
                chosen = true;
                walk();
            }
    }

private:
    enum class Event : uint8_t { Start, End, Text, Nothing, Eof };
    struct Open {
        const char* name;
        uint32_t nameLen;
        uint32_t bindings;   // namespace declarations it made
    };
    struct Attr {
        const char* name;
        uint32_t nameLen, prefixLen;
        const char* value;       // null: expanded into m_values at valueAt
        uint32_t valueAt, valueLen;
    };
    struct Binding {
        std::string prefix;
        Ns ns;
        bool changes;   // declared below the root, binding the prefix otherwise than before
    };
    // Classified qualified names of up to 32 bytes, open addressing by a hash of the name.
    struct NameSlot {
        uint64_t name[4];   // zero-padded; all zero: free
        Tok tok;
        Ns ns;
        uint8_t prefixLen;
    };
    static constexpr std::size_t kNameSlots = 512, kNameProbes = 8;

    void begin();
    void toUtf8(const char* from);
    Event step();
    bool refill();
    Event startTag(std::size_t lt);
    Event endTag(std::size_t lt);
    Event special(std::size_t lt);   // comments, processing instructions, DOCTYPE, CDATA
    bool have(std::size_t i);
    std::size_t find(std::string_view what, std::size_t from);
    void readAttributes(const char*& s, const char* end);
    void declare(const Attr& a);
    void close();
    void classify();
    void classifyUncached(std::string_view name);
    Ns nsOfPrefix(std::string_view prefix) const;
    Ns attrNs(std::string_view prefix) const;
    bool rebound(std::string_view name) const;
    std::string_view value(const Attr& a) const;
    bool understood(std::optional<std::string_view> requires_) const;
    bool nextText(int d, std::string_view& piece);
    [[noreturn]] void fail(std::size_t at, const QString& what) const;

    std::string m_part;
    QString m_path;
    std::string m_own;              // the part when held whole or converted
    PartStream* m_stream = nullptr; // while the part still arrives
    const char* m_data = nullptr;
    std::size_t m_size = 0;         // bytes that may be read
    std::size_t m_limit = 0;        // markup starting before it ends before it: the last '<' seen
    std::size_t m_pos = 0;
    bool m_whole = false;           // all bytes are in

    std::vector<Open> m_open;
    bool m_closePending = false;    // the current element was empty: its end comes next
    bool m_rootSeen = false;
    Tok m_tok = Tok::Other;
    Ns m_ns = Ns::Other;
    std::string_view m_name, m_local;
    std::vector<Attr> m_attrs;
    std::string m_values;           // attribute values with references, expanded
    std::string_view m_text;        // raw character data of the last Text event
    bool m_textIsCdata = false;
    std::string m_expanded;

    std::vector<Binding> m_bindings;
    std::size_t m_changedBindings = 0;   // in m_bindings with changes set: names may bypass m_names
    std::optional<std::string> m_wPrefix;   // the root's prefix for WordprocessingML: attributes' fast path
    NameSlot m_names[kNameSlots] = {};
};

} // namespace docx
