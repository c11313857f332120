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

// An ICU regular expression run over prepared text with a bound on the work per search.
// Not thread-safe: it keeps one ICU matcher.
class RegexSearch {
public:
    // firstChars, when not empty, is an ICU set holding every character a match can begin with:
    // the search then tries the pattern only where such a character stands.
    // Throws 5560 when ICU refuses the pattern or the set.
    explicit RegexSearch(const QString& pattern, const QString& firstChars = {});
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
