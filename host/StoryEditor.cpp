#include "host/StoryEditor.h"

#include "host/StoryView.h"
#include "platform/core/Error.h"
#include "platform/word/Document.h"
#include "platform/word/Range.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>

#include <algorithm>

namespace host {

namespace {

// Keys whose shortcut belongs to the menu bar (元に戻す, やり直し, コピー), which acts on the model.
bool menuShortcut(const QKeyEvent* e)
{
    return e->matches(QKeySequence::Undo) || e->matches(QKeySequence::Redo) || e->matches(QKeySequence::Copy)
           || QKeySequence(e->keyCombination()) == QKeySequence(Qt::CTRL | Qt::Key_Y);
}

bool printable(const QString& text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 32 && c.unicode() != 127; });
}

// Where text typed at story position pos goes. At a paragraph's start the drawings anchored there
// hold no text to join, and their anchors are drawn nowhere: it goes after them, where the
// paragraph's text begins, which is where the caret shows.
int32_t insertionPoint(const docx::Story& story, int32_t pos)
{
    namespace cp = docx::cp;
    const char16_t before = pos > 0 && pos <= story.length() ? story.text[pos - 1].unicode() : cp::ParagraphMark;
    if (pos > story.length() || !(before == cp::ParagraphMark || before == cp::CellMark || before == cp::PageBreak))
        return pos;
    while (pos < story.length() && story.text[pos] == QChar(cp::ShapeAnchor))
        ++pos;
    return pos;
}

} // namespace

StoryEditor::StoryEditor(word::DocumentPtr doc, StoryView* view)
    : QObject(view), m_doc(std::move(doc)), m_view(view)
{
    // Read-only to Qt, which would otherwise edit the drawn text behind the model's back; the
    // input method still talks to the view.
    m_view->setAttribute(Qt::WA_InputMethodEnabled, true);
    m_view->installEventFilter(this);
    // Qt's own menu would copy the drawn text (note numbers included) and could not cut or paste.
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_view, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu* menu = contextMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(m_view->viewport()->mapToGlobal(at));
    });
}

QMenu* StoryEditor::contextMenu()
{
    auto* menu = new QMenu(m_view);
    const bool selected = m_view->textCursor().hasSelection();
    menu->addAction(QStringLiteral("切り取り(&T)"), this, &StoryEditor::cut)->setEnabled(selected);
    menu->addAction(QStringLiteral("コピー(&C)"), this, &StoryEditor::copy)->setEnabled(selected);
    menu->addAction(QStringLiteral("貼り付け(&P)"), this, &StoryEditor::paste)
        ->setEnabled(!QApplication::clipboard()->text().isEmpty());
    return menu;
}

bool StoryEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_view || m_forwarding || m_view->storyIndex() < 0)
        return false;
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        if (menuShortcut(static_cast<QKeyEvent*>(event))) {
            event->ignore();   // the menu's shortcut fires
            return true;
        }
        return false;
    case QEvent::KeyPress:
        return keyPress(static_cast<QKeyEvent*>(event));
    case QEvent::InputMethod:
        inputMethod(static_cast<QInputMethodEvent*>(event));
        return true;
    default:
        return false;
    }
}

bool StoryEditor::keyPress(QKeyEvent* e)
{
    if (menuShortcut(e))
        return true;   // the menu item is disabled: nothing to do
    if (e->matches(QKeySequence::Cut)) {
        cut();
        return true;
    }
    if (e->matches(QKeySequence::Paste)) {
        paste();
        return true;
    }
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    switch (e->key()) {
    case Qt::Key_Backspace:
        deleteBy(ctrl ? QTextCursor::PreviousWord : QTextCursor::PreviousCharacter);
        return true;
    case Qt::Key_Delete:
        deleteBy(ctrl ? QTextCursor::NextWord : QTextCursor::NextCharacter);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter ends the paragraph; Shift+Enter breaks the line.
        replaceSelection(e->modifiers() & Qt::ShiftModifier ? QStringLiteral("\v") : QStringLiteral("\r"));
        return true;
    case Qt::Key_Tab:
        replaceSelection(QStringLiteral("\t"));
        return true;
    default:
        break;
    }
    if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier) || !printable(e->text()))
        return false;   // moving the caret and selecting stay Qt's
    replaceSelection(e->text());
    return true;
}

