#include "platform/match/PreparedText.h"

#include "platform/match/Fuzzy.h"

#include <unicode/uchar.h>

#include <algorithm>

namespace match {

PreparedText::PreparedText(const docx::Story& story, const FoldKey& key)
    : m_story(&story), m_revision(story.revision), m_key(key)
{
    if (key.mode == FoldKey::Mode::None)
        return;
    const std::u16string_view all(reinterpret_cast<const char16_t*>(story.text.utf16()), story.text.size());
    const bool allShown = std::all_of(story.runs.begin(), story.runs.end(),
                                      [](const docx::FormatRun& r) { return docx::inFindText(r.format.cls); });
    std::u16string filtered;
    std::vector<int32_t> cutsAt; // display indexes of the cuts
    if (!allShown) {
        for (size_t r = 0; r < story.runs.size(); ++r) {
            const docx::CpClass cls = story.runs[r].format.cls;
            const int32_t b = story.runs[r].start;
            const int32_t e = r + 1 < story.runs.size() ? story.runs[r + 1].start : story.length();
            if (docx::cutsFindText(cls) && !filtered.empty() && filtered.back() != kCut) {
                cutsAt.push_back(static_cast<int32_t>(filtered.size()));
                filtered.push_back(kCut);
                m_displayPos.push_back(b);
            }
            if (!docx::inFindText(cls))
                continue;
            filtered.append(all.substr(b, e - b));
            for (int32_t p = b; p < e; ++p)
                m_displayPos.push_back(p);
        }
    }
    const std::u16string_view display = allShown ? all : std::u16string_view(filtered);
    m_displaySize = static_cast<int32_t>(display.size());
    switch (key.mode) {
    case FoldKey::Mode::Exact: m_fold.assign(display); break;
    case FoldKey::Mode::Plain: foldPlain(display, key.caseFold, key.widthFold, m_fold); break;
    case FoldKey::Mode::Fuzzy: foldFuzzy(display, key.fuzzy, m_fold); break;
    case FoldKey::Mode::Words: buildWords(std::u16string(display)); break;
    case FoldKey::Mode::None: break;
    }
    if (key.mode != FoldKey::Mode::Words)
        for (const int32_t d : cutsAt)
            m_cuts.push_back(m_fold.firstUnitFrom(d));
}

void PreparedText::buildWords(const std::u16string& display)
{
    const int32_t n = static_cast<int32_t>(display.size());
    auto letter = [&](int32_t i) { return i >= 0 && i < n && u_isalpha(display[i]); };
    int32_t i = 0;
    while (i < n) {
        if (!letter(i)) {
            ++i;
            continue;
        }
        const int32_t b = i;
        while (letter(i) || ((display[i] == u'\'' || display[i] == u'\u2019') && letter(i - 1) && letter(i + 1)))
            ++i;
        const QString word = QString::fromUtf16(display.data() + b, i - b).toLower();
        m_words.push_back({storyPos(b), storyPos(i - 1) + 1, word});
    }
}

Hit PreparedText::span(int32_t j1, int32_t j2) const
{
    return {storyPos(m_fold.source(j1).begin), storyPos(m_fold.source(j2 - 1).end - 1) + 1};
}

bool PreparedText::aligned(int32_t j1, int32_t j2) const
{
    return m_fold.source(j1).first && m_fold.source(j2 - 1).last;
}

std::optional<Hit> PreparedText::alignedSpan(int32_t j1, int32_t j2) const
{
    const FoldBuffer::Source a = m_fold.source(j1), b = m_fold.source(j2 - 1);
    if (!a.first || !b.last)
        return std::nullopt;
    return Hit{storyPos(a.begin), storyPos(b.end - 1) + 1};
}

int32_t PreparedText::displayIndexFrom(int32_t pos) const
{
    if (m_displayPos.empty())
        return std::clamp(pos, 0, m_displaySize);
    return static_cast<int32_t>(std::lower_bound(m_displayPos.begin(), m_displayPos.end(), pos) - m_displayPos.begin());
}

int32_t PreparedText::firstUnitFrom(int32_t pos) const { return m_fold.firstUnitFrom(displayIndexFrom(pos)); }

int32_t PreparedText::unitsEndingBy(int32_t pos) const { return m_fold.unitsEndingBy(displayIndexFrom(pos)); }

int32_t PreparedText::nextCut(int32_t j) const
{
    const auto it = std::lower_bound(m_cuts.begin(), m_cuts.end(), j);
    return it == m_cuts.end() ? size() : *it;
}

std::shared_ptr<const PreparedText> PreparedCache::get(const docx::Story& story, const FoldKey& key)
{
    auto& entry = m_entries[&story];
    if (!entry || entry->revision() != story.revision || !(entry->key() == key))
        entry = std::make_shared<const PreparedText>(story, key);
    return entry;
}

} // namespace match
