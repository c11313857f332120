#pragma once

#include <cstddef>
#include <cstdint>

// The fuzz targets' bodies. Each reads one input and returns when it was handled as it must be:
// read, or refused with the reader's own error. Anything else (a wrong error, a disagreement, a
// broken round trip) aborts through check(), which the fuzzer and the regression test both see.
namespace fuzz {

void zip(const uint8_t* data, std::size_t size);
void xml(const uint8_t* data, std::size_t size);
void docx(const uint8_t* data, std::size_t size);
void wildcards(const uint8_t* data, std::size_t size);
void codepage(const uint8_t* data, std::size_t size);
// The save target's input: the bytes that choose the edits, then the package.
constexpr std::size_t kSaveScriptSize = 64;
void save(const uint8_t* data, std::size_t size);

// Aborts with what printed when ok is false.
void check(bool ok, const char* what);

} // namespace fuzz
