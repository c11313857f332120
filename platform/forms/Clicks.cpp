#include "platform/forms/Clicks.h"

#include <QMouseEvent>
#include <QWidget>

namespace forms {

Clicks::Clicks(QWidget* control) : QObject(control)
{
    control->installEventFilter(this);
}

bool Clicks::eventFilter(QObject* watched, QEvent* event)
{
    const auto type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick && type != QEvent::MouseButtonRelease)
        return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton)
        return false;
    if (type != QEvent::MouseButtonRelease)
        m_doubleClicking = type == QEvent::MouseButtonDblClick;
    else if (m_doubleClicking)
        m_doubleClicking = false;
    else if (static_cast<QWidget*>(watched)->rect().contains(mouse->position().toPoint()))
        emit Click();
    return false;
}

} // namespace forms
