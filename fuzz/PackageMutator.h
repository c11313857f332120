#pragma once

#include <cstddef>
#include <cstdint>

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

namespace fuzz {

// Mutates a .docx package in place, mostly by changing one of its XML parts and zipping it again;
// the new size (at most maxSize).
std::size_t mutatePackage(uint8_t* data, std::size_t size, std::size_t maxSize, unsigned int seed);

} // namespace fuzz
