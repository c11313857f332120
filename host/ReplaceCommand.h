#pragma once

#include <QStringList>

namespace host {

// `tarvelin replace`: the search of `tarvelin find` (every story, in Word's order) with Word's
// replacement rules, each file saved exactly (untouched parts as they were) to --output or over
// itself. Needs a QApplication (on the offscreen platform). Returns 0 when something was replaced
// (or, with --dry-run, would be), 1 when nothing was found, 2 when an error occurred; the other
// files are still done.
int runReplace(const QStringList& arguments);

} // namespace host
