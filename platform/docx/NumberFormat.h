#pragma once

#include <QString>

namespace docx {

// n written in a numbering format (a w:numFmt value), as Word writes list labels and note
// numbers; decimal for formats not known here and for n < 1, nothing for "none".
QString formatNumber(int n, const QString& format);

} // namespace docx
