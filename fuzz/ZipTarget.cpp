// zip: the package reader over arbitrary bytes. Every entry libzip lists is read through
// ZipReader; what it returns must be exactly what libzip itself inflates for that entry.
#include "fuzz/MemoryFile.h"
#include "fuzz/Targets.h"

#include "platform/core/Error.h"
#include "platform/docx/LoadError.h"
#include "platform/docx/ZipReader.h"

#include <zip.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace fuzz {

namespace {

struct ZipCloser {
    void operator()(struct zip* z) const { zip_discard(z); }
};
using Zip = std::unique_ptr<struct zip, ZipCloser>;

Zip openInMemory(const uint8_t* data, std::size_t size)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(data, size, 0, &error);
    struct zip* z = source ? zip_open_from_source(source, ZIP_RDONLY, &error) : nullptr;
    if (source && !z)
        zip_source_free(source);
    zip_error_fini(&error);
    return Zip(z);
}

// The entry the reader finds for name (names match without regard to case), inflated by libzip.
std::optional<std::string> reference(struct zip* z, const std::string& name, std::size_t size)
{
    const zip_int64_t index = zip_name_locate(z, name.c_str(), ZIP_FL_NOCASE);
    zip_file_t* f = index < 0 ? nullptr : zip_fopen_index(z, static_cast<zip_uint64_t>(index), 0);
    if (!f)
        return std::nullopt;
    std::string out(size + 1, '\0');
    const zip_int64_t n = zip_fread(f, out.data(), out.size());
    zip_fclose(f);
    if (n < 0)
        return std::nullopt;
    out.resize(static_cast<std::size_t>(n));
    return out;
}

void checkLoadError(const core::Error& e)
{
    check(e.number() == docx::kErrFileCorrupt || e.number() == docx::kErrFileNotFound, "zip: unexpected error number");
}

} // namespace

void zip(const uint8_t* data, std::size_t size)
{
    const Zip listed = openInMemory(data, size);
    const MemoryFile file(data, size);
    try {
        docx::ZipReader reader(file.path());
        check(listed != nullptr, "zip: opened what libzip refuses");
        const zip_int64_t n = zip_get_num_entries(listed.get(), 0);
        for (zip_int64_t i = 0; i < n; ++i) {
            const char* name = zip_get_name(listed.get(), static_cast<zip_uint64_t>(i), 0);
            if (!name)
                continue;
            try {
                const std::string bytes = reader.read(name);
                check(reference(listed.get(), name, bytes.size()) == bytes, "zip: entry differs from libzip's");
            } catch (const core::Error& e) {
                checkLoadError(e);
            }
        }
    } catch (const core::Error& e) {
        checkLoadError(e);
    }
}

} // namespace fuzz
