// The libFuzzer entry point of one target, chosen by TARVELIN_FUZZ_TARGET at build time.
#include "fuzz/Targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    fuzz::TARVELIN_FUZZ_TARGET(data, size);
    return 0;
}
