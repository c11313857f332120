#include "platform/docx/HeaderFooterPlan.h"

#include "platform/docx/Story.h"

namespace docx {

int storyTypeOfSlot(int slot)
{
    static const int kTypes[SectionInfo::SlotCount] = {
        wdPrimaryHeaderStory, wdFirstPageHeaderStory, wdEvenPagesHeaderStory,
        wdPrimaryFooterStory, wdFirstPageFooterStory, wdEvenPagesFooterStory,
    };
    return kTypes[slot];
}

HeaderFooterPlan planHeadersFooters(const std::vector<SectionInfo>& sections,
                                    const std::function<std::string(const std::string&)>& partOf)
{
    HeaderFooterPlan plan;
    const std::size_t n = sections.size();
    std::vector<std::array<std::string, SectionInfo::SlotCount>> own(n);
    for (std::size_t s = 0; s < n; ++s)
        for (int slot = 0; slot < SectionInfo::SlotCount; ++slot)
            if (!sections[s].refs[slot].empty())
                own[s][slot] = partOf(sections[s].refs[slot]);

    plan.bySection.assign(n, {});
    for (auto& row : plan.bySection)
        row.fill(-1);
    for (int type = wdEvenPagesHeaderStory; type <= wdFirstPageFooterStory; ++type) {
        int slot = 0;
        while (storyTypeOfSlot(slot) != type)
            ++slot;
        // A section without its own part of this kind shows the previous section's.
        int current = -1;
        for (std::size_t s = 0; s < n; ++s) {
            if (!own[s][slot].empty()) {
                current = static_cast<int>(plan.chain.size());
                plan.chain.push_back({type, static_cast<int>(s), own[s][slot]});
            }
            plan.bySection[s][slot] = current;
        }
    }
    return plan;
}

} // namespace docx
