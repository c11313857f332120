// wildcards: the fuzzer's bytes as a pattern (UTF-8), searched for over a fixed text. Every
// pattern compiles or raises 5560; every search ends, with hits inside the text or with 4198.
#include "fuzz/Targets.h"

#include "platform/core/Error.h"
#include "platform/docx/Story.h"
#include "platform/match/Errors.h"
#include "platform/match/Matcher.h"

namespace fuzz {

namespace {

docx::Story fixedText()
{
    docx::Story s;
    s.text = QStringLiteral("The quick brown fox jumps over the lazy dog. aaaaaaaaaaaaaaaaaaaaaaaaaaaaaab "
                            "東京都の会議資料、カタカナ・ひらがな 123-4567 (x) [y] {z} ^t\t\r");
    s.runs.push_back({});
    return s;
}

} // namespace

void wildcards(const uint8_t* data, std::size_t size)
{
    static const docx::Story text = fixedText();
    match::Query q;
    q.text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    q.matchWildcards = true;
    std::optional<match::Matcher> matcher;
    try {
        matcher.emplace(q);
    } catch (const core::Error& e) {
        check(e.number() == match::kInvalidPatternError, "wildcards: a pattern failed otherwise than with 5560");
        return;
    }
    const auto prepared = matcher->prepare(text);
    try {
        for (int32_t from = 0; from < text.length();) {
            const std::optional<match::Hit> hit = matcher->findForward(*prepared, from, text.length());
            if (!hit)
                break;
            check(hit->start >= from && hit->start < hit->end && hit->end <= text.length(), "wildcards: a hit outside its range");
            from = hit->end;
        }
        if (const std::optional<match::Hit> last = matcher->findBackward(*prepared, 0, text.length()))
            check(last->start >= 0 && last->start < last->end && last->end <= text.length(), "wildcards: a hit outside its range");
    } catch (const core::Error& e) {
        check(e.number() == match::kSearchTooComplexError, "wildcards: a search failed otherwise than with 4198");
    }
}

} // namespace fuzz
