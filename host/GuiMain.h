#pragma once

// The application with its windows. It lives in a library of its own (with Qt Widgets, the forms
// runtime and the document windows behind it) that the program loads only when a window is to be
// opened, so that the commands without a window start without them.
extern "C" int tarvelin_gui_main(int argc, char** argv);
