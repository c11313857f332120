#include "platform/docx/XmlNameCache.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace docx {

namespace {

static_assert(std::endian::native == std::endian::little, "names are packed little-endian");

// Masks keeping the first n bytes of a name packed into four little-endian words.
constexpr std::array<std::array<uint64_t, 4>, XmlNameCache::kLongest + 1> kNameMasks = [] {
    std::array<std::array<uint64_t, 4>, XmlNameCache::kLongest + 1> m{};
    for (std::size_t n = 0; n <= XmlNameCache::kLongest; ++n)
        for (std::size_t w = 0; w < 4; ++w) {
            const std::size_t bytes = n > 8 * w ? std::min<std::size_t>(n - 8 * w, 8) : 0;
            m[n][w] = bytes == 8 ? ~0ull : (1ull << (8 * bytes)) - 1;
        }
    return m;
}();

} // namespace

Ns XmlNameCache::rootNs(std::string_view prefix) const
{
    for (const XmlBinding& b : m_bindings)
        if (b.prefix == prefix)
            return b.ns;
    return Ns::Other;
}

uint32_t XmlNameCache::slotOf(std::string_view name, const char* readable)
{
    // Names differ early or in length: the first word and the length spread them well enough.
    const std::size_t len = std::min<std::size_t>(name.size(), kLongest);
    uint64_t first = 0;
    if (name.data() + sizeof(first) <= readable)
        std::memcpy(&first, name.data(), sizeof(first));
    else
        std::memcpy(&first, name.data(), std::min(len, sizeof(first)));
    first &= kNameMasks[len][0];
    return static_cast<uint32_t>(((first ^ len) * 0x9E3779B97F4A7C15ull) >> 55);
}

const XmlNameCache::Class& XmlNameCache::classify(std::string_view name, const char* readable, uint32_t slot)
{
    const std::size_t len = name.size();
    const auto uncached = [&]() -> const Class& {
        m_uncached = classifyUncached(name, [this](std::string_view p) { return rootNs(p); });
        return m_uncached;
    };
    if (len > kLongest)
        return uncached();
    uint64_t key[4] = {0, 0, 0, 0};
    if (name.data() + sizeof(key) <= readable)
        std::memcpy(key, name.data(), sizeof(key));
    else
        std::memcpy(key, name.data(), len);
    for (std::size_t i = 0; i < 4; ++i)
        key[i] &= kNameMasks[len][i];
    for (std::size_t probe = 0; probe < kProbes; ++probe) {
        Slot& s = m_slots[(slot + probe) % kSlots];
        if (((s.name[0] ^ key[0]) | (s.name[1] ^ key[1]) | (s.name[2] ^ key[2]) | (s.name[3] ^ key[3])) == 0)
            return s.cls;
        if ((s.name[0] | s.name[1] | s.name[2] | s.name[3]) == 0) {
            std::memcpy(s.name, key, sizeof(key));
            s.cls = uncached();
            return s.cls;
        }
    }
    return uncached();
}

} // namespace docx
