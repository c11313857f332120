#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace host {

// The drawn position of every story position of a drawn story (story length + 1 of them,
// non-decreasing). Kept in blocks, each relative to its own offset, so that an edit rewrites the
// block it falls in and moves only the offsets of the blocks after it: typing in a story of many
// MiB does not rewrite a map of as many entries.
class DrawnPositions {
public:
    // Adds the next story position, drawn at pos.
    void push_back(int pos);

    std::size_t size() const { return m_size; }
    // The drawn position of story position cp; throws std::out_of_range past the end.
    int at(int32_t cp) const;
    // The first story position drawn at or after pos (size() when none).
    int32_t lowerBound(int pos) const;
    // How many story positions are drawn at or before pos.
    int32_t countUpTo(int pos) const;
    // Story positions [from, to) become fresh.size() positions drawn where fresh says; those after
    // them move on by delta.
    void replace(int32_t from, int32_t to, const std::vector<int>& fresh, int delta);

private:
    static constexpr std::size_t kBlock = 4096;
    // The block holding story position cp < size().
    std::size_t blockOf(int32_t cp) const;
    // Cuts block b, grown long, into blocks of kBlock.
    void split(std::size_t b);
    // Builds the blocks from positions, which hold every story position.
    void assign(const std::vector<int>& positions);
    std::vector<int> flattened() const;

    std::size_t m_size = 0;
    std::vector<int32_t> m_first;             // the first story position of each block
    std::vector<int> m_offset;                // what each block's values are relative to
    std::vector<std::vector<int>> m_values;   // never empty
};

} // namespace host
