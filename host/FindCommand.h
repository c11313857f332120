#pragma once

#include <QStringList>

namespace host {

// `tarvelin find`: the add-in's own search (its condition, its engine and its result rows) run
// over each file with no display, the rows printed as a table or as JSON. Needs a QApplication
// (on the offscreen platform). Returns 0 when something was found, 1 when nothing was, 2 when an
// error occurred (usage, a file that could not be opened, an invalid pattern), 130 when stopped by
// Ctrl-C (the hits found so far are printed).
int runFind(const QStringList& arguments);

} // namespace host
