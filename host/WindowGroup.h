#pragma once

class QWindow;

namespace host {

// A window standing for the application as a whole, for the add-in's forms to be owned by: on
// X11, the root window, as a window transient for the root window is transient for its
// application's whole group of windows (stacked above all of them and no other program's).
// Null where there is no such window (offscreen). The caller owns it.
QWindow* createWindowGroupOwner();

} // namespace host
