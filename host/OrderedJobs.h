#pragma once

#include <QByteArray>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace host {

// Runs one job per item on worker threads and hands what the jobs write to the caller in the
// items' order: the item whose turn it is as its job writes it, a later one once its turn comes.
// Workers run ahead of the caller, past a long item, while what the items wrote and is not yet
// handed over stays within a budget of bytes; past it they start nothing new and a job of a later
// item waits as it writes. The caller's own item waits only for its own pieces beyond the budget (a
// slow reader of the output). What is held stays bounded however many items there are.
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

    // `jobs` workers each call makeJob once, on their own thread, and run what it returns for each
    // item they take: a job keeps there what it needs per thread. budget: the bytes written and not
    // yet handed over past which workers stop running ahead.
    OrderedJobs(int items, int jobs, qsizetype budget, std::function<Job()> makeJob);
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
        std::vector<Piece> pieces;   // a vector: an empty deque would allocate for each item
        std::size_t taken = 0;       // pieces handed over
        qsizetype held = 0;          // bytes of the pieces not handed over
        std::exception_ptr error;
        bool done = false;
    };
    void work(const std::function<Job()>& makeJob);

    const int m_jobs;
    const qsizetype m_budget;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Slot> m_slots;
    int m_next = 0;      // the next item a worker starts on
    int m_current = 0;   // the item the caller takes from
    qsizetype m_held = 0;  // bytes written and not yet handed over
    std::atomic<bool> m_cancelled = false;
    std::vector<std::thread> m_workers;
};

} // namespace host
