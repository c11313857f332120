#include "platform/word/Document.h"

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

void Document::Close()
{
    if (!m_open)
        return;
    m_open = false;
    m_app->m_documents->remove(this);
}

namespace {

// Moves a position that lies at or after the edited span by the change in length.
void shift(int32_t& pos, int32_t start, int32_t end, int32_t delta)
{
    if (pos >= end)
        pos += delta;
    else if (pos > start)
        pos = start;
}

// Marked positions inside the replaced span go; those after it move by the change in length.
void shiftMarks(std::vector<int32_t>& marks, int32_t start, int32_t end, int32_t delta)
{
    std::vector<int32_t> kept;
    kept.reserve(marks.size());
    for (int32_t p : marks)
        if (p < start || p >= end)
            kept.push_back(p >= end ? p + delta : p);
    marks = std::move(kept);
}

void replaceRuns(docx::Story& s, int32_t start, int32_t end, int32_t insertedLength)
{
    const int32_t delta = insertedLength - (end - start);
    docx::CharFormat inserted;
    if (!s.runs.empty()) {
        const int32_t from = start < s.length() ? start : std::max(0, start - 1);
        inserted = s.runAt(from).format;
        inserted.cls = docx::CpClass::Shown;
    }
    std::vector<docx::FormatRun> out;
    out.reserve(s.runs.size() + 2);
    auto push = [&out](int32_t at, const docx::CharFormat& f) {
        if (!out.empty() && out.back().start == at) {
            out.back().format = f;
            if (out.size() > 1 && out[out.size() - 2].format == f)
                out.pop_back();
        } else if (out.empty() || !(out.back().format == f)) {
            out.push_back({at, f});
        }
    };
    // Three parts: the runs before the edit, the inserted text, the runs after it.
    for (size_t i = 0; i < s.runs.size() && s.runs[i].start < start; ++i)
        push(s.runs[i].start, s.runs[i].format);
    if (insertedLength > 0)
        push(start, inserted);
    if (end < s.length()) {
        push(start + insertedLength, s.runAt(end).format);
        for (size_t i = 0; i < s.runs.size(); ++i)
            if (s.runs[i].start > end)
                push(s.runs[i].start + delta, s.runs[i].format);
    }
    s.runs = std::move(out);
}

} // namespace

void Document::replaceText(int storyIndex, int32_t start, int32_t end, const QString& text)
{
    docx::Story& s = m_model.stories.at(storyIndex);
    const int32_t inserted = static_cast<int32_t>(text.size());
    const int32_t delta = inserted - (end - start);
    replaceRuns(s, start, end, inserted);
    s.text.replace(start, end - start, text);
    ++s.revision;

    shiftMarks(s.symbols, start, end, delta);
    shiftMarks(s.rowEnds, start, end, delta);

    for (auto& n : m_model.notes) {
        if (n.refStory == storyIndex)
            shift(n.refPos, start, end, delta);
        if (s.type == n.type) {  // a note kind has one story
            shift(n.start, start, end, delta);
            shift(n.end, start, end, delta);
        }
    }
    for (auto& c : m_model.comments) {
        if (c.anchorStory == storyIndex) {
            shift(c.rangeStart, start, end, delta);
            shift(c.rangeEnd, start, end, delta);
            shift(c.markPos, start, end, delta);
        }
        if (s.type == docx::wdCommentsStory) {
            shift(c.start, start, end, delta);
            shift(c.end, start, end, delta);
        }
    }
    for (auto& t : m_model.textBoxes)
        if (t.anchorStory == storyIndex)
            shift(t.anchorPos, start, end, delta);
    emit m_app->storyEdited(this, storyIndex);
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
