#include "platform/docx/StoryWriter.h"

#include <unicode/ustring.h>

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
    // UTF-16 never needs more units than UTF-8 has bytes: decode straight into the story. ICU's
    // decoder runs about twice as fast as QStringDecoder on mixed Japanese and English text.
    const qsizetype old = m_story.text.size();
    const auto bytes = static_cast<int32_t>(utf8.size());   // parts are bounded well below 2 GiB
    grow(bytes);
    m_story.text.resize(old + bytes);
    int32_t units = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(reinterpret_cast<UChar*>(m_story.text.data() + old), bytes, &units, utf8.data(), bytes,
                         0xFFFD, nullptr, &status);
    m_story.text.resize(old + (U_SUCCESS(status) ? units : 0));
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
