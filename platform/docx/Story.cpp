#include "platform/docx/Story.h"

#include <algorithm>

namespace docx {

const FormatRun& Story::runAt(int32_t p) const
{
    auto it = std::upper_bound(runs.begin(), runs.end(), p,
                               [](int32_t pos, const FormatRun& r) { return pos < r.start; });
    return *(it - 1);
}

} // namespace docx
