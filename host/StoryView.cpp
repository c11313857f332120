#include "host/StoryView.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>

namespace host {

namespace {

using docx::CpClass;

const QColor kMarkColor(0x80, 0x80, 0x80);
const QColor kDeletedColor(Qt::red);
const QColor kHighlightColor(Qt::yellow);

QColor fromColorRef(int32_t colorRef)
{
    return QColor(colorRef & 0xFF, (colorRef >> 8) & 0xFF, (colorRef >> 16) & 0xFF);
}

QTextCharFormat textFormat(const docx::CharFormat& f)
{
    QTextCharFormat out;
    if (f.cls == CpClass::Deleted) {
        out.setForeground(kDeletedColor);
        out.setFontStrikeOut(true);
        return out;
    }
    if (f.color != docx::kColorAutomatic)
        out.setForeground(fromColorRef(f.color));
    if (f.highlight)
        out.setBackground(kHighlightColor);
    out.setFontStrikeOut(f.strike);
    return out;
}

QTextCharFormat markFormat(QTextCharFormat f)
{
    f.setForeground(kMarkColor);
    return f;
}

// How one shown character is drawn; an empty string draws nothing. rowEnd: the character is the
// cell mark that ends a table row.
QString drawn(char16_t c, bool rowEnd)
{
    namespace cp = docx::cp;
    switch (c) {
    case cp::ParagraphMark:
    case cp::PageBreak:
    case cp::ColumnBreak:
        return QString(QChar::ParagraphSeparator);
    case cp::LineBreak:
        return QString(QChar::LineSeparator);
    case cp::CellMark:
        return rowEnd ? QString(QChar::ParagraphSeparator) : QStringLiteral(" │ ");
    case cp::Separator:
        return QStringLiteral("──────");
    case cp::ContinuationSeparator:
        return QStringLiteral("────────────────────");
    case cp::Graphic:
        return QStringLiteral("▣");
    case cp::NonBreakingHyphen:
        return QStringLiteral("\u2011");
    case cp::ShapeAnchor:
    case cp::OptionalHyphen:
    case cp::FieldBegin:
    case cp::FieldSeparator:
    case cp::FieldEnd:
        return {};
    default:
        return QString(QChar(c));
    }
}

bool isMark(char16_t c)
{
    namespace cp = docx::cp;
    return c == cp::CellMark || c == cp::Separator || c == cp::ContinuationSeparator || c == cp::Graphic;
}

} // namespace

StoryView::StoryView(QWidget* parent)
    : QTextEdit(parent)
{
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setUndoRedoEnabled(false);
    // A selection made by navigation must stay visible while another window has the focus.
    QPalette p = palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(p);
    connect(this, &QTextEdit::selectionChanged, this, [this] {
        if (m_selecting)
            return;
        const QTextCursor c = textCursor();
        emit userSelected(storyPosition(c.selectionStart()), storyPosition(c.selectionEnd()));
    });
}

void StoryView::setStory(const docx::Story& story, int storyIndex, const MarkLabels& labels)
{
    m_storyIndex = storyIndex;
    m_revision = story.revision;
    m_toDisplay.assign(static_cast<size_t>(story.length()) + 1, 0);
    m_doubleStrikes.clear();

    struct Piece {
        QString text;
        QTextCharFormat format;
    };
    std::vector<Piece> pieces;
    int shown = 0;
    auto append = [&](const QString& text, const QTextCharFormat& format) {
        if (!pieces.empty() && pieces.back().format == format)
            pieces.back().text += text;
        else
            pieces.push_back({text, format});
        shown += static_cast<int>(text.size());
    };

    for (size_t r = 0; r < story.runs.size(); ++r) {
        const docx::CharFormat& f = story.runs[r].format;
        const int32_t end = r + 1 < story.runs.size() ? story.runs[r + 1].start : story.length();
        const QTextCharFormat format = textFormat(f);
        const int spanStart = shown;
        for (int32_t p = story.runs[r].start; p < end; ++p) {
            m_toDisplay[static_cast<size_t>(p)] = shown;
            if (f.cls == CpClass::Field || f.cls == CpClass::Hidden)
                continue;
            const char16_t c = story.text[p].unicode();
            if (const auto label = labels.find(p); label != labels.end()) {
                QTextCharFormat raised = markFormat(format);
                raised.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
                append(label->second, raised);
                continue;
            }
            const QString text =
                drawn(c, std::binary_search(story.rowEnds.begin(), story.rowEnds.end(), p));
            append(text, isMark(c) ? markFormat(format) : format);
        }
        if (f.doubleStrike && f.cls != CpClass::Deleted && shown > spanStart)
            m_doubleStrikes.emplace_back(spanStart, shown);
    }
    m_toDisplay.back() = shown;

    m_selecting = true;
    auto* doc = new QTextDocument(this);
    doc->setUndoRedoEnabled(false);
    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    for (const Piece& piece : pieces)
        cursor.insertText(piece.text, piece.format);
    cursor.endEditBlock();
    setDocument(doc);
    if (m_document)
        m_document->deleteLater();
    m_document = doc;
    m_selecting = false;
    refit();
}

int32_t StoryView::storyPosition(int pos) const
{
    const auto it = std::lower_bound(m_toDisplay.begin(), m_toDisplay.end(), pos);
    return static_cast<int32_t>(std::min<ptrdiff_t>(it - m_toDisplay.begin(), m_toDisplay.size() - 1));
}

void StoryView::selectStory(int32_t start, int32_t end)
{
    QTextCursor c(document());
    c.setPosition(displayPosition(start));
    c.setPosition(displayPosition(end), QTextCursor::KeepAnchor);
    m_selecting = true;
    setTextCursor(c);
    m_selecting = false;
    ensureCursorVisible();
}

void StoryView::fitToContent(int maxHeight)
{
    m_fitMaxHeight = maxHeight;
    refit();
}

void StoryView::refit()
{
    if (m_fitMaxHeight <= 0)
        return;
    const int content = static_cast<int>(document()->size().height()) + 2 * frameWidth();
    const int h = std::min(content, m_fitMaxHeight);
    if (h != height())
        setFixedHeight(h);
}

void StoryView::resizeEvent(QResizeEvent* event)
{
    QTextEdit::resizeEvent(event);
    refit();  // the text's height follows the width
}

void StoryView::paintEvent(QPaintEvent* event)
{
    QTextEdit::paintEvent(event);
    if (!m_doubleStrikes.empty())
        paintDoubleStrike();
}

// Qt draws one strike-through line; a double strike-through gets its two lines here.
void StoryView::paintDoubleStrike()
{
    QPainter painter(viewport());
    const QPointF scroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
    for (const auto& [start, end] : m_doubleStrikes) {
        for (QTextBlock block = document()->findBlock(start); block.isValid() && block.position() < end;
             block = block.next()) {
            const QTextLayout* layout = block.layout();
            const QPointF origin = document()->documentLayout()->blockBoundingRect(block).topLeft() - scroll;
            for (int i = 0; i < layout->lineCount(); ++i) {
                const QTextLine line = layout->lineAt(i);
                const int lineStart = block.position() + line.textStart();
                const int from = std::max(start, lineStart);
                const int to = std::min(end, lineStart + line.textLength());
                if (from >= to)
                    continue;
                QTextCursor at(document());
                at.setPosition(from + 1);
                const QBrush brush = at.charFormat().foreground();
                painter.setPen(QPen(brush.style() == Qt::NoBrush ? palette().color(QPalette::Text) : brush.color(), 1));
                const qreal x1 = origin.x() + line.cursorToX(from - block.position());
                const qreal x2 = origin.x() + line.cursorToX(to - block.position());
                const qreal y = origin.y() + line.y() + line.ascent() * 0.6;
                painter.drawLine(QPointF(x1, y - 1.5), QPointF(x2, y - 1.5));
                painter.drawLine(QPointF(x1, y + 1.5), QPointF(x2, y + 1.5));
            }
        }
    }
}

} // namespace host
