#include "platform/word/StoryEdit.h"

#include "platform/word/WordError.h"

#include <algorithm>

namespace word {

namespace {

bool insertable(QChar c)
{
    // Tabs and line breaks are written as their own elements inside the run; every other control
    // character is a mark of the document's structure.
    return c.unicode() >= 0x20 || c.unicode() == docx::cp::Tab || c.unicode() == docx::cp::LineBreak;
}

// Appends a run, merging it with the last one when they look the same.
void pushRun(std::vector<docx::FormatRun>& runs, int32_t start, const docx::CharFormat& f)
{
    if (!runs.empty() && runs.back().start == start)
        runs.pop_back();
    if (runs.empty() || runs.back().format != f)
        runs.push_back({start, f});
}

// The runs over [from, to) of story as they were, shifted by shift.
void copyRuns(const docx::Story& s, int32_t from, int32_t to, int32_t shift, std::vector<docx::FormatRun>& out)
{
    if (from >= to)
        return;
    auto it = std::upper_bound(s.runs.begin(), s.runs.end(), from,
                               [](int32_t p, const docx::FormatRun& r) { return p < r.start; });
    pushRun(out, from + shift, (it - 1)->format);
    for (; it != s.runs.end() && it->start < to; ++it)
        pushRun(out, it->start + shift, it->format);
}

} // namespace

namespace {

// Checks that [start, end) may be replaced by text and returns the source the text joins: that
// of the first replaced character, else the one holding the character before the insertion
// point, else the one starting at it. With no text and no such source, the first source ending
// at or after start (never read then). Sets i0 and i1 to the sources touching [start, end].
std::size_t targetSource(const docx::Story& s, int32_t start, int32_t end, const QString& text, std::size_t& i0,
                         std::size_t& i1)
{
    if (start < 0 || end < start || end > s.length())
        throw wordError(ValueOutOfRange);
    for (QChar c : text)
        if (!insertable(c))
            throw cannotEdit(c.unicode() == docx::cp::ParagraphMark
                                 ? QStringLiteral("この位置で段落を分けることはできません。")
                                 : QStringLiteral("この文字は挿入できません。"));

    const auto& src = s.sources;
    i0 = std::lower_bound(src.begin(), src.end(), start,
                          [](const docx::TextSource& t, int32_t p) { return t.pos + t.len < p; })
         - src.begin();
    i1 = i0;
    while (i1 < src.size() && src[i1].pos <= end)
        ++i1;
    // Every replaced position must lie in a source.
    int32_t covered = start;
    for (std::size_t i = i0; i < i1 && covered < end; ++i)
        if (src[i].pos <= covered)
            covered = std::max(covered, src[i].pos + src[i].len);
    if (covered < end)
        throw cannotEdit(QStringLiteral("注やコメントの参照記号、フィールド、図、表のセルや行の区切り、段落記号、セクション区切りを含む範囲は変更できません。"));

    for (std::size_t i = i0; i < i1; ++i)
        if (start < end ? (src[i].pos <= start && start < src[i].pos + src[i].len)
                        : (src[i].pos < start && start <= src[i].pos + src[i].len))
            return i;
    for (std::size_t i = i0; i < i1; ++i)
        if (src[i].pos == start)
            return i;
    if (!text.isEmpty())
        throw cannotEdit(QStringLiteral("この位置には文字を入力できません。文字の前か後ろで入力してください。"));
    return std::min(i0, src.empty() ? 0 : src.size() - 1);
}

} // namespace

StoryEdit planEdit(const docx::Story& s, int storyIndex, int32_t start, int32_t end, const QString& text)
{
    std::size_t i0 = 0, i1 = 0;
    const std::size_t target = targetSource(s, start, end, text, i0, i1);
    const auto& src = s.sources;

    StoryEdit e;
    e.story = storyIndex;
    e.at = start;
    e.removed = s.text.mid(start, end - start);
    e.inserted = text;
    const int32_t n = static_cast<int32_t>(text.size());
    const int32_t delta = e.delta();
    const std::size_t first = std::min(i0, target), last = std::min(src.size(), std::max(i1, target + 1));
    e.firstSource = first;
    const auto collapse = [&](int32_t p) { return p < start ? p : p > end ? p + delta - n : start; };
    for (std::size_t i = first; i < last; ++i) {
        const docx::TextSource& t = src[i];
        e.sourcesBefore.push_back({t.pos, t.len, t.changed});
        int32_t from = collapse(t.pos), to = collapse(t.pos + t.len);
        if (i == target)
            to += n;
        else if (i > target) {
            from += n;
            to += n;
        }
        const bool touched = (to - from) != t.len || i == target;
        e.sourcesAfter.push_back({from, to - from, t.changed || (touched && (n > 0 || end > start))});
    }

    // Runs: from the one holding the character before the edit to the one after the first run
    // that starts past it, so that merging never needs a run outside the slice.
    const auto runAfter = [&](int32_t p) {
        return static_cast<std::size_t>(std::upper_bound(s.runs.begin(), s.runs.end(), p,
                                                         [](int32_t q, const docx::FormatRun& r) { return q < r.start; })
                                        - s.runs.begin());
    };
    const std::size_t r0 = start > 0 ? runAfter(start - 1) - 1 : 0;
    std::size_t r1 = runAfter(end);   // the first run starting after end
    if (r1 < s.runs.size())
        ++r1;
    const int32_t regionStart = s.runs.empty() ? 0 : s.runs[r0].start;
    const int32_t regionEnd = r1 < s.runs.size() ? s.runs[r1].start : s.length();
    e.firstRun = r0;
    e.runsBefore.assign(s.runs.begin() + static_cast<std::ptrdiff_t>(r0), s.runs.begin() + static_cast<std::ptrdiff_t>(r1));
    copyRuns(s, regionStart, start, 0, e.runsAfter);
    if (n > 0)
        pushRun(e.runsAfter, start, src[target].format);
    copyRuns(s, end, regionEnd, delta, e.runsAfter);
    return e;
}

bool canReplace(const docx::Story& s, int32_t start, int32_t end, const QString& text)
{
    try {
        std::size_t i0 = 0, i1 = 0;
        targetSource(s, start, end, text, i0, i1);
        return true;
    } catch (const core::Error&) {
        return false;
    }
}

PositionMap::PositionMap(const std::vector<TextSpan>& spans)
{
    int32_t total = 0;
    for (const TextSpan& t : spans) {
        total += static_cast<int32_t>(t.text.size()) - (t.end - t.start);
        m_ends.push_back(t.end);
        m_shift.push_back(total);
    }
}

int32_t PositionMap::operator()(int32_t pos) const
{
    const auto it = std::upper_bound(m_ends.begin(), m_ends.end(), pos);
    return it == m_ends.begin() ? pos : pos + m_shift[static_cast<std::size_t>(it - m_ends.begin() - 1)];
}

StoryState planBatch(const docx::Story& s, const std::vector<TextSpan>& spans)
{
    std::vector<std::size_t> targets;
    targets.reserve(spans.size());
    qsizetype length = s.text.size();
    for (std::size_t k = 0; k < spans.size(); ++k) {
        const TextSpan& t = spans[k];
        if (k > 0 && t.start < spans[k - 1].end)
            throw wordError(ValueOutOfRange);
        std::size_t i0 = 0, i1 = 0;
        targets.push_back(targetSource(s, t.start, t.end, t.text, i0, i1));
        length += t.text.size() - (t.end - t.start);
    }

    StoryState out;
    out.text.reserve(length);
    int32_t at = 0, shift = 0;
    for (std::size_t k = 0; k < spans.size(); ++k) {
        const TextSpan& t = spans[k];
        out.text += QStringView(s.text).mid(at, t.start - at);
        out.text += t.text;
        copyRuns(s, at, t.start, shift, out.runs);
        if (!t.text.isEmpty())
            pushRun(out.runs, t.start + shift, s.sources[targets[k]].format);
        shift += static_cast<int32_t>(t.text.size()) - (t.end - t.start);
        at = t.end;
    }
    out.text += QStringView(s.text).mid(at);
    copyRuns(s, at, s.length(), shift, out.runs);

    // A source boundary moves back by what the spans removed before it and on by what they
    // inserted before it: a span's text lies after every boundary of the sources before its
    // target and the target's start, before the target's end and every later source.
    out.sources.reserve(s.sources.size());
    std::size_t full = 0, ins = 0;          // spans wholly before the boundary; spans inserted before the source
    int32_t removedFull = 0, insertedBefore = 0;
    const auto removedBefore = [&](int32_t b) {
        while (full < spans.size() && spans[full].end <= b) {
            removedFull += spans[full].end - spans[full].start;
            ++full;
        }
        return removedFull + (full < spans.size() && spans[full].start < b ? b - spans[full].start : 0);
    };
    for (std::size_t j = 0; j < s.sources.size(); ++j) {
        const docx::TextSource& src = s.sources[j];
        while (ins < spans.size() && targets[ins] < j)
            insertedBefore += static_cast<int32_t>(spans[ins++].text.size());
        int32_t own = 0;
        bool target = false;
        for (std::size_t k = ins; k < spans.size() && targets[k] == j; ++k) {
            own += static_cast<int32_t>(spans[k].text.size());
            target = target || !spans[k].text.isEmpty();
        }
        const int32_t from = src.pos - removedBefore(src.pos) + insertedBefore;
        const int32_t to = src.pos + src.len - removedBefore(src.pos + src.len) + insertedBefore + own;
        docx::TextSource moved = src;
        moved.pos = from;
        moved.len = to - from;
        moved.changed = src.changed || target || to - from != src.len;
        out.sources.push_back(moved);
    }

    const PositionMap map(spans);
    for (auto [from, into] : {std::pair{&s.symbols, &out.symbols}, std::pair{&s.rowEnds, &out.rowEnds}})
        for (int32_t p : *from)
            into->push_back(map(p));
    out.look = s.look;
    out.look.remap(map);
    out.cells = s.cells;
    for (docx::TableCell& c : out.cells) {
        c.start = map(c.start);
        c.end = map(c.end);
    }
    return out;
}

docx::CharFormat FormatChange::applied(docx::CharFormat f) const
{
    f.highlight = highlight.value_or(f.highlight);
    f.color = color.value_or(f.color);
    f.strike = strike.value_or(f.strike);
    f.doubleStrike = doubleStrike.value_or(f.doubleStrike);
    return f;
}

StoryState planFormat(const docx::Story& s, const std::vector<std::pair<int32_t, int32_t>>& spans,
                      const FormatChange& change)
{
    StoryState out{s.text, {}, {}, s.symbols, s.rowEnds, s.look, s.cells};
    out.sources.reserve(s.sources.size() + 2 * spans.size());
    // Stretches of w:t text whose format the change alters, in position order.
    struct Override {
        int32_t start, end;
        docx::CharFormat format;
    };
    std::vector<Override> overrides;
    std::size_t k = 0;
    for (const docx::TextSource& src : s.sources) {
        const int32_t end = src.pos + src.len;
        while (k < spans.size() && spans[k].second <= src.pos)
            ++k;
        const docx::CharFormat changed = change.applied(src.format);
        if (k == spans.size() || spans[k].first >= end || src.len == 0 || changed == src.format) {
            out.sources.push_back(src);
            continue;
        }
        // Cut the source where spans begin and end inside it.
        int32_t at = src.pos;
        for (std::size_t j = k; j < spans.size() && spans[j].first < end && at < end; ++j) {
            const int32_t from = std::max(at, spans[j].first), to = std::min(end, spans[j].second);
            if (from > at)
                out.sources.push_back({at, from - at, src.tagAt, src.rPrAt, src.format, src.loaded, true});
            out.sources.push_back({from, to - from, src.tagAt, src.rPrAt, changed, src.loaded, true});
            overrides.push_back({from, to, changed});
            at = to;
        }
        if (at < end)
            out.sources.push_back({at, end - at, src.tagAt, src.rPrAt, src.format, src.loaded, true});
    }
    int32_t at = 0;
    for (const Override& o : overrides) {
        copyRuns(s, at, o.start, 0, out.runs);
        pushRun(out.runs, o.start, o.format);
        at = o.end;
    }
    copyRuns(s, at, s.length(), 0, out.runs);
    return out;
}

void swapState(docx::Story& s, StoryState& state)
{
    s.text.swap(state.text);
    std::swap(s.sources, state.sources);
    std::swap(s.runs, state.runs);
    std::swap(s.symbols, state.symbols);
    std::swap(s.rowEnds, state.rowEnds);
    std::swap(s.look, state.look);
    std::swap(s.cells, state.cells);
    ++s.revision;
}

void applyEdit(docx::Story& s, const StoryEdit& e, bool forward)
{
    const QString& out = forward ? e.removed : e.inserted;
    const QString& in = forward ? e.inserted : e.removed;
    const int32_t delta = forward ? e.delta() : -e.delta();
    s.text.replace(e.at, out.size(), in);

    const auto& spans = forward ? e.sourcesAfter : e.sourcesBefore;
    for (std::size_t i = 0; i < spans.size(); ++i) {
        docx::TextSource& t = s.sources[e.firstSource + i];
        t.pos = spans[i].pos;
        t.len = spans[i].len;
        t.changed = spans[i].changed;
    }
    for (std::size_t i = e.firstSource + spans.size(); i < s.sources.size(); ++i)
        s.sources[i].pos += delta;

    const auto& was = forward ? e.runsBefore : e.runsAfter;
    const auto& now = forward ? e.runsAfter : e.runsBefore;
    const auto from = s.runs.begin() + static_cast<std::ptrdiff_t>(e.firstRun);
    const std::size_t later = e.firstRun + now.size();
    s.runs.erase(from, from + static_cast<std::ptrdiff_t>(was.size()));
    s.runs.insert(s.runs.begin() + static_cast<std::ptrdiff_t>(e.firstRun), now.begin(), now.end());
    for (std::size_t i = later; i < s.runs.size(); ++i)
        s.runs[i].start += delta;

    const int32_t after = e.at + static_cast<int32_t>(out.size());
    for (auto* marks : {&s.symbols, &s.rowEnds})
        for (int32_t& p : *marks)
            if (p >= after)
                p += delta;
    s.look.replace(e.at, after, static_cast<int32_t>(in.size()));
    for (docx::TableCell& c : s.cells)
        for (int32_t* p : {&c.start, &c.end})
            if (*p >= after)
                *p += delta;
    ++s.revision;
}

} // namespace word
