#pragma once

#include "platform/word/Forward.h"

class QWidget;

namespace host {

// Installs the built-in dialogs this host draws into the application's Dialogs collection:
// 790, the fuzzy-matching options. parent owns the dialogs' windows (null for top-level ones).
void installBuiltinDialogs(word::Application& app, QWidget* parent = nullptr);

} // namespace host
