#pragma once

#include "platform/word/Location.h"

#include <QString>

// A hit's location as `tarvelin find --json` writes it; the words of the listings are
// word::locationText.
namespace host {

// The members of a JSON object (without its braces): "section", and as they apply "kind",
// "note", "comment", "textBox" and "table".
QString locationJson(const word::Location& at, const docx::Document& model);

} // namespace host
