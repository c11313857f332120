#include "platform/docx/StoryText.h"

#include <algorithm>
#include <cstring>

namespace docx {

namespace {

// Room a gap is given when it has too little: typing goes on where it went on before, and a
// long story should not be moved for each few characters typed into it.
constexpr qsizetype kGapRoom = 4096;

void moveUnits(QChar* to, const QChar* from, qsizetype n)
{
    if (n > 0)   // an empty text may have no data at all, which memmove must not be given
        std::memmove(to, from, static_cast<std::size_t>(n) * sizeof(QChar));
}

} // namespace

QString StoryText::mid(qsizetype pos, qsizetype n) const
{
    // Cut to the text as QString::mid cuts: a start before it shortens the piece.
    const qsizetype length = size();
    if (pos >= length)
        return {};
    if (pos < 0) {
        if (n >= 0 && (n += pos) <= 0)
            return {};
        pos = 0;
    }
    if (n < 0 || n > length - pos)
        n = length - pos;
    const qsizetype before = std::clamp<qsizetype>(m_gapAt - pos, 0, n);
    QString out;
    out.reserve(n);
    out.append(m_buf.constData() + pos, before);
    out.append(m_buf.constData() + pos + before + m_gap, n - before);
    return out;
}

void StoryText::close() const
{
    moveGap(size());
    m_buf.resize(size());   // keeps the capacity: the next edit's gap may use it
    m_gap = 0;
}

void StoryText::moveGap(qsizetype to) const
{
    if (m_gap == 0 || to == m_gapAt) {
        m_gapAt = to;
        return;
    }
    QChar* const d = m_buf.data();
    if (to < m_gapAt)
        moveUnits(d + to + m_gap, d + to, m_gapAt - to);
    else
        moveUnits(d + m_gapAt, d + m_gapAt + m_gap, to - m_gapAt);
    m_gapAt = to;
}

void StoryText::replace(qsizetype pos, qsizetype n, QStringView text)
{
    moveGap(pos);
    m_gap += n;   // the replaced characters join the gap
    if (m_gap < text.size()) {
        const qsizetype grow = text.size() - m_gap + kGapRoom;
        const qsizetype after = m_buf.size() - m_gapAt - m_gap;
        m_buf.resize(m_buf.size() + grow);
        QChar* const d = m_buf.data();
        moveUnits(d + m_buf.size() - after, d + m_gapAt + m_gap, after);
        m_gap += grow;
    }
    moveUnits(m_buf.data() + m_gapAt, text.data(), text.size());
    m_gapAt += text.size();
    m_gap -= text.size();
}

} // namespace docx
