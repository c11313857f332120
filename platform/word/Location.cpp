#include "platform/word/Location.h"

#include "platform/docx/NumberFormat.h"

#include <QStringList>

#include <algorithm>

namespace word {

namespace {

using docx::Document;
using docx::Story;

// The last element of a sorted span whose start is at or before pos, or -1.
template <typename T, typename Start>
int lastStartingAt(const std::vector<T>& items, int first, int last, int32_t pos, Start start)
{
    const auto begin = items.begin() + first, end = items.begin() + last;
    const auto it = std::upper_bound(begin, end, pos, [&](int32_t p, const T& item) { return p < start(item); });
    return it == begin ? -1 : static_cast<int>(it - items.begin()) - 1;
}

// The note of the story's type whose span holds pos, or -1. The model keeps each kind's notes
// together, in order of their span.
int noteAt(const Document& model, int type, int32_t pos)
{
    const auto& notes = model.notes;
    const int first = static_cast<int>(std::find_if(notes.begin(), notes.end(), [&](const docx::Note& n) { return n.type == type; }) - notes.begin());
    int last = first;
    while (last < static_cast<int>(notes.size()) && notes[last].type == type)
        ++last;
    const int i = lastStartingAt(notes, first, last, pos, [](const docx::Note& n) { return n.start; });
    return i >= 0 && pos <= notes[i].end ? i : -1;
}

int commentAt(const Document& model, int32_t pos)
{
    const auto& comments = model.comments;
    const int i = lastStartingAt(comments, 0, static_cast<int>(comments.size()), pos, [](const docx::Comment& c) { return c.start; });
    return i >= 0 && pos <= comments[i].end ? i : -1;
}

// Text boxes take consecutive story indexes in chain order.
int textBoxOf(const Document& model, int story)
{
    if (model.textBoxes.empty())
        return -1;
    const int i = story - model.textBoxes.front().story;
    return i >= 0 && i < static_cast<int>(model.textBoxes.size()) && model.textBoxes[i].story == story ? i : -1;
}

// The innermost cell holding pos: a cell holding it either is the last one starting before it or
// holds that one.
const docx::TableCell* cellAt(const Story& story, int32_t pos)
{
    const auto& cells = story.cells;
    int i = lastStartingAt(cells, 0, static_cast<int>(cells.size()), pos, [](const docx::TableCell& c) { return c.start; });
    while (i >= 0 && cells[i].end < pos)
        i = cells[i].outer;
    return i >= 0 ? &cells[i] : nullptr;
}

// Marks that stand for something elsewhere (a note, a comment, a picture): nothing to read.
bool isMark(QChar c)
{
    using namespace docx::cp;
    switch (c.unicode()) {
    case Graphic: case NoteMark: case Separator: case ContinuationSeparator: case CommentMark: case ShapeAnchor: return true;
    default: return false;
    }
}

bool endsParagraph(QChar c)
{
    return c == QChar(docx::cp::ParagraphMark) || c == QChar(docx::cp::CellMark) || c == QChar(docx::cp::PageBreak);
}

bool isFooter(int type)
{
    return type == docx::wdPrimaryFooterStory || type == docx::wdFirstPageFooterStory || type == docx::wdEvenPagesFooterStory;
}

} // namespace

QString headerFooterKindText(int kind, bool evenAndOdd)
{
    switch (kind) {
    case 1: return QStringLiteral("先頭ページ");
    case 2: return QStringLiteral("偶数ページ");
    default: return evenAndOdd ? QStringLiteral("奇数ページ") : QString();
    }
}

QString locationText(const Location& at, const Document& model, const std::function<QString(int)>& storyTypeName)
{
    QStringList parts{QStringLiteral("セクション %1").arg(at.section + 1)};
    if (at.headerFooterKind >= 0) {
        const QString kind = headerFooterKindText(at.headerFooterKind, model.evenAndOddHeaders);
        parts << (kind.isEmpty() ? QString() : kind + QStringLiteral("の"))
                     + (isFooter(at.storyType) ? QStringLiteral("フッター") : QStringLiteral("ヘッダー"));
    }
    if (at.note >= 0)
        parts << QStringLiteral("%1 %2").arg(at.storyType == docx::wdEndnotesStory ? QStringLiteral("文末脚注") : QStringLiteral("脚注"),
                                             at.noteNumber);
    if (at.comment >= 0) {
        const docx::Comment& c = model.comments[static_cast<std::size_t>(at.comment)];
        QStringList who;
        for (const QString& w : {c.author, c.initials.isEmpty() ? QString() : QStringLiteral("[%1]").arg(c.initials), c.date.left(10)})
            if (!w.isEmpty())
                who << w;
        parts << QStringLiteral("コメント %1").arg(at.comment + 1)
                     + (who.isEmpty() ? QString() : QStringLiteral("（%1）").arg(who.join(QLatin1Char(' '))));
    }
    if (at.textBox >= 0)
        parts << QStringLiteral("テキストボックス %1（%2に配置）")
                     .arg(QString::number(at.textBox + 1),
                          storyTypeName(model.stories.at(static_cast<std::size_t>(at.anchorStory)).type));
    if (at.table > 0)
        parts << QStringLiteral("表 %1 の %2 行 %3 列").arg(at.table).arg(at.row).arg(at.column);
    return parts.join(QStringLiteral("、"));
}

int headerFooterKind(int storyType)
{
    switch (storyType) {
    case docx::wdPrimaryHeaderStory:
    case docx::wdPrimaryFooterStory: return 0;
    case docx::wdFirstPageHeaderStory:
    case docx::wdFirstPageFooterStory: return 1;
    case docx::wdEvenPagesHeaderStory:
    case docx::wdEvenPagesFooterStory: return 2;
    default: return -1;
    }
}

int sectionAt(const Document& model, int story, int32_t pos)
{
    // Anchors lead outwards (a box in a box in a note); the bound only guards a malformed model.
    for (std::size_t hops = 0; story >= 0 && story < static_cast<int>(model.stories.size()) && hops <= model.stories.size(); ++hops) {
        const Story& s = model.stories[story];
        if (s.section >= 0)
            return s.section;
        switch (s.type) {
        case docx::wdMainTextStory: {
            const auto it = std::lower_bound(model.sections.begin(), model.sections.end(), pos,
                                             [](const docx::Section& sec, int32_t p) { return sec.endPos < p; });
            return model.sections.empty() ? 0 : static_cast<int>(std::min(it - model.sections.begin(), std::ptrdiff_t(model.sections.size()) - 1));
        }
        case docx::wdFootnotesStory:
        case docx::wdEndnotesStory: {
            const int n = noteAt(model, s.type, pos);
            if (n < 0)
                return 0;
            story = model.notes[n].refStory;
            pos = model.notes[n].refPos;
            break;
        }
        case docx::wdCommentsStory: {
            const int c = commentAt(model, pos);
            if (c < 0)
                return 0;
            story = model.comments[c].anchorStory;
            pos = model.comments[c].markPos;
            break;
        }
        case docx::wdTextFrameStory: {
            const int b = textBoxOf(model, story);
            if (b < 0)
                return 0;
            story = model.textBoxes[b].anchorStory;
            pos = model.textBoxes[b].anchorPos;
            break;
        }
        default: return 0;   // note separators belong to no section
        }
    }
    return 0;
}

Locator::Locator(const Document& model) : m_model(model)
{
    // A note with a custom mark shows that mark and takes no number; numbering restarts where
    // the section's settings say so (page restarts need pages, which the model has not: those
    // notes count on through the section).
    m_noteCounts.reserve(model.notes.size());
    static const docx::Section kNoSection;
    int type = -1, section = -1, next = 1;
    for (const docx::Note& note : model.notes) {
        const int s = sectionAt(model, note.refStory, note.refPos);
        const docx::Section& sec = s < static_cast<int>(model.sections.size()) ? model.sections[s] : kNoSection;
        const docx::NoteNumbering& numbering = note.type == docx::wdEndnotesStory ? sec.endnotes : sec.footnotes;
        if (note.type != type || (numbering.restart != docx::NoteNumbering::Continuous && s != section))
            next = numbering.start;
        type = note.type;
        section = s;
        m_noteCounts.push_back({note.customMark.isEmpty() ? next++ : 0, &numbering.format});
    }
}

// Written out only when asked for: a number format may need a formatter of ICU's, costly to make,
// and a search rarely lands in every note.
QString Locator::noteNumber(int note) const
{
    const NoteCount& count = m_noteCounts.at(static_cast<std::size_t>(note));
    const QString& mark = m_model.notes[static_cast<std::size_t>(note)].customMark;
    return mark.isEmpty() ? docx::formatNumber(count.number, *count.format) : mark;
}

Location Locator::locate(int story, int32_t pos) const
{
    Location at;
    const Story& s = m_model.stories.at(story);
    at.storyType = s.type;
    at.section = sectionAt(m_model, story, pos);
    at.headerFooterKind = headerFooterKind(s.type);
    if (s.type == docx::wdFootnotesStory || s.type == docx::wdEndnotesStory) {
        at.note = noteAt(m_model, s.type, pos);
        if (at.note >= 0)
            at.noteNumber = noteNumber(at.note);
    } else if (s.type == docx::wdCommentsStory) {
        at.comment = commentAt(m_model, pos);
    } else if (s.type == docx::wdTextFrameStory) {
        at.textBox = textBoxOf(m_model, story);
        if (at.textBox >= 0)
            at.anchorStory = m_model.textBoxes[at.textBox].anchorStory;
    }
    if (const docx::TableCell* cell = cellAt(s, pos)) {
        at.table = cell->table;
        at.row = cell->row;
        at.column = cell->column;
    }
    return at;
}

Context Locator::context(int story, int32_t start, int32_t end, int chars) const
{
    const Story& s = m_model.stories.at(story);
    Context c;
    if (s.length() == 0 || chars <= 0)
        return c;
    // The runs are walked beside the characters rather than looked up for each one.
    const auto runIndex = [&](int32_t p) { return static_cast<int32_t>(&s.runAt(p) - s.runs.data()); };
    const auto runs = static_cast<int32_t>(s.runs.size());
    const auto shown = [&](int32_t p, int32_t r) { return !isMark(s.text[p]) && docx::inFindText(s.runs[r].format.cls); };
    // Written straight into strings of the most they can hold, then cut to what was written.
    if (start > 0) {
        c.before = QString(std::min(chars, start), Qt::Uninitialized);
        QChar* const first = c.before.data();
        QChar* out = first + c.before.size();   // filled from its end
        for (int32_t p = start - 1, r = runIndex(p); p >= 0 && out > first && !endsParagraph(s.text[p]); --p) {
            while (s.runs[r].start > p)
                --r;
            if (shown(p, r))
                *--out = s.text[p];
        }
        c.before.remove(0, out - first);
    }
    if (end < s.length()) {
        c.after = QString(std::min(chars, s.length() - end), Qt::Uninitialized);
        QChar* const first = c.after.data();
        QChar* const last = first + c.after.size();
        QChar* out = first;
        for (int32_t p = end, r = runIndex(p); p < s.length() && out < last && !endsParagraph(s.text[p]); ++p) {
            while (r + 1 < runs && s.runs[r + 1].start <= p)
                ++r;
            if (shown(p, r))
                *out++ = s.text[p];
        }
        c.after.truncate(out - first);
    }
    // A character outside the basic plane is not cut in half at either edge.
    if (!c.before.isEmpty() && c.before.front().isLowSurrogate())
        c.before.remove(0, 1);
    if (!c.after.isEmpty() && c.after.back().isHighSurrogate())
        c.after.chop(1);
    return c;
}

} // namespace word
