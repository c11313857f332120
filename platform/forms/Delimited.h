#pragma once

#include <QString>
#include <QStringList>

// Rows of text fields written out as lines: tab-separated for the clipboard, comma-separated
// (RFC 4180) for files.
namespace forms {

// Control characters shown visibly, so that a field never breaks its line: a paragraph mark as
// ¶, the others as their U+2400 control pictures.
QString visibleControls(QString text);
// What one character is shown as by visibleControls.
char16_t visibleControl(char16_t c);

// One record of comma-separated values ending in CR LF: a field holding a quote, a comma or a
// line end is quoted, its quotes doubled.
QString csvRecord(const QStringList& fields);

// The byte order mark by which spreadsheet programs know a CSV file is UTF-8.
inline constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

} // namespace forms
