#include "platform/word/StoryEdit.h"

#include "platform/word/WordError.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <optional>

namespace word {

namespace {

bool insertable(QChar c)
{
    // Tabs and line breaks are written as their own elements inside the run, a paragraph mark
    // as the end of the paragraph; every other control character is a mark of the document's structure.
    return c.unicode() >= 0x20 || c.unicode() == docx::cp::Tab || c.unicode() == docx::cp::LineBreak
           || c.unicode() == docx::cp::ParagraphMark;
}

bool endsParagraph(QChar c)
{
    return c.unicode() == docx::cp::ParagraphMark || c.unicode() == docx::cp::CellMark;
}

// The first position at or after pos that ends a paragraph; the story's length if none.
int32_t markAfter(const docx::Story& s, int32_t pos)
{
    while (pos < s.length() && !endsParagraph(s.text[pos]))
        ++pos;
    return pos;
}

// Text XML can hold: no half of a surrogate pair alone, none of the two noncharacters XML excludes.
bool writable(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode()))
            ++i;
        else if (QChar::isSurrogate(c) || c == 0xFFFE || c == 0xFFFF)
            return false;
    }
    return true;
}

// Whether pos falls between the two halves of a surrogate pair.
bool insidePair(const docx::StoryText& text, int32_t pos)
{
    return pos > 0 && pos < text.size() && text[pos - 1].isHighSurrogate() && text[pos].isLowSurrogate();
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

// Appends the runs of inserted text at start: its characters in format, each paragraph mark in
// markFormat.
void pushInserted(std::vector<docx::FormatRun>& runs, int32_t start, const QString& text, const docx::CharFormat& format,
                  const docx::CharFormat& markFormat)
{
    for (qsizetype i = 0; i < text.size(); ++i)
        if (i == 0 || (text[i] == QChar(docx::cp::ParagraphMark)) != (text[i - 1] == QChar(docx::cp::ParagraphMark)))
            pushRun(runs, start + static_cast<int32_t>(i),
                    text[i] == QChar(docx::cp::ParagraphMark) ? markFormat : format);
}

// What paragraph marks an edit of [start, end) touches: a split or joined paragraph keeps the
// properties of the paragraph the edit starts in, so the marks typed and the mark that ends the
// joined paragraph take that paragraph's mark format.
struct Marks {
    bool joins = false;          // a paragraph mark is removed
    int32_t survivor = -1;       // then the mark that ends the joined paragraph
    docx::CharFormat format;     // the format of the paragraph's mark
};

Marks marksOf(const docx::Story& s, int32_t start, int32_t end, const QString& text)
{
    Marks m;
    int32_t first = start;
    while (first < end && !endsParagraph(s.text[first]))
        ++first;
    if (first < end) {
        m.joins = true;
        m.survivor = markAfter(s, end);
        m.format = s.runAt(first).format;
    } else if (text.contains(QChar(docx::cp::ParagraphMark))) {
        const int32_t mark = markAfter(s, end);
        if (mark < s.length())
            m.format = s.runAt(mark).format;
    }
    return m;
}

} // namespace

