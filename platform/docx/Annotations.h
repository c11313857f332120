#pragma once

#include "platform/docx/TextWalker.h"

#include <map>
#include <optional>
#include <vector>

namespace docx {

// footnotes.xml or endnotes.xml walked (the context's reader on its root): normal notes by id,
// and the separator stories.
struct NotesPart {
    std::map<long, Walked> notes;
    std::optional<Walked> special[3];   // separator, continuation separator, continuation notice
};
NotesPart walkNotesPart(const TextWalker::Context& ctx);

// comments.xml walked (the context's reader on its root): each comment by id with its author,
// initials and date.
struct CommentPart {
    Walked walked;
    QString author, initials, date;
};
std::map<long, CommentPart> walkCommentsPart(const TextWalker::Context& ctx);

// Appends src to dst, shifting every position src's walk recorded.
void appendWalked(Walked& dst, Walked&& src);

// The notes story of one kind: the notes referenced in refs, once each, in order of first
// reference. Note::refStory is left for the caller.
struct NotesStory {
    Walked walked;
    std::vector<Note> notes;
};
NotesStory buildNotesStory(int type, NotesPart& part, const std::vector<NoteRef>& refs);

// A comment mark found in some story, with its commented range there.
struct CommentAnchor {
    long id;
    int story;
    int32_t markPos, rangeStart, rangeEnd;
};
// The anchors of one walked story, in position order; story is its index in the document.
void collectCommentAnchors(const Walked& w, int story, std::vector<CommentAnchor>& out);

// The comments story: each anchored comment once, in the order of anchors.
struct CommentsStory {
    Walked walked;
    std::vector<Comment> comments;
};
CommentsStory buildCommentsStory(std::map<long, CommentPart>& part, const std::vector<CommentAnchor>& anchors);

} // namespace docx