void StoryEditor::inputMethod(QInputMethodEvent* e)
{
    const QTextCursor cursor = m_view->textCursor();
    int32_t start = m_view->storyPosition(cursor.selectionStart());
    int32_t end = m_view->storyPosition(cursor.selectionEnd());
    if (e->replacementLength() > 0) {
        const int from = cursor.position() + e->replacementStart();
        start = m_view->storyPosition(from);
        end = m_view->storyPosition(from + e->replacementLength());
    }
    // Committed text goes to the model; a composition begun over a selection first deletes it.
    const bool changes = !e->commitString().isEmpty() || e->replacementLength() > 0
                         || (!e->preeditString().isEmpty() && cursor.hasSelection());
    m_forwarding = true;
    if (changes) {
        QInputMethodEvent clear;
        QCoreApplication::sendEvent(m_view, &clear);
        replace(start, end, e->commitString());
    }
    // What is still being composed the view draws in its layout, outside the document.
    QInputMethodEvent composing(e->preeditString(), e->attributes());
    QCoreApplication::sendEvent(m_view, &composing);
    m_forwarding = false;
}

std::pair<int32_t, int32_t> StoryEditor::selectedSpan() const
{
    const QTextCursor c = m_view->textCursor();
    return {m_view->storyPosition(c.selectionStart()), m_view->storyPosition(c.selectionEnd())};
}

QString StoryEditor::selectedText() const
{
    const auto [start, end] = selectedSpan();
    return word::Range(m_doc, m_view->storyIndex(), start, end).Text();
}

bool StoryEditor::replaceSelection(const QString& text)
{
    const auto [start, end] = selectedSpan();
    return replace(start, end, text);
}

bool StoryEditor::replace(int32_t start, int32_t end, const QString& text)
{
    if (start == end && text.isEmpty())
        return false;
    if (start == end)
        start = end = insertionPoint(m_doc->story(m_view->storyIndex()), start);
    try {
        word::Range(m_doc, m_view->storyIndex(), start, end).setText(text);
    } catch (const core::Error& e) {
        emit refused(e.description());
        return false;
    }
    // The window has drawn the change by now.
    QTextCursor caret(m_view->document());
    caret.setPosition(m_view->displayPosition(start + static_cast<int32_t>(text.size())));
    m_view->setTextCursor(caret);
    m_view->ensureCursorVisible();
    return true;
}

void StoryEditor::deleteBy(QTextCursor::MoveOperation op)
{
    QTextCursor c = m_view->textCursor();
    if (c.hasSelection()) {
        replaceSelection({});
        return;
    }
    const int from = c.position();
    c.movePosition(op);
    const int to = c.position();
    if (from == to)
        return;
    // Every story character drawn in the span, the one holding its last drawn position included.
    const int lo = std::min(from, to), hi = std::max(from, to);
    replace(m_view->storyCharacter(lo), m_view->storyCharacter(hi - 1) + 1, {});
}

void StoryEditor::cut()
{
    const auto [start, end] = selectedSpan();
    if (start == end)
        return;
    const QString text = selectedText();
    if (replace(start, end, {}))
        QApplication::clipboard()->setText(text);
}

void StoryEditor::copy()
{
    if (m_view->textCursor().hasSelection())
        QApplication::clipboard()->setText(selectedText());
}

void StoryEditor::paste()
{
    // Plain text only; it takes the formatting at the caret. Lines become paragraphs, as typed.
    QString text = QApplication::clipboard()->text();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\r")).replace(u'\n', u'\r');
    if (!text.isEmpty())
        replaceSelection(text);
}

} // namespace host
