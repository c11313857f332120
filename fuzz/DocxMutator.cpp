// The docx target's mutator: the package mutator alone.
#include "fuzz/PackageMutator.h"

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize, unsigned int seed)
{
    return fuzz::mutatePackage(data, size, maxSize, seed);
}
