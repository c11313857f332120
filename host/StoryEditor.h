#pragma once

#include "platform/word/Forward.h"

#include <QObject>
#include <QTextCursor>

#include <cstdint>

class QInputMethodEvent;
class QKeyEvent;
class QMenu;

namespace host {

class StoryView;

// Makes a story view take the user's editing: typing, Backspace and Delete, Enter, cut and paste,
// and composing through the input method. Every change goes to the document through word::Range,
// and the view shows it once the model has taken it (the window redraws what the model changed).
// Qt never edits the drawn text itself: the view stays read-only to it, and a composition in
// progress is drawn by the view's layout only, never put into the model.
class StoryEditor : public QObject {
    Q_OBJECT
public:
    StoryEditor(word::DocumentPtr doc, StoryView* view);

    // Replaces the view's selection (or inserts at the caret) with text through the model and
    // leaves the caret after it; whether the model took it.
    bool replaceSelection(const QString& text);
    // The view's context menu: 切り取り, コピー and 貼り付け, each enabled when it can act.
    QMenu* contextMenu();

signals:
    // The model refused an edit, saying why; nothing changed.
    void refused(const QString& reason);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool keyPress(QKeyEvent* event);
    void inputMethod(QInputMethodEvent* event);
    // Replaces [start, end) of the story; whether the model took it.
    bool replace(int32_t start, int32_t end, const QString& text);
    // Deletes the selection, or the drawn characters between the caret and where op moves it.
    void deleteBy(QTextCursor::MoveOperation op);
    void cut();
    void copy();
    void paste();
    // The story span the view's selection covers, and its text as Word gives it.
    std::pair<int32_t, int32_t> selectedSpan() const;
    QString selectedText() const;

    word::DocumentPtr m_doc;
    StoryView* m_view;
    bool m_forwarding = false;   // an input-method event of our own is on its way to the view
};

} // namespace host
