// The map from story positions to drawn positions, in blocks: after any run of edits it answers
// as the plain vector it stands for.
#include "host/DrawnPositions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <stdexcept>
#include <vector>

namespace {

// A drawn story's map: most positions drawn one after another, some not drawn (a field code),
// some after drawn text of no position (a break between pieces, a list label).
std::vector<int> drawnMap(std::mt19937& random, std::size_t length)
{
    std::vector<int> out;
    int pos = 0;
    for (std::size_t i = 0; i < length; ++i) {
        out.push_back(pos);
        const unsigned r = random() % 100;
        pos += r < 5 ? 0 : r < 8 ? 2 : 1;
    }
    return out;
}

void expectSame(const host::DrawnPositions& map, const std::vector<int>& plain, std::mt19937& random)
{
    ASSERT_EQ(map.size(), plain.size());
    for (std::size_t cp = 0; cp < plain.size(); cp += 1 + random() % 7)
        ASSERT_EQ(map.at(static_cast<int32_t>(cp)), plain[cp]) << cp;
    ASSERT_EQ(map.at(static_cast<int32_t>(plain.size() - 1)), plain.back());
    for (int pos = -1; pos <= plain.back() + 1; pos += 1 + static_cast<int>(random() % 5)) {
        ASSERT_EQ(map.lowerBound(pos), std::lower_bound(plain.begin(), plain.end(), pos) - plain.begin()) << pos;
        ASSERT_EQ(map.countUpTo(pos), std::upper_bound(plain.begin(), plain.end(), pos) - plain.begin()) << pos;
    }
}

} // namespace

TEST(DrawnPositions, AnswersAsThePlainMapThroughTypingDeletingPastingAndSelectionsAcrossBlocks)
{
    std::mt19937 random(7);
    std::vector<int> plain = drawnMap(random, 30000);
    host::DrawnPositions map(plain);
    expectSame(map, plain, random);

    for (int edit = 0; edit < 400; ++edit) {
        // Mostly a keystroke or two; now and then a span across blocks, or a paste of many.
        const unsigned kind = random() % 20;
        const auto length = static_cast<int32_t>(plain.size());
        const int32_t from = static_cast<int32_t>(random() % static_cast<unsigned>(length - 1));
        const int32_t span = kind == 0 ? static_cast<int32_t>(random() % 9000) : static_cast<int32_t>(random() % 3);
        const int32_t to = std::min(length - 1, from + span);
        const int inserted = kind == 1 ? 10000 : static_cast<int>(random() % 3);
        const int a = plain[static_cast<std::size_t>(from)], b = plain[static_cast<std::size_t>(to)];
        std::vector<int> fresh;
        for (int i = 0; i < inserted; ++i)
            fresh.push_back(a + i);
        const int delta = inserted - (b - a);

        plain.erase(plain.begin() + from, plain.begin() + to);
        plain.insert(plain.begin() + from, fresh.begin(), fresh.end());
        for (auto it = plain.begin() + from + inserted; it != plain.end(); ++it)
            *it += delta;
        map.replace(from, to, fresh, delta);
        if (edit % 50 == 0 || kind < 2)
            expectSame(map, plain, random);
    }
    expectSame(map, plain, random);
}

TEST(DrawnPositions, RefusesPositionsOutsideTheStory)
{
    host::DrawnPositions map(std::vector<int>{0, 1, 1, 2});
    EXPECT_EQ(map.at(3), 2);
    EXPECT_THROW(map.at(4), std::out_of_range);
    EXPECT_THROW(map.at(-1), std::out_of_range);
    EXPECT_THROW(map.replace(2, 4, {}, 0), std::out_of_range);
    EXPECT_EQ(map.lowerBound(3), 4);
    EXPECT_EQ(map.countUpTo(-1), 0);
}
