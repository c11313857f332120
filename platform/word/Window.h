#pragma once

#include "platform/core/Object.h"
#include "platform/word/Forward.h"

#include <cstdint>

namespace word {

// How a document window shows its document: the view type, which header or footer the print
// layout is editing (the seek view) and which special pane is split off (e.g. comments).
class View : public core::Object {
public:
    explicit View(Window* window) : m_window(window) {}

    int Type() const { return m_type; }
    void setType(int type);
    int SeekView() const;
    // Raises 4605 unless the view is print layout.
    void setSeekView(int seek);
    int SplitSpecial() const { return m_splitSpecial; }
    void setSplitSpecial(int pane);

private:
    void changed();

    Window* m_window;
    int m_type = wdPrintView;
    int m_seekView = wdSeekMainDocument;
    int m_splitSpecial = wdPaneNone;
};

class Pane : public core::Object {
public:
    explicit Pane(ViewPtr view) : m_view(std::move(view)) {}
    ViewPtr View() const { return m_view; }

private:
    ViewPtr m_view;
};

// A document's window: its view, its active pane and its selection.
class Window : public core::Object {
public:
    explicit Window(Document* doc);

    ViewPtr View() const { return m_view; }
    PanePtr ActivePane() const { return m_pane; }
    void Activate();
    Document* document() const { return m_doc; }

    // The selection: a span in one story of the document (an index into the model's stories).
    int selectionStory() const { return m_selStory; }
    int32_t selectionStart() const { return m_selStart; }
    int32_t selectionEnd() const { return m_selEnd; }
    void select(int story, int32_t start, int32_t end);

private:
    friend class View;
    void notifyView();

    Document* m_doc;
    ViewPtr m_view;
    PanePtr m_pane;
    int m_selStory = 0;
    int32_t m_selStart = 0;
    int32_t m_selEnd = 0;
};

} // namespace word
