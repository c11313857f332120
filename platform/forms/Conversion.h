#pragma once

#include <QString>

#include <cstdint>

namespace forms {

// The runtime's CLng: a decimal text (blanks around it allowed) as a 32-bit integer. Raises 13
// for a text that is not a number and 6 for one outside the 32-bit range.
int32_t CLng(const QString& text);

} // namespace forms
