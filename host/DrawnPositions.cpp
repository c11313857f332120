#include "host/DrawnPositions.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>

namespace host {

void DrawnPositions::push_back(int pos)
{
    if (m_values.empty() || m_values.back().size() == kBlock) {
        m_first.push_back(static_cast<int32_t>(m_size));
        m_offset.push_back(pos);
        m_values.emplace_back().reserve(kBlock);
    }
    m_values.back().push_back(pos - m_offset.back());
    ++m_size;
}

void DrawnPositions::assign(const std::vector<int>& positions)
{
    m_size = positions.size();
    m_first.clear();
    m_offset.clear();
    m_values.clear();
    for (std::size_t i = 0; i < positions.size(); i += kBlock) {
        const std::size_t end = std::min(positions.size(), i + kBlock);
        const int offset = positions[i];
        std::vector<int> values(positions.begin() + static_cast<std::ptrdiff_t>(i), positions.begin() + static_cast<std::ptrdiff_t>(end));
        for (int& v : values)
            v -= offset;
        m_first.push_back(static_cast<int32_t>(i));
        m_offset.push_back(offset);
        m_values.push_back(std::move(values));
    }
}

std::vector<int> DrawnPositions::flattened() const
{
    std::vector<int> out;
    out.reserve(m_size);
    for (std::size_t b = 0; b < m_values.size(); ++b)
        for (int v : m_values[b])
            out.push_back(v + m_offset[b]);
    return out;
}

std::size_t DrawnPositions::blockOf(int32_t cp) const
{
    return static_cast<std::size_t>(std::upper_bound(m_first.begin(), m_first.end(), cp) - m_first.begin()) - 1;
}

int DrawnPositions::at(int32_t cp) const
{
    if (cp < 0 || static_cast<std::size_t>(cp) >= m_size)
        throw std::out_of_range("story position outside the drawn story");
    const std::size_t b = blockOf(cp);
    return m_values[b][static_cast<std::size_t>(cp - m_first[b])] + m_offset[b];
}

int32_t DrawnPositions::lowerBound(int pos) const
{
    // The first block whose last value reaches pos.
    std::size_t lo = 0, hi = m_values.size();
    while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        if (m_values[mid].back() + m_offset[mid] < pos)
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo == m_values.size())
        return static_cast<int32_t>(m_size);
    const auto& values = m_values[lo];
    return m_first[lo] + static_cast<int32_t>(std::lower_bound(values.begin(), values.end(), pos - m_offset[lo]) - values.begin());
}

int32_t DrawnPositions::countUpTo(int pos) const
{
    // The last block whose first value is at or before pos.
    std::size_t lo = 0, hi = m_values.size();
    while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        if (m_values[mid].front() + m_offset[mid] <= pos)
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo == 0)
        return 0;
    const auto& values = m_values[lo - 1];
    return m_first[lo - 1] + static_cast<int32_t>(std::upper_bound(values.begin(), values.end(), pos - m_offset[lo - 1]) - values.begin());
}

void DrawnPositions::replace(int32_t from, int32_t to, const std::vector<int>& fresh, int delta)
{
    if (from < 0 || to < from || static_cast<std::size_t>(to) >= m_size)
        throw std::out_of_range("story span outside the drawn story");
    const std::size_t b = blockOf(from);
    auto& values = m_values[b];
    const int32_t first = m_first[b];
    if (static_cast<std::size_t>(to - first) >= values.size()) {
        // Across blocks: a selection, rare, so built again whole.
        std::vector<int> all = flattened();
        all.erase(all.begin() + from, all.begin() + to);
        all.insert(all.begin() + from, fresh.begin(), fresh.end());
        for (auto it = all.begin() + from + static_cast<std::ptrdiff_t>(fresh.size()); it != all.end(); ++it)
            *it += delta;
        assign(all);
        return;
    }
    // The block keeps its last value (to is before it), so it never empties.
    const auto at = values.begin() + (from - first);
    values.erase(at, values.begin() + (to - first));
    std::vector<int> relative(fresh);
    for (int& v : relative)
        v -= m_offset[b];
    values.insert(values.begin() + (from - first), relative.begin(), relative.end());
    for (auto it = values.begin() + (from - first) + static_cast<std::ptrdiff_t>(fresh.size()); it != values.end(); ++it)
        *it += delta;
    const int32_t grown = static_cast<int32_t>(fresh.size()) - (to - from);
    for (std::size_t k = b + 1; k < m_values.size(); ++k) {
        m_first[k] += grown;
        m_offset[k] += delta;
    }
    m_size = static_cast<std::size_t>(static_cast<int32_t>(m_size) + grown);
    if (values.size() > 2 * kBlock)
        split(b);
}

void DrawnPositions::split(std::size_t b)
{
    const std::vector<int> values = std::move(m_values[b]);
    std::vector<int32_t> firsts;
    std::vector<int> offsets;
    std::vector<std::vector<int>> blocks;
    for (std::size_t i = 0; i < values.size(); i += kBlock) {
        std::vector<int> part(values.begin() + static_cast<std::ptrdiff_t>(i),
                              values.begin() + static_cast<std::ptrdiff_t>(std::min(values.size(), i + kBlock)));
        const int base = part.front();
        for (int& v : part)
            v -= base;
        firsts.push_back(m_first[b] + static_cast<int32_t>(i));
        offsets.push_back(m_offset[b] + base);
        blocks.push_back(std::move(part));
    }
    const auto at = static_cast<std::ptrdiff_t>(b);
    m_first.erase(m_first.begin() + at);
    m_first.insert(m_first.begin() + at, firsts.begin(), firsts.end());
    m_offset.erase(m_offset.begin() + at);
    m_offset.insert(m_offset.begin() + at, offsets.begin(), offsets.end());
    m_values.erase(m_values.begin() + at);
    m_values.insert(m_values.begin() + at, std::make_move_iterator(blocks.begin()), std::make_move_iterator(blocks.end()));
}

} // namespace host
