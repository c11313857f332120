#include "platform/match/RegexSearch.h"

#include "platform/match/Errors.h"

#include <unicode/regex.h>
#include <unicode/uniset.h>
#include <unicode/unistr.h>
#include <unicode/utf16.h>

#include <array>
#include <mutex>
#include <vector>

namespace match {

using UnitSet = std::array<bool, 0x10000>;

// A compiled pattern with the code units a match can begin at (all when nothing is known) and
// those that never stand before one.
struct RegexSearch::Compiled {
    std::unique_ptr<icu::RegexPattern> pattern;
    std::unique_ptr<UnitSet> first;
    std::unique_ptr<UnitSet> notAfter;
};

namespace {
// ICU counts work in units of 10,000 steps: a fixed allowance plus a few dozen steps per
// character still to scan, so long legitimate scans finish and exponential ones stop.
constexpr int32_t kBaseLimit = 200;
constexpr int32_t kCharsPerUnit = 200;
constexpr size_t kKeptPatterns = 16;

// The code units of an ICU set's characters; a supplementary character marks its lead surrogate.
std::unique_ptr<UnitSet> unitsOf(const QString& set)
{
    UErrorCode st = U_ZERO_ERROR;
    const icu::UnicodeString p(reinterpret_cast<const UChar*>(set.utf16()), static_cast<int32_t>(set.size()));
    const icu::UnicodeSet chars(p, st);
    if (U_FAILURE(st))
        throw invalidPattern();
    auto units = std::make_unique<UnitSet>();
    for (int32_t r = 0; r < chars.getRangeCount(); ++r) {
        const UChar32 lo = chars.getRangeStart(r), hi = chars.getRangeEnd(r);
        for (UChar32 c = lo; c <= std::min<UChar32>(hi, 0xFFFF); ++c)
            (*units)[static_cast<size_t>(c)] = true;
        if (hi > 0xFFFF) // a supplementary character begins with its lead surrogate
            for (UChar32 c = std::max<UChar32>(lo, 0x10000); c <= hi; c = (c | 0x3FF) + 1)
                (*units)[U16_LEAD(c)] = true;
    }
    return units;
}

// Compiled patterns are shared (ICU patterns are immutable): a search over a document builds a
// matcher per story, and compiling the word-boundary classes costs more than scanning a story.
std::shared_ptr<const RegexSearch::Compiled> compiled(const QString& pattern, const StartChars& start)
{
    static std::mutex mutex;
    static std::vector<std::pair<QString, std::shared_ptr<const RegexSearch::Compiled>>> recent;
    const QString key = pattern + QChar(0) + start.first + QChar(0) + start.notAfter;
    const std::lock_guard lock(mutex);
    for (const auto& [text, made] : recent)
        if (text == key)
            return made;
    UErrorCode st = U_ZERO_ERROR;
    UParseError pe;
    const icu::UnicodeString p(reinterpret_cast<const UChar*>(pattern.utf16()), static_cast<int32_t>(pattern.size()));
    auto made = std::make_shared<RegexSearch::Compiled>();
    made->pattern.reset(icu::RegexPattern::compile(p, 0, pe, st));
    if (U_FAILURE(st))
        throw invalidPattern();
    if (!start.first.isEmpty()) {
        made->first = unitsOf(start.first);
        if (!start.notAfter.isEmpty())
            made->notAfter = unitsOf(start.notAfter);
    }
    if (recent.size() == kKeptPatterns)
        recent.erase(recent.begin());
    recent.emplace_back(key, made);
    return made;
}

} // namespace

RegexSearch::RegexSearch(const QString& pattern, const StartChars& start) : m_compiled(compiled(pattern, start))
{
    UErrorCode st = U_ZERO_ERROR;
    m_matcher.reset(m_compiled->pattern->matcher(st));
    if (U_FAILURE(st))
        throw invalidPattern();
    m_matcher->useTransparentBounds(true);
    m_matcher->useAnchoringBounds(false);
    // Counts work over all tries of one find; ICU calls back once per unit of work.
    m_matcher->setMatchCallback(
        [](const void* self, int32_t) -> UBool {
            return --static_cast<RegexSearch*>(const_cast<void*>(self))->m_workLeft > 0;
        },
        this, st);
}

RegexSearch::~RegexSearch() = default;

int32_t RegexSearch::nextCandidate(const std::u16string& text, int32_t from, int32_t end) const
{
    const bool* first = m_compiled->first->data();
    const bool* notAfter = m_compiled->notAfter ? m_compiled->notAfter->data() : nullptr;
    const char16_t* t = text.data();
    for (; from < end; ++from) {
        if (!first[t[from]])
            continue;
        if (from == 0)
            return from;
        const char16_t before = t[from - 1];
        if (U16_IS_TRAIL(t[from]) && U16_IS_LEAD(before))
            continue; // never inside a pair
        if (notAfter && notAfter[before] && !U16_IS_SURROGATE(before))
            continue;
        return from;
    }
    return end;
}

std::optional<std::pair<int32_t, int32_t>> RegexSearch::result(bool found, UErrorCode st) const
{
    if (st == U_REGEX_TIME_OUT || st == U_REGEX_STACK_OVERFLOW || st == U_REGEX_STOPPED_BY_CALLER)
        throw searchTooComplex();
    if (U_FAILURE(st) || !found)
        return std::nullopt;
    return std::make_pair(m_matcher->start(st), m_matcher->end(st));
}

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
    m_workLeft = kBaseLimit + (regionEnd - startAt) / kCharsPerUnit;
    m_matcher->setTimeLimit(static_cast<int32_t>(m_workLeft), st);
    if (!m_compiled->first) {
        m_matcher->region(regionStart, regionEnd, startAt, st);
        const bool found = m_matcher->find(st);
        return result(found, st);
    }
    // Try the pattern only where a match can begin.
    for (int32_t at = nextCandidate(text, startAt, regionEnd); at < regionEnd;
         at = nextCandidate(text, at + 1, regionEnd)) {
        m_matcher->region(at, regionEnd, st);
        const bool found = m_matcher->lookingAt(st);
        if (found || U_FAILURE(st))
            return result(found, st);
    }
    return std::nullopt;
}

} // namespace match
