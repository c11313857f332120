#include "host/OrderedJobs.h"

#include <algorithm>
#include <utility>

namespace host {

OrderedJobs::OrderedJobs(int items, int jobs, qsizetype budget, std::function<Job()> makeJob)
    : m_jobs(std::max(1, jobs)), m_budget(budget), m_slots(static_cast<std::size_t>(std::max(0, items)))
{
    for (int i = 0; i < std::min(m_jobs, items); ++i)
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
            // The caller's item and the next few always; later ones while the budget lasts.
            m_changed.wait(lock, [&] {
                return m_cancelled || m_next >= items || m_next < m_current + m_jobs || m_held < m_budget;
            });
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
        std::unique_lock lock(m_jobs.m_mutex);
        Slot& slot = m_jobs.m_slots[static_cast<std::size_t>(m_item)];
        // A later item waits while the budget is spent, the caller's own while its own pieces
        // exceed it: what later items hold must not stop the one the caller waits for.
        m_jobs.m_changed.wait(lock, [&] {
            return m_jobs.m_cancelled || m_item < m_jobs.m_current
                   || (m_item == m_jobs.m_current ? slot.held : m_jobs.m_held) <= m_jobs.m_budget;
        });
        if (m_jobs.m_cancelled || m_item < m_jobs.m_current)
            return;
        m_jobs.m_held += bytes.size();
        slot.held += bytes.size();
        slot.pieces.push_back({channel, std::move(bytes)});
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
        for (int i = m_current; i < item; ++i) {
            Slot& skipped = m_slots[static_cast<std::size_t>(i)];
            m_held -= skipped.held;
            skipped = {};
        }
        m_current = item;
        lock.unlock();
        m_changed.notify_all();   // a worker may start one more item, a later job write on
        lock.lock();
    }
    Slot& slot = m_slots.at(static_cast<std::size_t>(item));
    if (!m_changed.wait_for(lock, timeout, [&] { return slot.taken < slot.pieces.size() || slot.done; }))
        return Next::Waiting;
    if (slot.taken < slot.pieces.size()) {
        piece = std::move(slot.pieces[slot.taken++]);
        m_held -= piece.bytes.size();
        slot.held -= piece.bytes.size();
        if (slot.taken == slot.pieces.size()) {
            slot.pieces.clear();
            slot.taken = 0;
        }
        lock.unlock();
        m_changed.notify_all();
        return Next::Piece;
    }
    if (slot.error)
        std::rethrow_exception(std::exchange(slot.error, nullptr));
    return Next::Finished;
}

} // namespace host
