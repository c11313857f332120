#pragma once

#include "platform/docx/XmlEvents.h"
#include "platform/docx/XmlNameCache.h"
#include "platform/docx/XmlTokenizer.h"

#include <QString>

#include <charconv>
#include <cstddef>
#include <memory>
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
// namespace and local name, with its attributes until the reader moves on. The part is tokenized
// as the reader needs it, here or, for a PartStream, on the stream's own thread; names are
// classified here, which balances the work of the two threads.
class XmlReader {
public:
    // A part held whole, named part in errors about the file at path.
    XmlReader(std::string bytes, std::string part, const QString& path);
    // A part inflated from entry piece by piece, as the reader needs it.
    XmlReader(ZipEntry& entry, std::string part, const QString& path);
    // A part tokenized on stream's thread.
    explicit XmlReader(PartStream& stream);
    ~XmlReader();
    XmlReader(const XmlReader&) = delete;
    XmlReader& operator=(const XmlReader&) = delete;

    // Moves to the next element child of the open element at depth d (0: the part itself, whose
    // child is the root) and returns true; false once that element has ended, its end tag read.
    // Whatever of the previous child was not read is skipped.
    bool child(int d);
    // Open elements, the current one included: the root is at depth 1.
    int depth() const { return m_depth; }
    // Reads to the end of the part, so that a fault anywhere in it is found.
    void finish()
    {
        while (child(0)) {
        }
    }

    // Where the current element's '<' is in the part's bytes, or in their UTF-8 conversion when
    // the part was in another encoding (converted()).
    uint32_t elementOffset() const { return m_element->at - 1; }
    bool converted() const { return m_converted; }

    Tok tok() const { return m_element->tok; }
    Ns ns() const { return m_element->ns; }
    std::string_view localName() const
    {
        return {m_data + m_element->at + m_element->localAt, m_element->len - m_element->localAt};
    }

    // An attribute of the current element, nothing when absent. The view lasts as long as the
    // reader. attr(name) is for attributes without a prefix.
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
            if (!chosen && (tok() == Tok::Fallback || (tok() == Tok::Choice && !m_element->requiresUnknown))) {
                chosen = true;
                walk();
            }
    }

private:
    const XmlEvent& step();
    void nextBlock();
    const XmlEvent* nextInside(int d, bool text);
    bool nextText(int d, std::string_view& piece);

    std::unique_ptr<XmlTokenizer> m_tokenizer;   // a part held whole: tokenized here
    std::optional<XmlNameCache> m_names;         // once the root's bindings are known
    bool m_converted = false;                    // known with them
    PartStream* m_stream = nullptr;
    XmlEventBlock m_block;
    std::size_t m_next = 0;                      // in m_block.events
    const char* m_data = nullptr;
    const XmlEvent* m_element = nullptr;         // the current element's event, its attributes after it
    std::vector<XmlEvent> m_carried;             // the current element's events once its block is gone
    int m_depth = 0;
    bool m_closePending = false;                 // the current element was empty: its end comes next
    unsigned m_endsLeft = 0;                     // end tags still to report before the next event
    bool m_endsTaken = false;                    // the next event's end tags are being reported
    bool m_ended = false;
};

} // namespace docx
