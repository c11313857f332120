#include "platform/word/Document.h"

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

// Moves a position at or after the edited span by the change in length. No kept position lies
// inside a span an edit replaces: those are all characters read from sources.
void shift(int32_t& pos, int32_t after, int32_t delta)
{
    if (pos >= after)
        pos += delta;
}

// The start of a note or comment keeps its place at the edit's start: the character before it
// ends another note or comment and is never deleted, so text there is always its own.
void shiftStart(int32_t& pos, int32_t at, int32_t after, int32_t delta)
{
    if (pos != at)
        shift(pos, after, delta);
}

} // namespace

void Document::apply(const StoryEdit& e, bool forward)
{
    docx::Story& s = m_model.stories.at(e.story);
    applyEdit(s, e, forward);
    const int32_t delta = forward ? e.delta() : -e.delta();
    const int32_t after = e.at + static_cast<int32_t>(forward ? e.removed.size() : e.inserted.size());
    for (auto& n : m_model.notes) {
        if (n.refStory == e.story)
            shift(n.refPos, after, delta);
        if (s.type == n.type) {  // a note kind has one story
            shiftStart(n.start, e.at, after, delta);
            shift(n.end, after, delta);
        }
    }
    for (auto& c : m_model.comments) {
        if (c.anchorStory == e.story) {
            shift(c.rangeStart, after, delta);
            shift(c.rangeEnd, after, delta);
            shift(c.markPos, after, delta);
        }
        if (s.type == docx::wdCommentsStory) {
            shiftStart(c.start, e.at, after, delta);
            shift(c.end, after, delta);
        }
    }
    for (auto& t : m_model.textBoxes)
        if (t.anchorStory == e.story)
            shift(t.anchorPos, after, delta);
    if (e.story == 0)
        for (auto& sec : m_model.sections)
            shift(sec.endPos, after, delta);
    m_locator.reset();
    emit m_app->textReplaced(this, e.story, e.at, forward ? e.removed : e.inserted, forward ? e.inserted : e.removed);
    emit m_app->storyEdited(this, e.story);
}

void Document::apply(Batch& b)
{
    swapState(m_model.stories.at(b.story), b.state);
    std::swap(m_model.notes, b.marks.notes);
    std::swap(m_model.comments, b.marks.comments);
    std::swap(m_model.textBoxes, b.marks.textBoxes);
    std::swap(m_model.sections, b.marks.sections);
    m_locator.reset();
    emit m_app->storyEdited(this, b.story);
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
    record(planEdit(m_model.stories.at(storyIndex), storyIndex, start, end, text));
}

void Document::replaceSpans(int storyIndex, const std::vector<TextSpan>& spans)
{
    if (spans.empty())
        return;
    refuseReadOnly();
    const docx::Story& s = m_model.stories.at(storyIndex);
    Batch b{storyIndex, planBatch(s, spans), {m_model.notes, m_model.comments, m_model.textBoxes, m_model.sections}};
    const PositionMap map(spans);
    for (auto& n : b.marks.notes) {
        if (n.refStory == storyIndex)
            n.refPos = map(n.refPos);
        if (s.type == n.type) {
            n.start = map(n.start);
            n.end = map(n.end);
        }
    }
    for (auto& c : b.marks.comments) {
        if (c.anchorStory == storyIndex) {
            c.rangeStart = map(c.rangeStart);
            c.rangeEnd = map(c.rangeEnd);
            c.markPos = map(c.markPos);
        }
        if (s.type == docx::wdCommentsStory) {
            c.start = map(c.start);
            c.end = map(c.end);
        }
    }
    for (auto& t : b.marks.textBoxes)
        if (t.anchorStory == storyIndex)
            t.anchorPos = map(t.anchorPos);
    if (storyIndex == 0)
        for (auto& sec : b.marks.sections)
            sec.endPos = map(sec.endPos);
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
    docx::Document reread = docx::load(target, docx::LoadOptions{true});
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
