#pragma once

#include "src/common/clsCOMPerson.h"

#include <QString>

#include <memory>

// The add-in's name, version and creator, fixed when the add-in is built.
namespace mdlQLFConst {

QString getAddinName();
QString getAddinVersion();
// The creator record, made on the first call and the same record on every later one.
std::shared_ptr<clsCOMPerson> getCreator();

} // namespace mdlQLFConst