std::vector<docx::ParaLook> reparagraphed(const std::vector<docx::ParaLook>& paras, std::size_t from, std::size_t to,
                                          const std::vector<TextSpan>& spans)
{
    std::vector<docx::ParaLook> out;
    int32_t shift = 0;
    std::size_t k = 0;
    const auto typed = [&](const TextSpan& t) {
        for (qsizetype j = 0; j < t.text.size(); ++j)
            if (t.text[j] == QChar(docx::cp::ParagraphMark) && !out.empty()) {
                docx::ParaLook q = out.back();
                q.start = t.start + shift + static_cast<int32_t>(j) + 1;
                out.push_back(std::move(q));
            }
        shift += static_cast<int32_t>(t.text.size()) - (t.end - t.start);
    };
    for (std::size_t i = from; i < to; ++i) {
        bool joined = false;
        for (; k < spans.size() && spans[k].start < paras[i].start; ++k) {
            joined = joined || paras[i].start <= spans[k].end;
            typed(spans[k]);
        }
        if (!joined) {
            out.push_back(paras[i]);
            out.back().start += shift;
        }
    }
    for (; k < spans.size(); ++k)
        typed(spans[k]);
    return out;
}

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
            throw cannotEdit(QStringLiteral("この文字は挿入できません。"));
    if (!writable(text))
        throw cannotEdit(QStringLiteral("この文字は挿入できません。"));
    if (insidePair(s.text, start) || insidePair(s.text, end))
        throw cannotEdit(QStringLiteral("この位置には文字を入力できません。文字の前か後ろで入力してください。"));

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
        throw cannotEdit(QStringLiteral("注やコメントの参照記号、フィールド、図、表のセルや行の区切り、セクション区切り、表の前や文書の末尾の段落記号、スタイルの異なる段落の間の段落記号を含む範囲は変更できません。"));

    // The text joins the text of the first replaced character, else of the character before,
    // else the text starting at the edit, else the text right after the replaced characters.
    const std::function<bool(const docx::TextSource&)> rules[] = {
        [&](const docx::TextSource& t) { return start < end && t.pos <= start && start < t.pos + t.len; },
        [&](const docx::TextSource& t) { return t.pos < start && start <= t.pos + t.len; },
        [&](const docx::TextSource& t) { return t.pos == start; },
        [&](const docx::TextSource& t) { return t.pos == end; },
    };
    for (const auto& rule : rules)
        for (std::size_t i = i0; i < i1; ++i)
            if (src[i].takesText() && rule(src[i])) {
                if (text.contains(QChar(docx::cp::ParagraphMark)) && !src[i].splittable)
                    throw cannotEdit(QStringLiteral("ハイパーリンク、フィールド、コンテンツ コントロール、変更履歴の中や、セクション区切りのある段落は、この位置で分けることはできません。"));
                return i;
            }
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
    if (!text.isEmpty())
        e.textFrom = src[target].kind == docx::SourceKind::NewRun ? INT32_MIN : src[target].pos;
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
    // that starts past it (or past the mark that ends a joined paragraph), so that merging never
    // needs a run outside the slice.
    const Marks marks = marksOf(s, start, end, text);
    const auto runAfter = [&](int32_t p) {
        return static_cast<std::size_t>(std::upper_bound(s.runs.begin(), s.runs.end(), p,
                                                         [](int32_t q, const docx::FormatRun& r) { return q < r.start; })
                                        - s.runs.begin());
    };
    const std::size_t r0 = start > 0 ? runAfter(start - 1) - 1 : 0;
    std::size_t r1 = runAfter(std::max(end, marks.survivor));   // the first run starting after both
    if (r1 < s.runs.size())
        ++r1;
    const int32_t regionStart = s.runs.empty() ? 0 : s.runs[r0].start;
    const int32_t regionEnd = r1 < s.runs.size() ? s.runs[r1].start : s.length();
    e.firstRun = r0;
    e.runsBefore.assign(s.runs.begin() + static_cast<std::ptrdiff_t>(r0), s.runs.begin() + static_cast<std::ptrdiff_t>(r1));
    copyRuns(s, regionStart, start, 0, e.runsAfter);
    if (n > 0)
        pushInserted(e.runsAfter, start, text, src[target].format, marks.format);
    if (marks.survivor >= 0 && marks.survivor < s.length()) {
        copyRuns(s, end, marks.survivor, delta, e.runsAfter);
        pushRun(e.runsAfter, marks.survivor + delta, marks.format);
        copyRuns(s, marks.survivor + 1, regionEnd, delta, e.runsAfter);
    } else {
        copyRuns(s, end, regionEnd, delta, e.runsAfter);
    }

    // Paragraph looks: from the paragraph the edit starts in to the first one starting after it.
    const auto& paras = s.look.paras;
    const auto paraAfter = [&](int32_t p) {
        return static_cast<std::size_t>(std::upper_bound(paras.begin(), paras.end(), p,
                                                         [](int32_t q, const docx::ParaLook& l) { return q < l.start; })
                                        - paras.begin());
    };
    const std::size_t p0 = std::max<std::size_t>(paraAfter(start), 1) - 1, p1 = paraAfter(end);
    e.firstPara = std::min(p0, paras.size());
    e.parasBefore.assign(paras.begin() + static_cast<std::ptrdiff_t>(e.firstPara), paras.begin() + static_cast<std::ptrdiff_t>(p1));
    e.parasAfter = reparagraphed(paras, e.firstPara, p1, {{start, end, text}});
    std::copy(std::lower_bound(s.symbols.begin(), s.symbols.end(), start),
              std::lower_bound(s.symbols.begin(), s.symbols.end(), end), std::back_inserter(e.symbolsRemoved));
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
    // The mark that ends a joined paragraph, still to be copied, and the format it takes.
    std::optional<std::pair<int32_t, docx::CharFormat>> survivor;
    const auto copy = [&](int32_t from, int32_t to) {
        if (survivor && survivor->first >= from && survivor->first < to) {
            copyRuns(s, from, survivor->first, shift, out.runs);
            pushRun(out.runs, survivor->first + shift, survivor->second);
            copyRuns(s, survivor->first + 1, to, shift, out.runs);
            survivor.reset();
        } else {
            copyRuns(s, from, to, shift, out.runs);
        }
    };
    for (std::size_t k = 0; k < spans.size(); ++k) {
        const TextSpan& t = spans[k];
        out.text += QStringView(s.text).mid(at, t.start - at);
        out.text += t.text;
        copy(at, t.start);
        Marks marks = marksOf(s, t.start, t.end, t.text);
        if (survivor && survivor->first < t.end) {
            // This span removes the mark an earlier one left to end the joined paragraph.
            marks.format = survivor->second;
            survivor.reset();
        }
        if (!t.text.isEmpty())
            pushInserted(out.runs, t.start + shift, t.text, s.sources[targets[k]].format, marks.format);
        if (marks.joins && marks.survivor < s.length())
            survivor.emplace(marks.survivor, marks.format);
        shift += static_cast<int32_t>(t.text.size()) - (t.end - t.start);
        at = t.end;
    }
    out.text += QStringView(s.text).mid(at);
    copy(at, s.length());

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
    std::size_t span = 0;
    for (int32_t p : s.symbols) {
        while (span < spans.size() && spans[span].end <= p)
            ++span;
        if (span == spans.size() || p < spans[span].start)   // deleted symbols go
            out.symbols.push_back(map(p));
    }
    for (int32_t p : s.rowEnds)
        out.rowEnds.push_back(map(p));
    out.look = s.look;
    out.look.remap(map);
    out.look.paras = reparagraphed(s.look.paras, 0, s.look.paras.size(), spans);
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

