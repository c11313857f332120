#pragma once

#include "platform/docx/Story.h"

#include <QString>

#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

namespace word {

// One change of one story's text, kept whole so that it can be undone and redone exactly: the
// text, the sources, the format runs and the paragraph looks it touched as they were before and
// after. Sources are never added or removed by an edit (an emptied one stays, holding its place in
// the part; a paragraph mark typed is text of the source it is typed into, which the writer ends
// the paragraph in; a paragraph mark deleted empties its Join source), so a source's index names
// the same place in the part throughout.
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
    std::size_t firstPara = 0;
    std::vector<docx::ParaLook> parasBefore, parasAfter;
    std::vector<int32_t> symbolsRemoved;   // positions, before the edit, of the symbols it deletes
    // Where the source the new text joins started before the edit (INT32_MIN: a new run, which
    // goes first in its empty paragraph): boundaries kept outside the story (where a comment's
    // range starts, say) at or after it in the replaced span stay before the new text.
    int32_t textFrom = INT32_MAX;
    // The document's boundaries in [at, at + removed] before the edit, by the order the document
    // visits its kept positions, with where they were: undoing puts them back.
    std::vector<std::pair<uint32_t, int32_t>> boundaries;

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
// replaced position must come from a source (text of a w:t element, a tab, break or symbol
// element, the mark of a paragraph that can join the next one), and the new text joins the w:t
// element of the first replaced character, or the one of the character before it, or the one
// starting at the edit (an empty paragraph's place for a new run included), or the one right
// after the replaced characters. A paragraph mark in text splits the paragraph there, where the
// writer can end it. Throws Word's error with a Japanese reason otherwise; changes nothing.
// Joined or split paragraphs keep the properties of the paragraph the edit starts in.
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

// The paragraph looks paras[from, to) once each span (sorted, not overlapping) is replaced: a
// paragraph whose mark went joins the one before it, which keeps its look, and each paragraph mark
// in a span's text starts a paragraph looking like the one it was typed in.
std::vector<docx::ParaLook> reparagraphed(const std::vector<docx::ParaLook>& paras, std::size_t from, std::size_t to,
                                          const std::vector<TextSpan>& spans);

// Swaps state with the story's own: applies a planned batch, or undoes (redoes) an applied one.
void swapState(docx::Story& story, StoryState& state);

// Applies an edit to its story (forward: as planned; backward: undoing it). Positions kept
// elsewhere in the document are the caller's to move.
void applyEdit(docx::Story& story, const StoryEdit& edit, bool forward);

} // namespace word
