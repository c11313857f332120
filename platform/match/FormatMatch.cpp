#include "platform/match/FormatMatch.h"

#include <algorithm>

namespace match {

namespace {

bool boolCriterion(int32_t criterion, bool value)
{
    return criterion == kUndefined || (criterion != 0) == value;
}

// Index of the run covering p.
size_t runIndex(const docx::Story& story, int32_t p)
{
    return static_cast<size_t>(&story.runAt(p) - story.runs.data());
}

int32_t runEnd(const docx::Story& story, size_t r)
{
    return r + 1 < story.runs.size() ? story.runs[r + 1].start : story.length();
}

// Whether position p can belong to a formatting stretch.
bool qualifies(const docx::Story& story, const FormatCriteria& c, const docx::CharFormat& f, int32_t p)
{
    return docx::inFindText(f.cls) && story.text[p] != QChar(docx::cp::CellMark) && satisfies(c, f);
}

} // namespace

bool satisfies(const FormatCriteria& c, const docx::CharFormat& f)
{
    return boolCriterion(c.highlight, f.highlight) && (c.color == kUndefined || c.color == f.color)
        && boolCriterion(c.strikeThrough, f.strike) && boolCriterion(c.doubleStrikeThrough, f.doubleStrike);
}

bool allSatisfy(const docx::Story& story, const FormatCriteria& criteria, int32_t start, int32_t end)
{
    if (!criteria.active() || start >= end)
        return true;
    for (size_t r = runIndex(story, start); r < story.runs.size() && story.runs[r].start < end; ++r) {
        const docx::CharFormat& f = story.runs[r].format;
        if (docx::inFindText(f.cls) && !satisfies(criteria, f))
            return false;
    }
    return true;
}

std::optional<Hit> firstStretch(const docx::Story& story, const FormatCriteria& criteria, int32_t from, int32_t to)
{
    from = std::max(from, 0);
    to = std::min(to, story.length());
    int32_t start = -1;
    for (size_t r = from < to ? runIndex(story, from) : story.runs.size(); r < story.runs.size(); ++r) {
        const docx::CharFormat& f = story.runs[r].format;
        const int32_t b = std::max(story.runs[r].start, from), e = std::min(runEnd(story, r), to);
        for (int32_t p = b; p < e; ++p) {
            if (qualifies(story, criteria, f, p)) {
                if (start < 0)
                    start = p;
            } else if (start >= 0) {
                return Hit{start, p};
            } else if (!docx::inFindText(f.cls) || !satisfies(criteria, f)) {
                break; // the rest of this run cannot start a stretch
            }
        }
        if (e >= to)
            break;
    }
    if (start >= 0)
        return Hit{start, to};
    return std::nullopt;
}

std::optional<Hit> lastStretch(const docx::Story& story, const FormatCriteria& criteria, int32_t from, int32_t to)
{
    from = std::max(from, 0);
    to = std::min(to, story.length());
    int32_t end = -1;
    for (int32_t r = from < to ? static_cast<int32_t>(runIndex(story, to - 1)) : -1; r >= 0; --r) {
        const docx::CharFormat& f = story.runs[r].format;
        const int32_t b = std::max(story.runs[r].start, from), e = std::min(runEnd(story, r), to);
        for (int32_t p = e - 1; p >= b; --p) {
            if (qualifies(story, criteria, f, p)) {
                if (end < 0)
                    end = p + 1;
            } else if (end >= 0) {
                return Hit{p + 1, end};
            }
        }
        if (b <= from)
            break;
    }
    if (end >= 0)
        return Hit{from, end};
    return std::nullopt;
}

} // namespace match
