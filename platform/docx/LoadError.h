#pragma once

#include "platform/core/Error.h"

#include <QString>

namespace docx {

// Why a package could not be opened. Every failure of load() is one of these.
enum class LoadFailure {
    NotFound,        // missing or unreadable file
    Empty,           // zero-length file
    NotZip,          // not a zip archive
    OleFile,         // compound file: old binary .doc or an encrypted package
    Corrupt,         // the archive or one of its entries cannot be read
    NoMainPart,      // no WordprocessingML main document
    BadXml,          // a part is not well-formed XML
    TooLarge,        // a part or the whole package inflates beyond the bounds
    TooManyEntries,  // more zip entries than any real document has
    TooDeep,         // element nesting beyond what the reader walks
    DuplicatePart,   // two zip entries name one part
    Dtd,             // a part declares a DTD
};

// Word's numbers for a failed open.
constexpr int kErrFileNotFound = 5174;
constexpr int kErrFileCorrupt = 5792;

// The error load() throws: Word's number, our source name, a Japanese description naming the file.
// detail adds the part name or the parser's message where there is one.
core::Error loadError(LoadFailure why, const QString& path, const QString& detail = {});

} // namespace docx
