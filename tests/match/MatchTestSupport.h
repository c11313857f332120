#pragma once

#include "platform/docx/Story.h"
#include "platform/match/Matcher.h"

#include <vector>

namespace matchtest {

// A story whose text is all shown, unformatted.
inline docx::Story story(const QString& text, std::vector<docx::FormatRun> runs = {})
{
    docx::Story s;
    s.text = text;
    s.runs = runs.empty() ? std::vector<docx::FormatRun>{{0, {}}} : std::move(runs);
    return s;
}

// Every hit from the story's start, each search starting at the previous hit's end.
inline std::vector<match::Hit> allHits(const match::Query& q, const docx::Story& s)
{
    match::Matcher m(q);
    const auto prepared = m.prepare(s);
    std::vector<match::Hit> hits;
    int32_t from = 0;
    while (auto h = m.findForward(*prepared, from, s.length())) {
        hits.push_back(*h);
        from = h->end;
    }
    return hits;
}

inline match::Query query(const QString& text)
{
    match::Query q;
    q.text = text;
    return q;
}

} // namespace matchtest

namespace match {
inline void PrintTo(const Hit& h, std::ostream* os) { *os << "{" << h.start << "," << h.end << "}"; }
} // namespace match
