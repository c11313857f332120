#include "fuzz/Targets.h"

#include <cstdio>
#include <cstdlib>

namespace fuzz {

void check(bool ok, const char* what)
{
    if (ok)
        return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

} // namespace fuzz
