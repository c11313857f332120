#include "platform/word/Document.h"

#include "platform/docx/LookReader.h"
#include "platform/docx/Package.h"
#include "platform/docx/PackageWriter.h"
#include "platform/word/Application.h"
#include "platform/word/Comments.h"
#include "platform/word/Range.h"
#include "platform/word/Window.h"
#include "platform/word/WordError.h"

#include <QFileInfo>

#include <algorithm>

namespace word {

Document::Document(Application* app, docx::Document model)
    : m_app(app), m_model(std::move(model)), m_window(std::make_shared<Window>(this))
{
    stampFile();
}

QString Document::Name() const
{
    return QFileInfo(m_model.path).fileName();
}

StoryRangesPtr Document::StoryRanges()
{
    return std::make_shared<word::StoryRanges>(self());
}

WindowPtr Document::ActiveWindow()
{
    return m_window;
}

CommentsPtr Document::Comments()
{
    std::vector<int> all(m_model.comments.size());
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = static_cast<int>(i);
    return std::make_shared<word::Comments>(self(), std::move(all));
}

void Document::Activate()
{
    if (!m_open)
        return;
    m_app->m_active = self();
    emit m_app->documentActivated(this);
}

const Locator& Document::locator()
{
    if (!m_locator)
        m_locator.emplace(m_model);
    return *m_locator;
}

void Document::Close()
{
    if (!m_open)
        return;
    m_open = false;
    m_app->m_documents->remove(this);
}

namespace {

// What a position kept outside a story stands on: a mark (a note or comment reference, the
// paragraph mark ending a note or comment, a text box's anchor, a section break), a boundary
// between two characters inside a paragraph (where a commented range starts or ends, where a
// custom note mark starts) or the start of a note or comment, before its first paragraph.
enum class Kept { Mark, Boundary, Start };

// Calls fn(pos, kind) on every position kept outside the text of story (of the given type),
// always in the same order.
template <typename Fn>
void forEachKept(std::vector<docx::Note>& notes, std::vector<docx::Comment>& comments,
                 std::vector<docx::TextBox>& boxes, std::vector<docx::Section>& sections, int story, int type, Fn&& fn)
{
    for (auto& n : notes) {
        if (n.refStory == story)
            fn(n.refPos, n.customMark.isEmpty() ? Kept::Mark : Kept::Boundary);
        if (type == n.type) {   // a note kind has one story
            fn(n.start, Kept::Start);
            fn(n.end, Kept::Mark);
        }
    }
    for (auto& c : comments) {
        if (c.anchorStory == story) {
            fn(c.rangeStart, Kept::Boundary);
            fn(c.rangeEnd, Kept::Boundary);
            fn(c.markPos, Kept::Mark);
        }
        if (type == docx::wdCommentsStory) {
            fn(c.start, Kept::Start);
            fn(c.end, Kept::Mark);
        }
    }
    for (auto& t : boxes)
        if (t.anchorStory == story)
            fn(t.anchorPos, Kept::Mark);
    if (story == 0)
        for (auto& sec : sections)
            fn(sec.endPos, Kept::Mark);
}

} // namespace

void Document::apply(const StoryEdit& e, bool forward)
{
    docx::Story& s = m_model.stories.at(e.story);
    applyEdit(s, e, forward);
    if (e.parasBefore.size() != e.parasAfter.size())
        relabel(s);
    const int32_t removed = static_cast<int32_t>(e.removed.size()), inserted = static_cast<int32_t>(e.inserted.size());
    uint32_t index = 0;
    forEachKept(m_model.notes, m_model.comments, m_model.textBoxes, m_model.sections, e.story, s.type,
                [&](int32_t& pos, Kept kind) {
                    const uint32_t k = index++;
                    if (!forward) {
                        // Boundaries the edit moved go back where they were; the rest move back.
                        const auto it = std::lower_bound(e.boundaries.begin(), e.boundaries.end(), std::pair{k, INT32_MIN});
                        if (it != e.boundaries.end() && it->first == k)
                            pos = it->second;
                        else if (pos >= e.at + inserted)
                            pos += removed - inserted;
                    } else if (pos > e.at + removed || (pos == e.at + removed && kind == Kept::Mark)) {
                        pos += inserted - removed;
                    } else if (kind != Kept::Mark && pos >= e.at) {
                        // A boundary in the replaced span comes after the new text when the text
                        // went into a run before it; a note or comment starts before any text.
                        pos = kind == Kept::Boundary && e.textFrom < pos ? e.at + inserted : e.at;
                    }
                });
    m_locator.reset();
    emit m_app->textReplaced(this, e.story, e.at, forward ? e.removed : e.inserted, forward ? e.inserted : e.removed);
    emit m_app->storyEdited(this, e.story);
}

void Document::apply(Batch& b)
{
    swapState(m_model.stories.at(b.story), b.state);
    relabel(m_model.stories.at(b.story));
    std::swap(m_model.notes, b.marks.notes);
    std::swap(m_model.comments, b.marks.comments);
    std::swap(m_model.textBoxes, b.marks.textBoxes);
    std::swap(m_model.sections, b.marks.sections);
    m_locator.reset();
    emit m_app->storyEdited(this, b.story);
}

void Document::relabel(docx::Story& s) const
{
    // A split paragraph's copied look holds its list's label: it and those after it count again.
    if (m_model.numbering)
        m_model.numbering->relabel(s.look.paras);
}

void Document::record(std::variant<StoryEdit, Batch> edit)
{
    if (m_groupDepth == 0 || !m_groupStarted) {
        m_undo.push_back({m_nextStep++, {}});
        m_groupStarted = m_groupDepth > 0;
    }
    m_redo.clear();
    m_undo.back().edits.push_back(std::move(edit));
    apply(m_undo.back().edits.back(), true);
}

void Document::apply(std::variant<StoryEdit, Batch>& edit, bool forward)
{
    // A batch is undone and redone alike: by swapping its state back in.
    if (auto* e = std::get_if<StoryEdit>(&edit))
        apply(*e, forward);
    else
        apply(std::get<Batch>(edit));
}

void Document::refuseReadOnly() const
{
    if (!m_model.textSources)
        throw cannotEdit(QStringLiteral("この文書は読み取り専用で開かれているため、編集できません。"));
}

void Document::replaceText(int storyIndex, int32_t start, int32_t end, const QString& text)
{
    if (start == end && text.isEmpty())
        return;
    refuseReadOnly();
    StoryEdit edit = planEdit(m_model.stories.at(storyIndex), storyIndex, start, end, text);
    uint32_t index = 0;
    forEachKept(m_model.notes, m_model.comments, m_model.textBoxes, m_model.sections, storyIndex,
                m_model.stories[storyIndex].type, [&](int32_t& pos, Kept kind) {
                    const uint32_t k = index++;
                    if (kind != Kept::Mark && pos >= start && pos <= end)
                        edit.boundaries.push_back({k, pos});
                });
    record(std::move(edit));
}

void Document::replaceSpans(int storyIndex, const std::vector<TextSpan>& spans)
{
    if (spans.empty())
        return;
    refuseReadOnly();
    const docx::Story& s = m_model.stories.at(storyIndex);
    Batch b{storyIndex, planBatch(s, spans), {m_model.notes, m_model.comments, m_model.textBoxes, m_model.sections}};
    const PositionMap map(spans);
    forEachKept(b.marks.notes, b.marks.comments, b.marks.textBoxes, b.marks.sections, storyIndex, s.type,
                [&](int32_t& pos, Kept) { pos = map(pos); });
    record(std::move(b));
}

void Document::formatSpans(int storyIndex, const std::vector<std::pair<int32_t, int32_t>>& spans,
                           const FormatChange& change)
{
    if (spans.empty() || change.empty())
        return;
    refuseReadOnly();
    record(Batch{storyIndex, planFormat(m_model.stories.at(storyIndex), spans, change),
                 {m_model.notes, m_model.comments, m_model.textBoxes, m_model.sections}});
}

bool Document::Undo(int times)
{
    bool any = false;
    // The step moves over first, so that whoever hears of its edits sees it as redoable.
    for (; times > 0 && !m_undo.empty(); --times, any = true) {
        m_redo.push_back(std::move(m_undo.back()));
        m_undo.pop_back();
        Step& step = m_redo.back();
        for (auto it = step.edits.rbegin(); it != step.edits.rend(); ++it)
            apply(*it, false);
        selectChange(step.edits.front(), false);
    }
    return any;
}

bool Document::Redo(int times)
{
    bool any = false;
    for (; times > 0 && !m_redo.empty(); --times, any = true) {
        m_undo.push_back(std::move(m_redo.back()));
        m_redo.pop_back();
        for (auto& edit : m_undo.back().edits)
            apply(edit, true);
        selectChange(m_undo.back().edits.back(), true);
    }
    return any;
}

// As Word does after an undo or redo: the selection covers the text the edit put back (a caret
// where text went); a batch's changes are spread out and leave the selection alone.
void Document::selectChange(const std::variant<StoryEdit, Batch>& edit, bool forward)
{
    if (const auto* e = std::get_if<StoryEdit>(&edit))
        m_window->select(e->story, e->at, e->at + static_cast<int32_t>((forward ? e->inserted : e->removed).size()));
}

void Document::stampFile()
{
    const QFileInfo info(m_model.path);
    m_fileModified = info.lastModified();
    m_fileSize = info.exists() ? info.size() : -1;
}

bool Document::changedOnDisk() const
{
    const QFileInfo info(m_model.path);
    return !info.exists() || info.lastModified() != m_fileModified || info.size() != m_fileSize;
}

void Document::Save()
{
    SaveAs2(m_model.path);
}

void Document::SaveAs2(const QString& path)
{
    if (!m_model.textSources)
        throw cannotEdit(QStringLiteral("この文書は読み取り専用で開かれているため、保存できません。"));
    const QString target = QFileInfo(path).absoluteFilePath();
    docx::savePackage(m_model, target);
    // The saved file is what the model's byte offsets must now point into: read it back. Its
    // stories are the same, position for position, so ranges and windows stay where they were;
    // the undo history, which holds offsets into the old bytes, goes.
    docx::Document reread = docx::load(target, docx::LoadOptions{true, m_model.looks});
    for (std::size_t i = 0; i < reread.stories.size() && i < m_model.stories.size(); ++i)
        reread.stories[i].revision = m_model.stories[i].revision + 1;
    m_model = std::move(reread);
    m_undo.clear();
    m_redo.clear();
    m_savedStep = 0;
    stampFile();
    for (int i = 0; i < static_cast<int>(m_model.stories.size()); ++i)
        emit m_app->storyEdited(this, i);
}

int StoryRanges::Count() const
{
    return static_cast<int>(items().size());
}

RangePtr StoryRanges::Item(int storyType) const
{
    const auto& stories = m_doc->model().stories;
    for (size_t i = 0; i < stories.size(); ++i)
        if (stories[i].type == storyType)
            return std::make_shared<Range>(m_doc, static_cast<int>(i), 0, stories[i].length());
    throw wordError(NoSuchMember);
}

std::vector<RangePtr> StoryRanges::items() const
{
    std::vector<RangePtr> out;
    const auto& stories = m_doc->model().stories;
    for (size_t i = 0; i < stories.size(); ++i)
        if (i == 0 || stories[i].type != stories[i - 1].type)
            out.push_back(std::make_shared<Range>(m_doc, static_cast<int>(i), 0, stories[i].length()));
    return out;
}

} // namespace word
