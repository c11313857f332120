#include "platform/docx/PartName.h"

#include <vector>

namespace docx {

std::string normalPartName(std::string_view name)
{
    std::vector<std::string_view> segments;
    std::size_t i = 0;
    while (i <= name.size()) {
        const std::size_t end = std::min(name.find('/', i), name.size());
        const std::string_view seg = name.substr(i, end - i);
        if (seg == "..") {
            if (!segments.empty())
                segments.pop_back();
        } else if (!seg.empty() && seg != ".")
            segments.push_back(seg);
        i = end + 1;
    }
    std::string out;
    out.reserve(name.size());
    for (const std::string_view seg : segments) {
        if (!out.empty())
            out += '/';
        out += seg;
    }
    return out;
}

std::string asciiLower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string partNameKey(std::string_view name)
{
    return asciiLower(normalPartName(name));
}

} // namespace docx
