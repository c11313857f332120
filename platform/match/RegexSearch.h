#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include <unicode/uversion.h>

U_NAMESPACE_BEGIN
class RegexPattern;
class RegexMatcher;
class UnicodeString;
U_NAMESPACE_END

namespace match {

// An ICU regular expression run over prepared text with a bound on the work per search.
// Not thread-safe: it keeps one ICU matcher.
class RegexSearch {
public:
    // Throws 5560 when ICU refuses the pattern.
    explicit RegexSearch(const QString& pattern);
    ~RegexSearch();

    // The first match starting at or after startAt inside [regionStart, regionEnd) of text
    // (context outside the region is seen by look-around). Throws 4198 when the work bound is hit.
    std::optional<std::pair<int32_t, int32_t>> find(const std::u16string& text, int32_t regionStart,
                                                    int32_t regionEnd, int32_t startAt);

private:
    std::shared_ptr<const icu::RegexPattern> m_pattern;
    std::unique_ptr<icu::RegexMatcher> m_matcher;
    std::unique_ptr<icu::UnicodeString> m_input;
    const char16_t* m_inputData = nullptr;
    size_t m_inputSize = 0;
};

} // namespace match
