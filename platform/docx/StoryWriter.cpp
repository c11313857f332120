#include "platform/docx/StoryWriter.h"

namespace docx {

StoryWriter::StoryWriter(Story& story) : m_story(story) {}

void StoryWriter::grow(qsizetype extra)
{
    const qsizetype need = m_story.text.size() + extra;
    if (need > m_story.text.capacity())
        m_story.text.reserve(std::max(need, m_story.text.capacity() * 2));
}

void StoryWriter::use(const CharFormat& f)
{
    if (m_story.runs.empty() || m_story.runs.back().format != f)
        m_story.runs.push_back({pos(), f});
}

void StoryWriter::put(char16_t c, const CharFormat& f)
{
    use(f);
    grow(1);
    m_story.text.append(QChar(c));
}

void StoryWriter::putUtf8(std::string_view utf8, const CharFormat& f)
{
    if (utf8.empty())
        return;
    use(f);
    // UTF-16 never needs more units than UTF-8 has bytes: decode straight into the story.
    const qsizetype old = m_story.text.size();
    grow(static_cast<qsizetype>(utf8.size()));
    m_story.text.resize(old + static_cast<qsizetype>(utf8.size()));
    QChar* begin = m_story.text.data();
    QChar* end = m_utf8.appendToBuffer(begin + old, QByteArrayView(utf8.data(), utf8.size()));
    m_story.text.resize(end - begin);
}

void StoryWriter::putText(QStringView text, const CharFormat& f)
{
    if (text.isEmpty())
        return;
    use(f);
    grow(text.size());
    m_story.text.append(text);
}

} // namespace docx
