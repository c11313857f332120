#include "platform/word/Range.h"

#include "platform/word/Comments.h"
#include "platform/word/Document.h"
#include "platform/word/Find.h"
#include "platform/word/Window.h"
#include "platform/word/WordError.h"

#include <algorithm>

namespace word {

Range::Range(DocumentPtr doc, int story, int32_t start, int32_t end)
    : m_doc(std::move(doc)), m_story(story), m_start(start), m_end(end)
{
}

int32_t Range::storyLength() const
{
    return m_doc->story(m_story).length();
}

void Range::setStart(int32_t start)
{
    if (start < 0 || start > storyLength())
        throw wordError(ValueOutOfRange);
    m_start = start;
    m_end = std::max(m_end, start);
}

void Range::setEnd(int32_t end)
{
    if (end < 0 || end > storyLength())
        throw wordError(ValueOutOfRange);
    m_end = end;
    m_start = std::min(m_start, end);
}

void Range::setSpan(int32_t start, int32_t end)
{
    m_start = start;
    m_end = end;
}

QString Range::Text() const
{
    const docx::Story& s = m_doc->story(m_story);
    const int32_t start = std::min(m_start, s.length());
    const int32_t end = std::min(m_end, s.length());
    QString out;
    out.reserve(end - start);
    auto sym = std::lower_bound(s.symbols.begin(), s.symbols.end(), start);
    // One search for the first run; the runs after it are walked in order.
    auto next = std::upper_bound(s.runs.begin(), s.runs.end(), start,
                                 [](int32_t pos, const docx::FormatRun& r) { return pos < r.start; });
    int32_t p = start;
    while (p < end) {
        while (next != s.runs.end() && next->start <= p)
            ++next;
        const docx::FormatRun& run = *(next - 1);
        const int32_t runEnd = std::min(end, next == s.runs.end() ? s.length() : next->start);
        if (docx::inRangeText(run.format.cls)) {
            for (; p < runEnd; ++p) {
                while (sym != s.symbols.end() && *sym < p)
                    ++sym;
                const QChar c = s.text[p];
                if (sym != s.symbols.end() && *sym == p)
                    out += QLatin1Char('(');
                else if (c == docx::cp::CellMark)
                    out += QStringLiteral("\r\a");
                else
                    out += c;
            }
        }
        p = runEnd;
    }
    return out;
}

void Range::setText(const QString& text)
{
    m_doc->replaceText(m_story, m_start, m_end, text);
    m_end = m_start + static_cast<int32_t>(text.size());
}

int Range::Delete()
{
    if (m_start == m_end)
        return 0;
    setText(QString());
    return 1;
}

void Range::InsertAfter(const QString& text)
{
    m_doc->replaceText(m_story, m_end, m_end, text);
    m_end += static_cast<int32_t>(text.size());
}

void Range::InsertBefore(const QString& text)
{
    m_doc->replaceText(m_story, m_start, m_start, text);
    m_end += static_cast<int32_t>(text.size());
}

int Range::StoryType() const
{
    return m_doc->story(m_story).type;
}

Location Range::location() const
{
    return m_doc->locator().locate(m_story, m_start);
}

Context Range::context(int chars) const
{
    // An edit elsewhere may have shortened the story under a range kept from before it.
    const int32_t length = storyLength();
    return m_doc->locator().context(m_story, std::min(m_start, length), std::min(m_end, length), chars);
}

RangePtr Range::NextStoryRange() const
{
    const auto& stories = m_doc->model().stories;
    const size_t next = static_cast<size_t>(m_story) + 1;
    if (next < stories.size() && stories[next].type == stories[m_story].type)
        return std::make_shared<Range>(m_doc, static_cast<int>(next), 0, stories[next].length());
    return nullptr;
}

int Range::chainIndex() const
{
    const auto& stories = m_doc->model().stories;
    int index = 0;
    for (int i = m_story - 1; i >= 0 && stories[i].type == stories[m_story].type; --i)
        ++index;
    return index;
}

CommentsPtr Range::Comments() const
{
    const auto& comments = m_doc->model().comments;
    const bool inCommentsStory = StoryType() == docx::wdCommentsStory;
    std::vector<int> found;
    for (size_t i = 0; i < comments.size(); ++i) {
        const auto& c = comments[i];
        const bool hit = inCommentsStory
            ? (m_start >= c.start && m_start < c.end)
            : (c.anchorStory == m_story && c.rangeStart < std::max(m_end, m_start + 1) && c.rangeEnd >= m_start);
        if (hit)
            found.push_back(static_cast<int>(i));
    }
    return std::make_shared<word::Comments>(m_doc, std::move(found));
}

void Range::Select()
{
    m_doc->ActiveWindow()->select(m_story, m_start, m_end);
}

FindPtr Range::Find()
{
    if (!m_find)
        m_find = std::make_shared<word::Find>(std::static_pointer_cast<Range>(shared_from_this()));
    return m_find;
}

} // namespace word
