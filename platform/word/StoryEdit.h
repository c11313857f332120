#pragma once

#include "platform/docx/Story.h"

#include <QString>

#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

namespace word {

// One change of one story's text, kept whole so that it can be undone and redone exactly: the
// text, the sources and the format runs it touched as they were before and after. Sources are
// never added or removed by an edit (an emptied one stays, holding its place in the part), so a
// source's index names the same w:t element throughout.
struct StoryEdit {
    struct SourceSpan {
        int32_t pos, len;
        bool changed;
    };
    int story = 0;
    int32_t at = 0;
    QString removed, inserted;
    std::size_t firstSource = 0;
    std::vector<SourceSpan> sourcesBefore, sourcesAfter;   // same length
    std::size_t firstRun = 0;
    std::vector<docx::FormatRun> runsBefore, runsAfter;

    int32_t delta() const { return static_cast<int32_t>(inserted.size() - removed.size()); }
};

// One replacement in a batch: [start, end) of the story as it was becomes text.
struct TextSpan {
    int32_t start = 0, end = 0;
    QString text;
};

// A story's text and what is kept over it, as a batch of edits swaps it in and out whole: a
// batch (a Replace All) rebuilds them once instead of moving everything after each hit.
struct StoryState {
    QString text;
    std::vector<docx::TextSource> sources;
    std::vector<docx::FormatRun> runs;
    std::vector<int32_t> symbols, rowEnds;
    docx::Look look;
    std::vector<docx::TableCell> cells;
};

// Where a position kept outside the edited spans (a mark, a note's reference) moves to once the
// spans are replaced: positions at or after a span's end move by its change in length.
class PositionMap {
public:
    explicit PositionMap(const std::vector<TextSpan>& spans);
    int32_t operator()(int32_t pos) const;

private:
    std::vector<int32_t> m_ends;     // span ends, ascending
    std::vector<int32_t> m_shift;    // total change in length up to and including each span
};

// Plans replacing [start, end) of story with text so that the writer can save it exactly: every
// replaced position must be text read from a w:t element, and the new text joins the element of
// the first replaced character, or for an insertion point the one of the character before it (the
// one after it at the start of a paragraph or a stretch of text). Throws Word's error with a
// Japanese reason otherwise; changes nothing.
StoryEdit planEdit(const docx::Story& story, int storyIndex, int32_t start, int32_t end, const QString& text);

// Whether planEdit would accept the edit.
bool canReplace(const docx::Story& story, int32_t start, int32_t end, const QString& text);

// The story's state once every span (sorted, not overlapping) is replaced, each under the rules
// of planEdit. Throws as planEdit does; changes nothing.
StoryState planBatch(const docx::Story& story, const std::vector<TextSpan>& spans);
// Character formatting set by a replacement: each property given replaces the text's own.
struct FormatChange {
    std::optional<bool> highlight;
    std::optional<int32_t> color;
    std::optional<bool> strike, doubleStrike;
    bool empty() const { return !highlight && !color && !strike && !doubleStrike; }
    docx::CharFormat applied(docx::CharFormat f) const;
};

// The story's state once the text read from w:t elements in each span (sorted, not overlapping)
// takes the change; other characters (marks, tabs, paragraph marks) keep their formatting, since
// only the runs of w:t text can be rewritten exactly.
StoryState planFormat(const docx::Story& story, const std::vector<std::pair<int32_t, int32_t>>& spans,
                      const FormatChange& change);

// Swaps state with the story's own: applies a planned batch, or undoes (redoes) an applied one.
void swapState(docx::Story& story, StoryState& state);

// Applies an edit to its story (forward: as planned; backward: undoing it). Positions kept
// elsewhere in the document are the caller's to move.
void applyEdit(docx::Story& story, const StoryEdit& edit, bool forward);

} // namespace word
