#include "platform/docx/Look.h"

#include <algorithm>

namespace docx {

namespace {

template <typename T>
void inherit(std::optional<T>& v, const std::optional<T>& base)
{
    if (!v)
        v = base;
}

// A position at or after the replaced span moves with the text after it; one inside it goes to
// its start.
int32_t moved(int32_t pos, int32_t start, int32_t end, int32_t delta)
{
    return pos >= end ? pos + delta : pos > start ? start : pos;
}

} // namespace

void RunLookProps::inheritFrom(const RunLookProps& b)
{
    inherit(bold, b.bold);
    inherit(italic, b.italic);
    inherit(smallCaps, b.smallCaps);
    inherit(allCaps, b.allCaps);
    inherit(underline, b.underline);
    inherit(vertAlign, b.vertAlign);
    inherit(halfPoints, b.halfPoints);
    inherit(spacing, b.spacing);
    inherit(highlight, b.highlight);
    inherit(latinFont, b.latinFont);
    inherit(eastAsiaFont, b.eastAsiaFont);
}

void ParaLookProps::inheritFrom(const ParaLookProps& b)
{
    inherit(align, b.align);
    inherit(left, b.left);
    inherit(right, b.right);
    inherit(firstLine, b.firstLine);
    inherit(before, b.before);
    inherit(after, b.after);
    inherit(line, b.line);
    inherit(lineRule, b.lineRule);
    inherit(numId, b.numId);
    inherit(level, b.level);
    inherit(keepNext, b.keepNext);
    inherit(keepLines, b.keepLines);
    inherit(widowControl, b.widowControl);
    inherit(pageBreakBefore, b.pageBreakBefore);
    inherit(rightToLeft, b.rightToLeft);
    inherit(snapToGrid, b.snapToGrid);
    inherit(contextualSpacing, b.contextualSpacing);
    const auto cleared = [this](int32_t pos) { return std::find(clearedTabs.begin(), clearedTabs.end(), pos) != clearedTabs.end(); };
    const auto set = [this](int32_t pos) {
        return std::any_of(tabs.begin(), tabs.end(), [pos](const TabStop& t) { return t.pos == pos; });
    };
    for (const TabStop& t : b.tabs)
        if (!set(t.pos) && !cleared(t.pos))
            tabs.push_back(t);
    std::sort(tabs.begin(), tabs.end(), [](const TabStop& x, const TabStop& y) { return x.pos < y.pos; });
    for (int32_t pos : b.clearedTabs)
        if (!cleared(pos))
            clearedTabs.push_back(pos);
}

void Look::set(int32_t pos, const RunLook& look)
{
    if (!runs.empty() && runs.back().start == pos)
        runs.pop_back();
    if (runs.empty() || !(runs.back().look == look))
        runs.push_back({pos, look});
}

void Look::append(const Look& src, int32_t shift)
{
    for (RunLookRun r : src.runs) {
        r.start += shift;
        if (runs.empty() || !(runs.back().look == r.look))
            runs.push_back(std::move(r));
    }
    for (ParaLook p : src.paras) {
        p.start += shift;
        paras.push_back(std::move(p));
    }
    for (TableLook t : src.tables) {
        t.start += shift;
        t.end += shift;
        for (auto& row : t.rows)
            for (CellLook& c : row) {
                c.start += shift;
                c.end += shift;
            }
        tables.push_back(std::move(t));
    }
    for (PictureLook p : src.pictures) {
        p.pos += shift;
        pictures.push_back(std::move(p));
    }
    for (RubyLook r : src.rubies) {
        r.separator += shift;
        r.end += shift;
        rubies.push_back(std::move(r));
    }
}

void Look::dropBaseless()
{
    std::erase_if(rubies, [](const RubyLook& r) { return r.end <= r.separator + 1; });
}

void Look::remap(const std::function<int32_t(int32_t)>& to)
{
    std::vector<RunLookRun> old = std::move(runs);
    runs.clear();
    for (const RunLookRun& r : old)
        set(to(r.start), r.look);
    for (ParaLook& p : paras)
        p.start = to(p.start);
    for (TableLook& t : tables) {
        t.start = to(t.start);
        t.end = to(t.end);
        for (auto& row : t.rows)
            for (CellLook& c : row) {
                c.start = to(c.start);
                c.end = to(c.end);
            }
    }
    for (PictureLook& p : pictures)
        p.pos = to(p.pos);
    for (RubyLook& r : rubies) {
        r.separator = to(r.separator);
        r.end = to(r.end);
    }
    dropBaseless();
}

void Look::replace(int32_t start, int32_t end, int32_t insertedLength)
{
    const int32_t delta = insertedLength - (end - start);
    const auto move = [&](int32_t& pos) { pos = moved(pos, start, end, delta); };
    // A table or cell starting where the edit does keeps its start: the text there is its own.
    const auto moveStart = [&](int32_t& pos) {
        if (pos != start)
            move(pos);
    };
    // As the story's format runs: the inserted text looks like the character at the span's start,
    // the text after the span keeps its look.
    const auto lookAt = [this](int32_t p) {
        RunLook found;
        for (const RunLookRun& r : runs) {
            if (r.start > p)
                break;
            found = r.look;
        }
        return found;
    };
    const RunLook inserted = lookAt(start), after = lookAt(end);
    std::vector<RunLookRun> old = std::move(runs);
    runs.clear();
    for (const RunLookRun& r : old)
        if (r.start < start)
            set(r.start, r.look);
    if (insertedLength > 0)
        set(start, inserted);
    if (!old.empty())
        set(start + insertedLength, after);
    for (const RunLookRun& r : old)
        if (r.start > end)
            set(r.start + delta, r.look);
    for (ParaLook& p : paras)
        move(p.start);
    for (TableLook& t : tables) {
        moveStart(t.start);
        move(t.end);
        for (auto& row : t.rows)
            for (CellLook& c : row) {
                moveStart(c.start);
                move(c.end);
            }
    }
    std::erase_if(pictures, [&](const PictureLook& p) { return p.pos >= start && p.pos < end; });
    for (PictureLook& p : pictures)
        move(p.pos);
    // A ruby whose field lost its separator or end is no longer one.
    std::erase_if(rubies, [&](const RubyLook& r) {
        return (r.separator >= start && r.separator < end) || (r.end >= start && r.end < end);
    });
    for (RubyLook& r : rubies) {
        move(r.separator);
        move(r.end);
    }
    dropBaseless();
}

} // namespace docx
