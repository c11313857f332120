#pragma once

#include "platform/docx/TextWalker.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace docx {

// Which header and footer parts become stories, in Word's chain order, and which story each
// section shows per kind after link-to-previous.
struct HeaderFooterPlan {
    struct Entry {
        int type;           // wdEvenPagesHeaderStory ... wdFirstPageFooterStory
        int section;        // the section owning the reference
        std::string part;
    };
    std::vector<Entry> chain;                                        // ascending type, then section
    std::vector<std::array<int, SectionInfo::SlotCount>> bySection;  // index into chain, -1 none
};

// The story type of each SectionInfo slot.
int storyTypeOfSlot(int slot);

// partOf maps a relationship id to its part name ("" when it leads nowhere: no reference then).
HeaderFooterPlan planHeadersFooters(const std::vector<SectionInfo>& sections,
                                    const std::function<std::string(const std::string&)>& partOf);

} // namespace docx