StoryState planFormat(const docx::Story& s, const std::vector<std::pair<int32_t, int32_t>>& asked,
                      const FormatChange& change)
{
    // A character takes one format: a span that ends inside a surrogate pair leaves that pair be.
    // A paragraph mark looks as its paragraph's properties say, which the file keeps apart from
    // the runs: a typed mark is left as it was typed, like every mark read from the file.
    std::vector<std::pair<int32_t, int32_t>> spans;
    spans.reserve(asked.size());
    for (auto [from, to] : asked) {
        if (insidePair(s.text, from))
            ++from;
        if (insidePair(s.text, to))
            --to;
        for (int32_t at = from; at < to; ++at) {
            const int32_t mark = static_cast<int32_t>(
                std::find(s.text.begin() + at, s.text.begin() + to, QChar(docx::cp::ParagraphMark)) - s.text.begin());
            if (at < mark)
                spans.push_back({at, mark});
            at = mark;
        }
    }
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
        if (k == spans.size() || spans[k].first >= end || src.len == 0 || changed == src.format
            || src.kind != docx::SourceKind::Text) {
            out.sources.push_back(src);
            continue;
        }
        // Cut the source where spans begin and end inside it.
        const auto piece = [&](int32_t from, int32_t to, const docx::CharFormat& f) {
            docx::TextSource cut = src;
            cut.pos = from;
            cut.len = to - from;
            cut.format = f;
            cut.changed = true;
            out.sources.push_back(cut);
        };
        int32_t at = src.pos;
        for (std::size_t j = k; j < spans.size() && spans[j].first < end && at < end; ++j) {
            const int32_t from = std::max(at, spans[j].first), to = std::min(end, spans[j].second);
            if (from > at)
                piece(at, from, src.format);
            piece(from, to, changed);
            overrides.push_back({from, to, changed});
            at = to;
        }
        if (at < end)
            piece(at, end, src.format);
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
    // Deleted symbols go with their text and come back with it.
    const auto firstSymbol = std::lower_bound(s.symbols.begin(), s.symbols.end(), e.at);
    if (forward)
        s.symbols.erase(firstSymbol, firstSymbol + static_cast<std::ptrdiff_t>(e.symbolsRemoved.size()));
    for (auto* marks : {&s.symbols, &s.rowEnds})
        for (int32_t& p : *marks)
            if (p >= after)
                p += delta;
    if (!forward)
        s.symbols.insert(std::lower_bound(s.symbols.begin(), s.symbols.end(), e.at), e.symbolsRemoved.begin(),
                         e.symbolsRemoved.end());
    // The look moved every paragraph after the edit; those it touched are the edit's.
    s.look.replace(e.at, after, static_cast<int32_t>(in.size()));
    auto& paras = s.look.paras;
    const auto& parasWere = forward ? e.parasBefore : e.parasAfter;
    const auto& parasNow = forward ? e.parasAfter : e.parasBefore;
    const auto firstPara = paras.begin() + static_cast<std::ptrdiff_t>(e.firstPara);
    paras.erase(firstPara, firstPara + static_cast<std::ptrdiff_t>(parasWere.size()));
    paras.insert(paras.begin() + static_cast<std::ptrdiff_t>(e.firstPara), parasNow.begin(), parasNow.end());
    // A cell's end is its mark, which moves with the text before it; a cell starting where the
    // edit does keeps its start (the character before a cell can never be deleted, so a start
    // there was there before a deletion too).
    for (docx::TableCell& c : s.cells) {
        if (c.start >= after && c.start != e.at)
            c.start += delta;
        if (c.end >= after)
            c.end += delta;
    }
    ++s.revision;
}

} // namespace word
