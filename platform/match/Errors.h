#pragma once

#include "platform/core/Error.h"

// The errors Find's matching raises, with Word's numbers and Japanese descriptions.
namespace match {

constexpr int kInvalidPatternError = 5560;   // Word's number for a bad pattern
constexpr int kSearchTooComplexError = 4198; // Word's "command failed": a pattern exceeded the work bound

// 5560: the find text holds an invalid pattern expression or a refused ^ code.
core::Error invalidPattern();
// 4198: matching needed more work than allowed (a pathological pattern).
core::Error searchTooComplex();

} // namespace match
