#include "src/addin/mdlQLFGlobal.h"

namespace mdlQLFGlobal {

word::ApplicationPtr g_objApplication;
std::shared_ptr<frmQLFFind> g_frmFind;
std::shared_ptr<frmQLFResult> g_frmResult;

} // namespace mdlQLFGlobal
