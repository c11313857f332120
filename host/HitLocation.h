#pragma once

#include "platform/word/Location.h"

#include <QString>

// A hit's location in the words people use for it, for the listings `tarvelin find` writes.
namespace host {

// One line: "セクション 2、先頭ページのヘッダー", "セクション 1、脚注 ii", "セクション 1、表 1 の 2 行 3 列" ...
QString locationText(const word::Location& at, const docx::Document& model);

// The members of a JSON object (without its braces): "section", and as they apply "kind",
// "note", "comment", "textBox" and "table".
QString locationJson(const word::Location& at, const docx::Document& model);

} // namespace host
