// docx: a whole package loaded from the bytes, then a literal, a wildcard and a fuzzy Find over
// every story; each hit must lie inside its story and follow the one before.
#include "fuzz/MemoryFile.h"
#include "fuzz/Targets.h"

#include "platform/core/Error.h"
#include "platform/docx/LoadError.h"
#include "platform/docx/Package.h"
#include "platform/match/Errors.h"
#include "platform/match/Matcher.h"

namespace fuzz {

namespace {

match::Query query(const QString& text, bool wildcards, bool fuzzy)
{
    match::Query q;
    q.text = text;
    q.matchWildcards = wildcards;
    q.matchFuzzy = fuzzy;
    return q;
}

void findAll(const match::Query& q, const docx::Document& doc)
{
    match::Matcher matcher(q);
    for (const docx::Story& story : doc.stories) {
        const auto prepared = matcher.prepare(story);
        try {
            for (int32_t from = 0; from < story.length();) {
                const std::optional<match::Hit> hit = matcher.findForward(*prepared, from, story.length());
                if (!hit)
                    break;
                check(hit->start >= from && hit->start < hit->end && hit->end <= story.length(), "docx: a hit outside its range");
                from = hit->end;
            }
        } catch (const core::Error& e) {
            check(q.matchWildcards && e.number() == match::kSearchTooComplexError, "docx: a search failed");
        }
    }
}

} // namespace

void docx(const uint8_t* data, std::size_t size)
{
    const MemoryFile file(data, size);
    docx::Document doc;
    try {
        doc = docx::load(file.path());
    } catch (const core::Error& e) {
        check(e.number() == docx::kErrFileCorrupt, "docx: unexpected error number");
        return;
    }
    findAll(query(QStringLiteral("the"), false, false), doc);
    findAll(query(QStringLiteral("<[A-Za-z]{2,}>"), true, false), doc);
    findAll(query(QStringLiteral("テスト"), false, true), doc);
}

} // namespace fuzz
