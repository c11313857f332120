#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include <unicode/utypes.h>

U_NAMESPACE_BEGIN
class RegexMatcher;
class UnicodeString;
U_NAMESPACE_END

namespace match {

// Where a pattern's matches can begin, as ICU sets: first holds every character a match can
// begin with (empty: not known); notAfter, if not empty, the characters that never stand just
// before a match.
struct StartChars {
    QString first;
    QString notAfter;
};

// An ICU regular expression run over prepared text with a bound on the work per search.
// Not thread-safe: it keeps one ICU matcher.
class RegexSearch {
public:
    // With known start characters the pattern is tried only where they stand.
    // Throws 5560 when ICU refuses the pattern or a set.
    explicit RegexSearch(const QString& pattern, const StartChars& start = {});
    ~RegexSearch();

    // The first match starting at or after startAt inside [regionStart, regionEnd) of text
    // (context outside the region is seen by look-around). Throws 4198 when the work bound is hit.
    std::optional<std::pair<int32_t, int32_t>> find(const std::u16string& text, int32_t regionStart,
                                                    int32_t regionEnd, int32_t startAt);

    struct Compiled;

private:
    std::optional<std::pair<int32_t, int32_t>> result(bool found, UErrorCode st) const;
    int32_t nextCandidate(const std::u16string& text, int32_t from, int32_t end) const;

    std::shared_ptr<const Compiled> m_compiled;
    std::unique_ptr<icu::RegexMatcher> m_matcher;
    std::unique_ptr<icu::UnicodeString> m_input;
    const char16_t* m_inputData = nullptr;
    size_t m_inputSize = 0;
    int64_t m_workLeft = 0; // units of 10,000 steps left for the current find
};

} // namespace match
