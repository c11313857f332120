#pragma once

#include <QString>
#include <QStringView>

#include <concepts>
#include <utility>

namespace docx {

// A story's text, one UTF-16 unit per character position, kept with a gap where it was last
// edited: an edit moves only the characters between it and the edit before it, not every
// character after it, so that typing in a long paragraph costs what the keystroke does. Characters
// and copied pieces are read across the gap; reading the text whole (a view, the QString, a
// search) closes the gap first, once after an edit. What such a read returns is valid until the
// next edit. Since a read may move characters, a story is read by one thread at a time.
class StoryText {
public:
    StoryText() = default;
    explicit StoryText(QString text) : m_buf(std::move(text)) {}
    StoryText& operator=(QString text)
    {
        m_buf = std::move(text);
        m_gapAt = m_gap = 0;
        return *this;
    }

    qsizetype size() const { return m_buf.size() - m_gap; }
    qsizetype length() const { return size(); }
    bool isEmpty() const { return size() == 0; }
    QChar operator[](qsizetype i) const { return m_buf[i < m_gapAt ? i : i + m_gap]; }
    QChar at(qsizetype i) const { return (*this)[i]; }
    QChar front() const { return (*this)[0]; }
    QChar back() const { return (*this)[size() - 1]; }
    // A copy of n characters from pos (to the end when n < 0), as QString::mid.
    QString mid(qsizetype pos, qsizetype n = -1) const;

    // The whole text, its gap closed.
    const QString& str() const
    {
        if (m_gap > 0)
            close();
        return m_buf;
    }
    operator const QString&() const { return str(); }
    operator QStringView() const { return str(); }
    const QChar* begin() const { return str().constData(); }
    const QChar* end() const { return begin() + size(); }
    const ushort* utf16() const { return str().utf16(); }
    // Searches and tests of the whole text, as QString's.
    template <typename... A>
    qsizetype indexOf(A&&... a) const { return str().indexOf(std::forward<A>(a)...); }
    template <typename... A>
    bool contains(A&&... a) const { return str().contains(std::forward<A>(a)...); }
    template <typename... A>
    qsizetype count(A&&... a) const { return str().count(std::forward<A>(a)...); }
    template <typename... A>
    bool startsWith(A&&... a) const { return str().startsWith(std::forward<A>(a)...); }
    template <typename... A>
    bool endsWith(A&&... a) const { return str().endsWith(std::forward<A>(a)...); }
    QString left(qsizetype n) const { return mid(0, n); }

    friend bool operator==(const StoryText& a, const StoryText& b) { return a.str() == b.str(); }
    template <typename T>
        requires(!std::same_as<T, StoryText>)
    friend bool operator==(const StoryText& a, const T& b) { return a.str() == b; }

    // [pos, pos + n) becomes text, which must not point into this text.
    void replace(qsizetype pos, qsizetype n, QStringView text);
    // The text as a QString to build on (reading a story appends to it).
    QString& buffer()
    {
        str();
        return m_buf;
    }
    StoryText& operator+=(QStringView text)
    {
        buffer().append(text);
        return *this;
    }
    // Swaps the text with a QString's.
    void swap(QString& other) { buffer().swap(other); }

private:
    void close() const;
    void moveGap(qsizetype to) const;

    mutable QString m_buf;           // the text with the gap at m_gapAt
    mutable qsizetype m_gapAt = 0;   // where the gap starts, a position of the text
    mutable qsizetype m_gap = 0;     // units in the gap
};

} // namespace docx
