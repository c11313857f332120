#pragma once

#include "platform/docx/Story.h"
#include "platform/match/Folding.h"

#include <QString>

#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace match {

// One English word of a story's displayed text, for sounds-like and word-form searches.
struct StoryWord {
    int32_t start = 0, end = 0; // story positions
    QString text;               // lower case
};

// A story's matchable text folded once for a search: only the positions Find sees (shown text),
// folded as the key says, with the way back from every folded unit to story positions. Where
// tracked deletions were left out the text holds one cut unit (kCut), which no hit may contain.
// It refers to the story, which must outlive it and not change (check revision()).
class PreparedText {
public:
    // U+FFFF cannot occur in XML text, so it never stands for a character of the story.
    static constexpr char16_t kCut = 0xFFFF;

    PreparedText(const docx::Story& story, const FoldKey& key);

    const docx::Story& story() const { return *m_story; }
    uint32_t revision() const { return m_revision; }
    const FoldKey& key() const { return m_key; }

    // Folded text (empty for Mode::None and Mode::Words).
    const std::u16string& text() const { return m_fold.text(); }
    int32_t size() const { return static_cast<int32_t>(m_fold.text().size()); }
    // The story span covered by folded units [j1, j2), j1 < j2.
    Hit span(int32_t j1, int32_t j2) const;
    // Whether [j1, j2) begins and ends on whole source characters (not inside a fold like ß → ss).
    bool aligned(int32_t j1, int32_t j2) const;
    // span(j1, j2) when aligned(j1, j2), with one look-up per end.
    std::optional<Hit> alignedSpan(int32_t j1, int32_t j2) const;
    // The first folded unit whose source starts at or after story position pos.
    int32_t firstUnitFrom(int32_t pos) const;
    // The number of leading folded units whose source ends at or before story position pos.
    int32_t unitsEndingBy(int32_t pos) const;
    // The first cut unit at or after folded unit j, or size() when none follows.
    int32_t nextCut(int32_t j) const;
    // Whether folded units [j1, j2) hold a cut.
    bool holdsCut(int32_t j1, int32_t j2) const { return nextCut(j1) < j2; }

    // Words of the displayed text in story order (Mode::Words only).
    const std::vector<StoryWord>& words() const { return m_words; }

private:
    int32_t storyPos(int32_t displayIndex) const
    {
        return m_displayPos.empty() ? displayIndex : m_displayPos[displayIndex];
    }
    int32_t displayIndexFrom(int32_t pos) const;
    void buildWords(const std::u16string& display);

    const docx::Story* m_story;
    uint32_t m_revision;
    FoldKey m_key;
    std::vector<int32_t> m_displayPos; // display index -> story position; empty when identical
    int32_t m_displaySize = 0;
    FoldBuffer m_fold;
    std::vector<int32_t> m_cuts;       // folded units that are cuts, ascending
    std::vector<StoryWord> m_words;
};

// Prepared texts kept between calls, one per story, rebuilt when the story's revision or the
// fold key changes. Stories are identified by address: drop the cache with the document.
class PreparedCache {
public:
    std::shared_ptr<const PreparedText> get(const docx::Story& story, const FoldKey& key);
    void clear() { m_entries.clear(); }

private:
    std::unordered_map<const docx::Story*, std::shared_ptr<const PreparedText>> m_entries;
};

} // namespace match
