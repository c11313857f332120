// Most mutations change one XML part of the package and zip it again, so that the fuzzer spends
// its time past the zip layer; the rest change the zip's own bytes.
#include "fuzz/PackageMutator.h"

#include <zip.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>


namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

// The package's entries, inflated; nothing when the bytes are not a readable zip.
Entries unzip(const uint8_t* data, std::size_t size)
{
    Entries entries;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(data, size, 0, &error);
    zip_t* z = source ? zip_open_from_source(source, ZIP_RDONLY, &error) : nullptr;
    zip_error_fini(&error);
    if (!z) {
        if (source)
            zip_source_free(source);
        return entries;
    }
    const zip_int64_t n = zip_get_num_entries(z, 0);
    for (zip_int64_t i = 0; i < n && i < 1000; ++i) {
        zip_stat_t st;
        zip_file_t* f = nullptr;
        if (zip_stat_index(z, static_cast<zip_uint64_t>(i), 0, &st) == 0 && (st.valid & ZIP_STAT_SIZE)
            && st.size <= (8u << 20))
            f = zip_fopen_index(z, static_cast<zip_uint64_t>(i), 0);
        std::string bytes(f ? st.size : 0, '\0');
        const zip_int64_t got = f ? zip_fread(f, bytes.data(), bytes.size()) : -1;
        if (f)
            zip_fclose(f);
        if (got != static_cast<zip_int64_t>(bytes.size())) {
            entries.clear();
            break;
        }
        entries.emplace_back(st.name, std::move(bytes));
    }
    zip_discard(z);
    return entries;
}

// The entries zipped again; empty when that fails.
std::string rezip(const Entries& entries)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* out = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_source_keep(out);
    zip_t* z = zip_open_from_source(out, ZIP_TRUNCATE, &error);
    zip_error_fini(&error);
    std::string result;
    if (z) {
        for (const auto& [name, bytes] : entries) {
            zip_source_t* s = zip_source_buffer(z, bytes.data(), bytes.size(), 0);
            const zip_int64_t index = s ? zip_file_add(z, name.c_str(), s, ZIP_FL_ENC_UTF_8) : -1;
            if (index < 0) {
                zip_source_free(s);
                continue;
            }
            zip_set_file_compression(z, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 1);
        }
        if (zip_close(z) != 0)
            zip_discard(z);
        else if (zip_source_open(out) == 0) {
            zip_source_seek(out, 0, SEEK_END);
            result.resize(static_cast<std::size_t>(zip_source_tell(out)));
            zip_source_seek(out, 0, SEEK_SET);
            if (zip_source_read(out, result.data(), result.size()) != static_cast<zip_int64_t>(result.size()))
                result.clear();
            zip_source_close(out);
        }
    }
    zip_source_free(out);
    return result;
}

bool isXml(const std::string& name)
{
    return name.size() > 4 && (name.ends_with(".xml") || name.ends_with(".rels"));
}

} // namespace

namespace fuzz {

std::size_t mutatePackage(uint8_t* data, std::size_t size, std::size_t maxSize, unsigned int seed)
{
    std::minstd_rand random(seed);
    Entries entries = random() % 8 == 0 ? Entries() : unzip(data, size);
    std::vector<std::size_t> xml;
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (isXml(entries[i].first))
            xml.push_back(i);
    if (xml.empty())
        return LLVMFuzzerMutate(data, size, maxSize);
    std::string& part = entries[xml[random() % xml.size()]].second;
    const std::size_t length = part.size();
    part.resize(length + 64 + length / 8);
    part.resize(LLVMFuzzerMutate(reinterpret_cast<uint8_t*>(part.data()), length, part.size()));
    const std::string zipped = rezip(entries);
    if (zipped.empty() || zipped.size() > maxSize)
        return LLVMFuzzerMutate(data, size, maxSize);
    std::memcpy(data, zipped.data(), zipped.size());
    return zipped.size();
}

} // namespace fuzz
