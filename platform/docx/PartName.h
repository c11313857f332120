#pragma once

#include <string>
#include <string_view>

namespace docx {

// name with "." and ".." segments resolved and empty ones dropped (so no leading '/'): how a
// relationship's target and a zip entry's name are read as a part name.
std::string normalPartName(std::string_view name);

// s with ASCII letters lower-cased and every other byte kept: how part names, media types and
// the names in markup compare without regard to case.
std::string asciiLower(std::string_view s);

// The key two zip entry names share exactly when they name the same part: the normal name with
// ASCII letters lower-cased (part names compare without regard to ASCII case). A package holding
// two entries with one key is damaged; a writer checks its names with this too, so it never
// makes one.
std::string partNameKey(std::string_view name);

} // namespace docx
