#pragma once

#include "platform/docx/TextWalker.h"

#include <QString>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace docx {

class Relationships;
class ZipReader;

// Reads the parts of other formats that a package's parts import (w:altChunk) and converts each
// into story content, as Word does when it opens the document: HTML and plain text here, a
// WordprocessingML document through this reader (its main story, with the chunks it imports in
// turn, up to kMaxNesting deep). A part that cannot be converted (RTF, MHT, any other format) is
// searched by nobody, and is named once in notices instead.
class ChunkImporter {
public:
    static constexpr int kMaxNesting = 8;

    // nesting: how deeply the package at path is itself imported, 0 for the file itself.
    ChunkImporter(ZipReader& zip, const QString& path, int nesting);
    // The chunks rels lead to, by relationship id. Only on the thread that has the zip.
    Chunks read(const Relationships& rels);

    std::vector<QString> notices;   // Japanese, one for each part left unsearched

private:
    struct ContentTypes {
        std::map<std::string, std::string> defaults;    // by lower-case extension
        std::map<std::string, std::string> overrides;   // by partNameKey
    };
    std::string contentType(const std::string& part);
    Story convert(const std::string& part);
    void notice(const std::string& part, const QString& why);

    ZipReader& m_zip;
    QString m_path;
    int m_nesting;
    std::optional<ContentTypes> m_types;     // read when a chunk first needs it
    std::map<std::string, Story> m_parts;    // each part converted once
};

} // namespace docx
