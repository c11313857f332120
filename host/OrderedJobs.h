#pragma once

#include <QByteArray>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace host {

// Runs one job per item on worker threads and hands what the jobs write to the caller in the
// items' order: the item whose turn it is as its job writes it, a later one once its turn comes.
// At most `jobs` items are worked on or wait at once, so what is held stays bounded however many
// items there are.
class OrderedJobs {
public:
    // What a job wrote: bytes on a channel the caller numbers.
    struct Piece {
        int channel = 0;
        QByteArray bytes;
    };
    // A job's way out; its pieces reach the caller in the order written.
    class Writer {
    public:
        void write(int channel, QByteArray bytes);
        // Whether the caller has gone: the job may stop early, what it writes is dropped.
        bool cancelled() const;

    private:
        friend class OrderedJobs;
        Writer(OrderedJobs& jobs, int item) : m_jobs(jobs), m_item(item) {}
        OrderedJobs& m_jobs;
        const int m_item;
    };
    using Job = std::function<void(int item, Writer& out)>;

    // Each worker calls makeJob once, on its own thread, and runs what it returns for each item it
    // takes: a job keeps there what it needs per thread.
    OrderedJobs(int items, int jobs, std::function<Job()> makeJob);
    // Cancels the jobs and waits for the workers to end.
    ~OrderedJobs();
    OrderedJobs(const OrderedJobs&) = delete;
    OrderedJobs& operator=(const OrderedJobs&) = delete;

    enum class Next { Piece, Waiting, Finished };
    // The item's next piece, into piece; Waiting when none came within timeout; Finished once its
    // job has ended and every piece is taken. Rethrows what the job threw. Items are taken in
    // ascending order: taking one forgets those before it.
    Next take(int item, Piece& piece, std::chrono::milliseconds timeout);

private:
    struct Slot {
        std::deque<Piece> pieces;
        std::exception_ptr error;
        bool done = false;
    };
    void work(const std::function<Job()>& makeJob);

    const int m_ahead;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Slot> m_slots;
    int m_next = 0;      // the next item a worker starts on
    int m_current = 0;   // the item the caller takes from
    std::atomic<bool> m_cancelled = false;
    std::vector<std::thread> m_workers;
};

} // namespace host
