#include "host/WindowGroup.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

namespace host {

QWindow* createWindowGroupOwner()
{
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return nullptr;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x11->connection())).data;
    return screen ? QWindow::fromWinId(screen->root) : nullptr;
}

} // namespace host
