#pragma once

#include "platform/docx/Story.h"
#include "platform/match/Query.h"

#include <optional>

// Formatting criteria checked against a story's resolved character formatting.
namespace match {

// Whether one character's formatting meets every set criterion.
bool satisfies(const FormatCriteria& criteria, const docx::CharFormat& format);

// Whether every matchable position of [start, end) meets the criteria (others are ignored).
bool allSatisfy(const docx::Story& story, const FormatCriteria& criteria, int32_t start, int32_t end);

// The first stretch in [from, to) of matchable positions that all meet the criteria, as long as
// possible; it crosses paragraph marks and ends at cell marks and at unmatchable positions.
std::optional<Hit> firstStretch(const docx::Story& story, const FormatCriteria& criteria, int32_t from, int32_t to);
// The last such stretch in [from, to).
std::optional<Hit> lastStretch(const docx::Story& story, const FormatCriteria& criteria, int32_t from, int32_t to);

} // namespace match
