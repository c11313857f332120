#pragma once

#include "platform/match/Folding.h"

#include <string_view>

namespace match {

// Normalises s under the enabled fuzzy rules into out, keeping each unit's source span.
// Skipped characters (punctuation, spaces, dropped long-vowel marks) produce no unit.
void foldFuzzy(std::u16string_view s, const FuzzyOptions& options, FoldBuffer& out);

} // namespace match
