#pragma once

#include "platform/docx/Xml.h"
#include "platform/docx/ZipReader.h"

#include <QString>

#include <pugixml.hpp>

#include <cstddef>
#include <optional>
#include <string>

namespace docx {

// The main document read and parsed a slice of w:body's children at a time, so only one slice's
// bytes and DOM are alive at once (a whole document's DOM is over twice its XML). A slice is a
// window of the part parsed as it stands: the parse stops where the window ends, and the body's
// last child, which the window may have cut short, is dropped and starts the next window behind
// the root and body start tags. A part that cannot be cut (a single huge child, a part not in
// UTF-8) comes as one slice.
class BodySlices {
public:
    static constexpr std::size_t kSliceBytes = 256u << 10;

    // Opens part; throws Corrupt or TooLarge.
    BodySlices(ZipReader& zip, const std::string& part, const QString& path);
    // Parses the next slice into slice, which keeps the bytes its DOM points into; false once the
    // part is done. Throws BadXml or Corrupt.
    bool next(XmlPart& slice);

private:
    std::size_t dropCutChild(XmlPart& slice);
    void keepHead(const XmlPart& slice, pugi::xml_node root, pugi::xml_node body);
    [[noreturn]] void fail(const pugi::xml_parse_result& res) const;

    ZipEntry m_entry;
    std::string m_part;
    const QString& m_path;
    std::string m_buf;           // the head (after the first slice), then bytes not yet handed out
    std::string m_head;          // root and body start tags
    std::optional<Vocabulary> m_vocabulary;
    std::size_t m_sliceStart = 0; // where the window's own bytes start in m_buf
    std::size_t m_handedOut = 0;  // part bytes in earlier slices, for error offsets
    bool m_cuttable = true;
    bool m_done = false;
    pugi::xml_encoding m_encoding = pugi::encoding_auto;
};

} // namespace docx
