#include "host/OrderedJobs.h"

#include <algorithm>
#include <utility>

namespace host {

OrderedJobs::OrderedJobs(int items, int jobs, std::function<Job()> makeJob)
    : m_ahead(std::max(1, jobs)), m_slots(static_cast<std::size_t>(std::max(0, items)))
{
    for (int i = 0; i < std::min(m_ahead, items); ++i)
        m_workers.emplace_back([this, makeJob] { work(makeJob); });
}

OrderedJobs::~OrderedJobs()
{
    {
        const std::lock_guard lock(m_mutex);
        m_cancelled = true;
    }
    m_changed.notify_all();
    for (std::thread& t : m_workers)
        t.join();
}

void OrderedJobs::work(const std::function<Job()>& makeJob)
{
    const Job job = makeJob();
    const int items = static_cast<int>(m_slots.size());
    for (;;) {
        int item;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] { return m_cancelled || m_next >= items || m_next < m_current + m_ahead; });
            if (m_cancelled || m_next >= items)
                return;
            item = m_next++;
        }
        Writer out(*this, item);
        std::exception_ptr error;
        try {
            job(item, out);
        } catch (...) {
            error = std::current_exception();
        }
        {
            const std::lock_guard lock(m_mutex);
            Slot& slot = m_slots[static_cast<std::size_t>(item)];
            slot.error = error;
            slot.done = true;
        }
        m_changed.notify_all();
    }
}

void OrderedJobs::Writer::write(int channel, QByteArray bytes)
{
    {
        const std::lock_guard lock(m_jobs.m_mutex);
        if (m_jobs.m_cancelled || m_item < m_jobs.m_current)
            return;
        m_jobs.m_slots[static_cast<std::size_t>(m_item)].pieces.push_back({channel, std::move(bytes)});
    }
    m_jobs.m_changed.notify_all();
}

bool OrderedJobs::Writer::cancelled() const
{
    return m_jobs.m_cancelled;
}

OrderedJobs::Next OrderedJobs::take(int item, Piece& piece, std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    if (item > m_current) {
        for (int i = m_current; i < item; ++i)
            m_slots[static_cast<std::size_t>(i)] = {};
        m_current = item;
        lock.unlock();
        m_changed.notify_all();   // a worker may start one more item
        lock.lock();
    }
    Slot& slot = m_slots.at(static_cast<std::size_t>(item));
    if (!m_changed.wait_for(lock, timeout, [&] { return !slot.pieces.empty() || slot.done; }))
        return Next::Waiting;
    if (!slot.pieces.empty()) {
        piece = std::move(slot.pieces.front());
        slot.pieces.pop_front();
        return Next::Piece;
    }
    if (slot.error)
        std::rethrow_exception(std::exchange(slot.error, nullptr));
    return Next::Finished;
}

} // namespace host
