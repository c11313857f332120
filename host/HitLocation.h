#pragma once

#include "platform/word/Location.h"


// A hit's location as `tarvelin find --json` writes it; the words of the listings are
// word::locationText.
namespace host {

class ByteSink;

// Appends to out the members of a JSON object (without its braces): "section", and as they apply
// "kind", "note", "comment", "textBox" and "table".
void appendLocationJson(ByteSink& out, const word::Location& at, const docx::Document& model);

} // namespace host
