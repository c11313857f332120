#pragma once

#include "platform/word/Forward.h"

#include <memory>

class frmQLFFind;
class frmQLFResult;

// The add-in's process-wide objects, set at connection and released at disconnection.
namespace mdlQLFGlobal {

// The host application every Word call starts from.
extern word::ApplicationPtr g_objApplication;
// The one search dialog, loaded and hidden from connection on.
extern std::shared_ptr<frmQLFFind> g_frmFind;
// The one result window, loaded and hidden from connection on.
extern std::shared_ptr<frmQLFResult> g_frmResult;

} // namespace mdlQLFGlobal
