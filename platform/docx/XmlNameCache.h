#pragma once

#include "platform/docx/XmlNames.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace docx {

// A namespace prefix as a part's root element binds it.
struct XmlBinding {
    std::string prefix;   // empty: the default namespace
    Ns ns;
};

// Qualified element names classified once per part, as the root's namespace bindings make them:
// the walk meets a few dozen names hundreds of thousands of times.
class XmlNameCache {
public:
    struct Class {
        Tok tok;
        Ns ns;
        uint8_t localAt;   // where the local name starts
    };

    // The names of one part, its root binding prefixes as bindings says.
    explicit XmlNameCache(const std::vector<XmlBinding>& bindings) : m_bindings(bindings) {}

    // Where name's lookup starts; name's bytes may be loaded up to readable. The tokenizer works
    // it out while the name is in its cache, so the lookup here need not wait for the name's
    // bytes before it can load the slot.
    static uint32_t slotOf(std::string_view name, const char* readable);
    // name as slotOf(name) starts it. The class lasts until the next call; a reference, so that
    // its fields are read from memory one by one (packed into a returned register they went
    // through the stack and stalled every caller).
    const Class& classify(std::string_view name, const char* readable, uint32_t slot);

    // Without the cache: prefix resolved by ns.
    template <typename NsOfPrefix>
    static Class classifyUncached(std::string_view name, NsOfPrefix&& ns)
    {
        const std::size_t colon = name.find(':');
        const std::string_view prefix = colon == std::string_view::npos ? std::string_view() : name.substr(0, colon);
        const std::string_view local = colon == std::string_view::npos ? name : name.substr(colon + 1);
        const Ns n = ns(prefix);
        return {tokOf(n, local), n, static_cast<uint8_t>(std::min<std::size_t>(name.size() - local.size(), 255))};
    }

    // Names longer than this are classified uncached.
    static constexpr std::size_t kLongest = 32;

private:
    struct Slot {
        uint64_t name[4];   // zero-padded; all zero: free
        Class cls;
    };
    static constexpr std::size_t kSlots = 512, kProbes = 8;

    Ns rootNs(std::string_view prefix) const;

    const std::vector<XmlBinding>& m_bindings;
    Slot m_slots[kSlots] = {};
    Class m_uncached{};
};

} // namespace docx
