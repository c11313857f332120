#pragma once

#include "platform/docx/XmlNames.h"

#include <cstdint>
#include <vector>

namespace docx {

// What the tokenizer found, in document order. Offsets are into the block's data; text and
// attribute values there are already expanded (references, line ends) in place. End tags are not
// events of their own: the event after them counts them, which saves a third of the events.
struct XmlEvent {
    enum Kind : uint8_t { Start, Empty, End, Text, Attr, EndOfPart };   // End: only as the reader reports it
    uint32_t at = 0, len = 0;           // Start, Empty, Attr: the qualified name; Text: the text
    uint32_t valueAt = 0, valueLen = 0; // Attr: the value. Start, Empty: the name's slot in the
                                        // reader's name cache, how many Attr events follow
    Kind kind = EndOfPart;
    Tok tok = Tok::Other;               // Start, Empty, once classified
    Ns ns = Ns::Other;                  // Start, Empty: the element's; Attr: its prefix's
    uint8_t localAt = 0;                // where the local name starts in the qualified one
    bool classified = false;            // Start, Empty: tok, ns and localAt are set
    bool requiresUnknown = false;       // Start, Empty: a Requires attribute names a namespace not known
    uint16_t ends = 0;                  // Start, Empty, Text, EndOfPart: end tags just before it
};

// Events handed over together. An element's Attr events are always in the block of its Start.
struct XmlEventBlock {
    static constexpr std::size_t kEvents = 4096;   // a block is closed at the first element past it
    const char* data = nullptr;
    std::size_t readable = 0;           // data before it is final: it may be loaded freely
    std::vector<XmlEvent> events;
};

} // namespace docx
