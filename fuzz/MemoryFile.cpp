#include "fuzz/MemoryFile.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace fuzz {

MemoryFile::MemoryFile(const uint8_t* data, std::size_t size) : m_fd(memfd_create("fuzz-input", 0))
{
    if (m_fd < 0) {
        std::perror("memfd_create");
        std::abort();
    }
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = write(m_fd, data + done, size - done);
        if (n <= 0) {
            std::perror("write");
            std::abort();
        }
        done += static_cast<std::size_t>(n);
    }
}

MemoryFile::~MemoryFile()
{
    close(m_fd);
}

QString MemoryFile::path() const
{
    return QStringLiteral("/proc/self/fd/%1").arg(m_fd);
}

} // namespace fuzz
