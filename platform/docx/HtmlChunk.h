#pragma once

#include "platform/docx/Story.h"

#include <QString>

#include <string_view>

namespace docx {

// HTML that a document imports (w:altChunk) as story content, the way Word brings it in when it
// opens the document: block elements as paragraphs, tables as tables, links as HYPERLINK fields,
// pictures as picture characters, and the formatting Find tests (colour, strike-through,
// highlight, hidden text). libxml2's HTML parser reads it, recovering from broken markup as
// browsers do. Throws TooDeep, naming the file at path, for nesting beyond what is walked.
Story importHtml(std::string_view html, const QString& path);

} // namespace docx
