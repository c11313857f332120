#include "platform/match/RegexSearch.h"

#include "platform/match/Errors.h"

#include <unicode/regex.h>
#include <unicode/unistr.h>

#include <mutex>
#include <vector>

namespace match {

namespace {
// ICU counts work in units of 10,000 steps: a fixed allowance plus a few dozen steps per
// character still to scan, so long legitimate scans finish and exponential ones stop.
constexpr int32_t kBaseLimit = 200;
constexpr int32_t kCharsPerUnit = 200;
constexpr size_t kKeptPatterns = 16;

// Compiled patterns are shared (ICU patterns are immutable): a search over a document builds a
// matcher per story, and compiling the word-boundary classes costs more than scanning a story.
std::shared_ptr<const icu::RegexPattern> compiled(const QString& pattern)
{
    static std::mutex mutex;
    static std::vector<std::pair<QString, std::shared_ptr<const icu::RegexPattern>>> recent;
    const std::lock_guard lock(mutex);
    for (const auto& [text, compiled] : recent)
        if (text == pattern)
            return compiled;
    UErrorCode st = U_ZERO_ERROR;
    UParseError pe;
    const icu::UnicodeString p(reinterpret_cast<const UChar*>(pattern.utf16()), static_cast<int32_t>(pattern.size()));
    std::shared_ptr<const icu::RegexPattern> made(icu::RegexPattern::compile(p, 0, pe, st));
    if (U_FAILURE(st))
        throw invalidPattern();
    if (recent.size() == kKeptPatterns)
        recent.erase(recent.begin());
    recent.emplace_back(pattern, made);
    return made;
}

} // namespace

RegexSearch::RegexSearch(const QString& pattern) : m_pattern(compiled(pattern))
{
    UErrorCode st = U_ZERO_ERROR;
    m_matcher.reset(m_pattern->matcher(st));
    if (U_FAILURE(st))
        throw invalidPattern();
    m_matcher->useTransparentBounds(true);
    m_matcher->useAnchoringBounds(false);
}

RegexSearch::~RegexSearch() = default;

std::optional<std::pair<int32_t, int32_t>> RegexSearch::find(const std::u16string& text, int32_t regionStart,
                                                             int32_t regionEnd, int32_t startAt)
{
    if (startAt >= regionEnd)
        return std::nullopt;
    if (m_inputData != text.data() || m_inputSize != text.size()) {
        m_input = std::make_unique<icu::UnicodeString>(false, text.data(), static_cast<int32_t>(text.size()));
        m_matcher->reset(*m_input);
        m_inputData = text.data();
        m_inputSize = text.size();
    }
    UErrorCode st = U_ZERO_ERROR;
    m_matcher->region(regionStart, regionEnd, startAt, st);
    m_matcher->setTimeLimit(kBaseLimit + (regionEnd - startAt) / kCharsPerUnit, st);
    const bool found = m_matcher->find(st);
    if (st == U_REGEX_TIME_OUT || st == U_REGEX_STACK_OVERFLOW)
        throw searchTooComplex();
    if (U_FAILURE(st) || !found)
        return std::nullopt;
    return std::make_pair(m_matcher->start(st), m_matcher->end(st));
}

} // namespace match
