#pragma once

#include "platform/docx/XmlEvents.h"
#include "platform/docx/XmlNameCache.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace docx {

class ZipEntry;

// Turns one part's XML into events. Elements are classified by their reader, which holds the name
// cache, except where a prefix is bound below the root otherwise than at it: those are classified
// here, where the bindings in force are known.
// Written for this reader rather than taken from a library: the main document must be read while
// it is still being inflated and without building a tree of it, which pugixml (a DOM parser)
// cannot do.
//
// What makes a part well-formed is checked as far as reading it needs: end tags match, markup is
// complete, attribute values are quoted and hold no '<'. A DTD is refused (the Dtd load error) where
// it starts; only the predefined entities and character references are expanded. A part in UTF-16 or another declared
// encoding is converted to UTF-8 first. Every fault throws the BadXml load error naming the part
// and the byte offset.
class XmlTokenizer {
public:
    static constexpr std::size_t kMaxDepth = 1024;        // open elements; deeper nesting is refused
    static constexpr std::size_t kChunkBytes = 64u << 10; // inflated at a time

    // A part held whole, named part in errors about the file at path.
    XmlTokenizer(std::string bytes, std::string part, const QString& path);
    // A part inflated from entry a chunk at a time as the events need it.
    XmlTokenizer(ZipEntry& entry, std::string part, const QString& path);
    XmlTokenizer(const XmlTokenizer&) = delete;
    XmlTokenizer& operator=(const XmlTokenizer&) = delete;

    // Fills block with the next events; the last block ends with EndOfPart.
    void fill(XmlEventBlock& block);
    // The root element's namespace bindings; set before the block with the root is filled, and
    // not changed after.
    const std::vector<XmlBinding>& rootBindings() const { return m_rootBindings; }
    // The part was in another encoding: offsets are into its UTF-8 conversion, not the part's bytes.
    // Set before the first block is filled.
    bool converted() const { return m_converted; }

private:
    struct Open {
        const char* name;
        uint32_t nameLen;
        uint32_t bindings;   // namespace declarations it made
    };
    struct Binding {
        std::string prefix;
        Ns ns;
        bool changes;   // declared below the root, binding the prefix otherwise than before
    };
    void begin();
    void more();
    bool have(std::size_t i);
    void toUtf8(const char* from);
    std::size_t find(std::string_view what, std::size_t from);
    bool refill();
    bool next();   // reads one token; false at the end of the part
    void text(std::size_t at, std::size_t end, bool cdata, bool special);
    void startTag(std::size_t lt);
    void endTag(std::size_t lt);
    void special(std::size_t lt);
    void declare(std::string_view prefix, std::string_view uri);
    void close();
    Ns nsOfPrefix(std::string_view prefix) const;
    Ns attrNs(std::string_view prefix) const;
    bool rebound(std::string_view name) const;
    bool understood(std::string_view requires_) const;
    uint32_t offset(const char* p) const { return static_cast<uint32_t>(p - m_data); }
    [[noreturn]] void fail(std::size_t at, const QString& what) const;

    std::string m_part;
    QString m_path;
    std::string m_own;                   // the part when held whole or converted
    std::unique_ptr<char[]> m_inflated;  // the part as inflated so far
    ZipEntry* m_entry = nullptr;         // while the part still arrives
    char* m_data = nullptr;              // written in place where text and values are expanded
    std::size_t m_size = 0;              // bytes in
    std::size_t m_limit = 0;             // markup starting before it ends before it: the last '<' seen
    std::size_t m_pos = 0;
    std::size_t m_searched = 0;          // bytes before it hold no '<' past m_pos
    bool m_whole = false;                // all bytes are in
    bool m_converted = false;
    bool m_ended = false;

    std::vector<XmlEvent>* m_out = nullptr;
    std::vector<Open> m_open;
    bool m_rootSeen = false;
    bool m_afterStart = false;           // nothing since the last start tag
    uint16_t m_ends = 0;                 // end tags since the last event: the next one counts them
    std::vector<Binding> m_bindings;
    std::size_t m_changedBindings = 0;   // in m_bindings with changes set
    std::vector<XmlBinding> m_rootBindings;
    std::optional<std::string> m_wPrefix; // the root's prefix for WordprocessingML: attributes' fast path
};

} // namespace docx
