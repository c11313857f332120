#pragma once

#include <QString>

namespace forms {

// Opens a file or an address with the desktop's handler for it, as the shell's "open" does: the
// text goes unchanged to the desktop's opener program, which is started and not waited for, so
// whether the handler managed is not known here. Throws 53 when the opener cannot be started.
void ShellOpen(const QString& file);

// The opener program ("xdg-open" unless set otherwise).
QString shellOpener();
void setShellOpener(const QString& program);

} // namespace forms
