#pragma once

#include <memory>

namespace core {

// A late-bound object as a host hands it over: the caller converts it to the interface it
// expects (std::dynamic_pointer_cast) and treats a failed conversion as a type mismatch.
class Object : public std::enable_shared_from_this<Object> {
public:
    virtual ~Object();
};

} // namespace core
