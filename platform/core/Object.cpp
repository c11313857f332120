#include "platform/core/Object.h"

namespace core {

Object::~Object() = default;

} // namespace core
