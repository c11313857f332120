#include "platform/docx/Annotations.h"

#include "platform/docx/XmlReader.h"

#include <algorithm>
#include <set>

namespace docx {

NotesPart walkNotesPart(const TextWalker::Context& ctx)
{
    NotesPart part;
    XmlReader& x = ctx.xml;
    const int at = x.depth();
    while (x.child(at)) {
        if (x.tok() != Tok::Footnote && x.tok() != Tok::Endnote)
            continue;
        const std::string_view type = x.w("type");
        Walked* target = nullptr;
        if (type.empty() || type == "normal")
            target = &part.notes[idOf(x.w("id"))];
        else if (type == "separator")
            target = &part.special[0].emplace();
        else if (type == "continuationSeparator")
            target = &part.special[1].emplace();
        else if (type == "continuationNotice")
            target = &part.special[2].emplace();
        if (!target)
            continue;
        *target = Walked();
        TextWalker(ctx, *target).walkBlocks();
    }
    return part;
}

std::map<long, CommentPart> walkCommentsPart(const TextWalker::Context& ctx)
{
    std::map<long, CommentPart> comments;
    XmlReader& x = ctx.xml;
    const int at = x.depth();
    while (x.child(at)) {
        if (x.tok() != Tok::Comment)
            continue;
        CommentPart& c = comments[idOf(x.w("id"))];
        c = CommentPart();
        c.author = QString::fromUtf8(x.w("author"));
        c.initials = QString::fromUtf8(x.w("initials"));
        c.date = QString::fromUtf8(x.w("date"));
        TextWalker(ctx, c.walked).walkBlocks();
    }
    return comments;
}

void appendWalked(Walked& dst, Walked&& src)
{
    const int32_t shift = dst.story.length();
    dst.story.text += src.story.text.str();
    for (const FormatRun& r : src.story.runs)
        if (dst.story.runs.empty() || dst.story.runs.back().format != r.format)
            dst.story.runs.push_back({r.start + shift, r.format});
    for (TextSource t : src.story.sources) {
        t.pos += shift;
        dst.story.sources.push_back(t);
    }
    for (int32_t s : src.story.symbols)
        dst.story.symbols.push_back(s + shift);
    for (int32_t e : src.story.rowEnds)
        dst.story.rowEnds.push_back(e + shift);
    dst.story.look.append(src.story.look, shift);
    int tables = 0;   // a nested table may hold the highest number, so the last cell does not tell
    if (!src.story.cells.empty())
        for (const TableCell& c : dst.story.cells)
            tables = std::max(tables, c.table);
    const int firstCell = static_cast<int>(dst.story.cells.size());
    for (TableCell c : src.story.cells) {
        c.start += shift;
        c.end += shift;
        c.table += tables;
        if (c.outer >= 0)
            c.outer += firstCell;
        dst.story.cells.push_back(c);
    }
    for (NoteRef& r : src.noteRefs)
        dst.noteRefs.push_back({r.type, r.id, r.pos + shift, std::move(r.customMark)});
    auto shifted = [shift](std::vector<CommentEvent>& to, const std::vector<CommentEvent>& from) {
        for (CommentEvent e : from)
            to.push_back({e.id, e.pos + shift});
    };
    shifted(dst.commentMarks, src.commentMarks);
    shifted(dst.commentStarts, src.commentStarts);
    shifted(dst.commentEnds, src.commentEnds);
    for (std::size_t i = 0; i < src.boxes.size(); ++i) {
        dst.boxAnchors.push_back(src.boxAnchors[i] + shift);
        dst.boxes.push_back(std::move(src.boxes[i]));
    }
}

NotesStory buildNotesStory(int type, NotesPart& part, const std::vector<NoteRef>& refs)
{
    NotesStory out;
    out.walked.story.type = type;
    std::set<long> seen;
    for (const NoteRef& r : refs) {
        if (r.type != type || !seen.insert(r.id).second)
            continue;
        auto it = part.notes.find(r.id);
        if (it == part.notes.end())
            continue;
        Note note;
        note.type = type;
        note.refPos = r.pos;
        note.customMark = r.customMark;
        note.start = out.walked.story.length();
        appendWalked(out.walked, std::move(it->second));
        note.end = out.walked.story.length();
        out.notes.push_back(note);
    }
    return out;
}

void collectCommentAnchors(const Walked& w, int story, std::vector<CommentAnchor>& out)
{
    auto find = [](const std::vector<CommentEvent>& events, long id) -> int32_t {
        for (const CommentEvent& e : events)
            if (e.id == id)
                return e.pos;
        return -1;
    };
    for (const CommentEvent& m : w.commentMarks) {
        const int32_t start = find(w.commentStarts, m.id);
        const int32_t end = find(w.commentEnds, m.id);
        out.push_back({m.id, story, m.pos, start < 0 ? m.pos : start, end < 0 ? m.pos : end});
    }
}

CommentsStory buildCommentsStory(std::map<long, CommentPart>& part, const std::vector<CommentAnchor>& anchors)
{
    CommentsStory out;
    out.walked.story.type = wdCommentsStory;
    std::set<long> seen;
    for (const CommentAnchor& a : anchors) {
        auto it = part.find(a.id);
        if (it == part.end() || !seen.insert(a.id).second)
            continue;
        Comment c;
        c.anchorStory = a.story;
        c.markPos = a.markPos;
        c.rangeStart = a.rangeStart;
        c.rangeEnd = a.rangeEnd;
        c.author = it->second.author;
        c.initials = it->second.initials;
        c.date = it->second.date;
        c.start = out.walked.story.length();
        appendWalked(out.walked, std::move(it->second.walked));
        c.end = out.walked.story.length();
        out.comments.push_back(std::move(c));
    }
    return out;
}

} // namespace docx
