// The map from story positions to drawn positions, kept in blocks: after any run of edits it
// answers as the plain vector it stands for.
#include "host/DrawnPositions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

TEST(DrawnPositions, AnswersAsThePlainMapThroughTypingDeletingPastingAndSelectionsAcrossBlocks)
{
    // Most positions drawn one after another, some not drawn, some after drawn text of no position.
    std::mt19937 random(7);
    std::vector<int> plain;
    for (int i = 0, pos = 0; i < 30000; ++i, pos += random() % 20 == 0 ? 0 : random() % 20 == 0 ? 2 : 1)
        plain.push_back(pos);
    host::DrawnPositions map;
    for (int pos : plain)
        map.push_back(pos);
    for (int edit = 0; edit < 400; ++edit) {
        // Mostly a keystroke or two; now and then a span across blocks, or a paste of many.
        const unsigned kind = random() % 20;
        const auto from = static_cast<int32_t>(random() % (plain.size() - 1));
        const auto to = std::min(static_cast<int32_t>(plain.size() - 1), from + static_cast<int32_t>(random() % (kind ? 3 : 9000)));
        std::vector<int> fresh(kind == 1 ? 10000 : random() % 3);
        for (size_t i = 0; i < fresh.size(); ++i)
            fresh[i] = plain[static_cast<size_t>(from)] + static_cast<int>(i);
        const int delta = static_cast<int>(fresh.size()) - (plain[static_cast<size_t>(to)] - plain[static_cast<size_t>(from)]);
        plain.erase(plain.begin() + from, plain.begin() + to);
        plain.insert(plain.begin() + from, fresh.begin(), fresh.end());
        for (auto it = plain.begin() + from + static_cast<std::ptrdiff_t>(fresh.size()); it != plain.end(); ++it)
            *it += delta;
        map.replace(from, to, fresh, delta);
        if (edit % 50 != 0 && kind > 1)
            continue;
        ASSERT_EQ(map.size(), plain.size());
        for (size_t cp = 0; cp < plain.size(); ++cp)
            ASSERT_EQ(map.at(static_cast<int32_t>(cp)), plain[cp]) << cp;
        for (int pos = -1; pos <= plain.back() + 1; ++pos) {
            ASSERT_EQ(map.lowerBound(pos), std::lower_bound(plain.begin(), plain.end(), pos) - plain.begin()) << pos;
            ASSERT_EQ(map.countUpTo(pos), std::upper_bound(plain.begin(), plain.end(), pos) - plain.begin()) << pos;
        }
    }
    EXPECT_THROW(map.at(static_cast<int32_t>(plain.size())), std::out_of_range);
}
