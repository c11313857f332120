#include "platform/word/Comments.h"

#include "platform/word/Document.h"
#include "platform/word/Range.h"
#include "platform/word/Window.h"
#include "platform/word/WordError.h"

namespace word {

namespace {

int commentsStoryIndex(const docx::Document& model)
{
    for (size_t i = 0; i < model.stories.size(); ++i)
        if (model.stories[i].type == docx::wdCommentsStory)
            return static_cast<int>(i);
    throw wordError(NoSuchMember);
}

} // namespace

RangePtr Comment::Range() const
{
    const auto& c = m_doc->model().comments.at(m_index);
    return std::make_shared<word::Range>(m_doc, commentsStoryIndex(m_doc->model()), c.start, c.end);
}

RangePtr Comment::Scope() const
{
    const auto& c = m_doc->model().comments.at(m_index);
    return std::make_shared<word::Range>(m_doc, c.anchorStory, c.rangeStart, c.rangeEnd);
}

QString Comment::Author() const
{
    return m_doc->model().comments.at(m_index).author;
}

QString Comment::Initial() const
{
    return m_doc->model().comments.at(m_index).initials;
}

void Comment::Edit()
{
    const auto& c = m_doc->model().comments.at(m_index);
    WindowPtr window = m_doc->ActiveWindow();
    window->View()->setSplitSpecial(wdPaneComments);
    // The caret goes to the end of the comment's text, before its closing paragraph mark.
    const int32_t caret = c.end > c.start ? c.end - 1 : c.start;
    window->select(commentsStoryIndex(m_doc->model()), caret, caret);
}

CommentPtr Comments::Item(int index) const
{
    if (index < 1 || index > Count())
        throw wordError(NoSuchMember);
    return std::make_shared<Comment>(m_doc, m_indexes[static_cast<size_t>(index - 1)]);
}

} // namespace word
