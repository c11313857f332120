// The save target's mutator: its input is the edit script followed by a package. One mutation in
// four changes the script; the others change the package as the docx target's do.
#include "fuzz/PackageMutator.h"
#include "fuzz/Targets.h"

#include <algorithm>
#include <cstring>
#include <random>

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize, unsigned int seed)
{
    constexpr std::size_t n = fuzz::kSaveScriptSize;
    if (maxSize <= n)
        return LLVMFuzzerMutate(data, size, maxSize);
    if (size < n) {
        std::memset(data + size, 0, n - size);
        size = n;
    }
    std::minstd_rand random(seed);
    if (random() % 4 == 0) {
        const std::size_t got = LLVMFuzzerMutate(data, n, n);
        std::fill(data + got, data + n, 0);
        return size;
    }
    return n + fuzz::mutatePackage(data + n, size - n, maxSize - n, seed);
}
