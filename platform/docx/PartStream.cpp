#include "platform/docx/PartStream.h"

#include <algorithm>

namespace docx {

PartStream::PartStream(ZipReader& zip, const std::string& part)
    : m_entry(zip, part),
      m_bytes(new char[m_entry.size() + 1]),   // uninitialised: the thread writes every byte it hands out
      m_thread([this] { inflate(); })
{
}

PartStream::~PartStream()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_thread.join();
}

void PartStream::inflate()
{
    std::size_t done = 0;
    try {
        for (;;) {
            const std::size_t n = m_entry.readInto(m_bytes.get() + done, kChunkBytes);
            done += n;
            std::unique_lock lock(m_mutex);
            if (m_stop)
                return;
            m_ready = done;
            m_done = n == 0;
            const bool wake = m_waiting;
            lock.unlock();
            if (wake)
                m_changed.notify_one();
            if (n == 0)
                return;
        }
    } catch (...) {
        {
            const std::lock_guard lock(m_mutex);
            m_error = std::current_exception();
            m_done = true;
        }
        m_changed.notify_one();
    }
}

std::size_t PartStream::waitBeyond(std::size_t have, bool& done)
{
    std::unique_lock lock(m_mutex);
    m_waiting = true;
    m_changed.wait(lock, [&] { return m_ready > have || m_done; });
    m_waiting = false;
    if (m_ready <= have && m_error)
        std::rethrow_exception(m_error);
    done = m_done && !m_error;
    return m_ready;
}

} // namespace docx
