#include "platform/word/Window.h"

#include "platform/word/Application.h"
#include "platform/word/Document.h"
#include "platform/word/WordError.h"

namespace word {

void View::setType(int type)
{
    if (type < wdNormalView || type > wdReadingView)
        throw core::runtimeError(core::InvalidProcedureCall, QStringLiteral("Tarvelin"));
    m_type = type;
    if (m_type != wdPrintView)
        m_seekView = wdSeekMainDocument;
    changed();
}

int View::SeekView() const
{
    return m_seekView;
}

void View::setSeekView(int seek)
{
    if (m_type != wdPrintView)
        throw wordError(CommandNotAvailable);
    if (seek < wdSeekMainDocument || seek > wdSeekCurrentPageFooter)
        throw core::runtimeError(core::InvalidProcedureCall, QStringLiteral("Tarvelin"));
    m_seekView = seek;
    changed();
}

void View::setSplitSpecial(int pane)
{
    if (pane < wdPaneNone || pane > wdPaneLast)
        throw core::runtimeError(core::InvalidProcedureCall, QStringLiteral("Tarvelin"));
    m_splitSpecial = pane;
    changed();
}

void View::changed()
{
    m_window->notifyView();
}

Window::Window(Document* doc)
    : m_doc(doc), m_view(std::make_shared<word::View>(this)), m_pane(std::make_shared<Pane>(m_view))
{
}

void Window::Activate()
{
    m_doc->Activate();
}

void Window::select(int story, int32_t start, int32_t end)
{
    m_selStory = story;
    m_selStart = start;
    m_selEnd = end;
    emit m_doc->application()->selectionChanged(this);
}

void Window::notifyView()
{
    emit m_doc->application()->viewChanged(this);
}

} // namespace word
