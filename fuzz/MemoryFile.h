#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

namespace fuzz {

// Bytes as a file that exists only in memory, for readers that take a path.
class MemoryFile {
public:
    MemoryFile(const uint8_t* data, std::size_t size);
    ~MemoryFile();
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    QString path() const;

private:
    int m_fd;
};

} // namespace fuzz
