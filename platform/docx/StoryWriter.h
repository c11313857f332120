#pragma once

#include "platform/docx/Story.h"

#include <string_view>

namespace docx {

// Appends characters to a story, keeping the format runs merged as it goes.
class StoryWriter {
public:
    explicit StoryWriter(Story& story);

    int32_t pos() const { return static_cast<int32_t>(m_story.text.size()); }
    void put(char16_t c, const CharFormat& f);
    void putUtf8(std::string_view utf8, const CharFormat& f);
    void putText(QStringView text, const CharFormat& f);
    // Appends another story's text with its formats, symbols and row ends.
    void append(const Story& other);
    // Turns the last character into c, keeping its format.
    void replaceLast(char16_t c) { buffer().back() = QChar(c); }
    void markSymbol() { m_story.symbols.push_back(pos() - 1); }
    void markRowEnd() { m_story.rowEnds.push_back(pos() - 1); }

private:
    void use(const CharFormat& f);
    void grow(qsizetype extra);
    QString& buffer() { return m_story.text.buffer(); }

    Story& m_story;
};

} // namespace docx
