#include "host/OrderedJobs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using host::OrderedJobs;
using namespace std::chrono_literals;

// Everything item's job wrote, as the caller takes it.
std::vector<OrderedJobs::Piece> takeAll(OrderedJobs& jobs, int item)
{
    std::vector<OrderedJobs::Piece> pieces;
    OrderedJobs::Piece piece;
    for (;;) {
        const OrderedJobs::Next next = jobs.take(item, piece, 50ms);
        if (next == OrderedJobs::Next::Finished)
            return pieces;
        if (next == OrderedJobs::Next::Piece)
            pieces.push_back(piece);
    }
}

// Jobs that end out of order, some slow and some writing nothing, come out in the items' order,
// each job's pieces in the order written.
TEST(OrderedJobs, PiecesComeInTheItemsOrder)
{
    constexpr int kItems = 40, kJobs = 3;
    std::atomic<int> started = 0, makers = 0;
    OrderedJobs jobs(kItems, kJobs, 1 << 20, [&]() -> OrderedJobs::Job {
        ++makers;
        return [&](int item, OrderedJobs::Writer& out) {
            ++started;
            // Early items slow, so that later ones finish first.
            std::this_thread::sleep_for(std::chrono::milliseconds(item % 4 == 0 ? 8 : 1));
            for (int k = 0; k < item % 3; ++k)
                out.write(k, QByteArray::number(item) + '.' + QByteArray::number(k));
        };
    });
    for (int item = 0; item < kItems; ++item) {
        const std::vector<OrderedJobs::Piece> pieces = takeAll(jobs, item);
        ASSERT_EQ(static_cast<int>(pieces.size()), item % 3) << item;
        for (int k = 0; k < item % 3; ++k) {
            EXPECT_EQ(pieces[k].channel, k);
            EXPECT_EQ(pieces[k].bytes, QByteArray::number(item) + '.' + QByteArray::number(k));
        }
    }
    EXPECT_EQ(started.load(), kItems);
    EXPECT_EQ(makers.load(), kJobs);
}

// While the caller waits on a long item, the other workers run ahead until what later items wrote
// reaches the budget: then no item is begun and a later job's write waits, until the caller moves.
TEST(OrderedJobs, RunningAheadStopsAtTheBudget)
{
    constexpr qsizetype kPiece = 1000;
    std::atomic<bool> release = false;
    std::mutex mutex;
    std::vector<int> written(10, 0);   // pieces each item's job has written
    int started = 0;
    // Waits for item 2's first write, then a little for anything that should not happen.
    const auto settle = [&] {
        for (int i = 0; i < 2000; ++i) {
            {
                const std::lock_guard lock(mutex);
                if (written[2] >= 1)
                    break;
            }
            std::this_thread::sleep_for(1ms);
        }
        std::this_thread::sleep_for(50ms);
    };
    OrderedJobs jobs(10, 2, 2500, [&]() -> OrderedJobs::Job {
        return [&](int item, OrderedJobs::Writer& out) {
            {
                const std::lock_guard lock(mutex);
                ++started;
            }
            while (item == 0 && !release)
                std::this_thread::sleep_for(1ms);
            for (int k = 0; k < 2; ++k) {
                out.write(0, QByteArray(kPiece, static_cast<char>('a' + item)));
                const std::lock_guard lock(mutex);
                ++written[static_cast<std::size_t>(item)];
            }
        };
    });
    // Item 1 holds 2000 bytes, under the budget: item 2 begins, and its second write waits with
    // 3000 held. Nothing after it begins.
    settle();
    {
        const std::lock_guard lock(mutex);
        EXPECT_EQ(started, 3);
        EXPECT_EQ(written[1], 2);
        EXPECT_EQ(written[2], 1);
    }
    release = true;
    for (int item = 0; item < 10; ++item) {
        const std::vector<OrderedJobs::Piece> pieces = takeAll(jobs, item);
        ASSERT_EQ(pieces.size(), 2u) << item;
        EXPECT_EQ(pieces[1].bytes, QByteArray(kPiece, static_cast<char>('a' + item)));
    }
}

// The item whose turn it is reaches the caller while its job still runs.
TEST(OrderedJobs, TheCurrentItemStreams)
{
    std::atomic<bool> seen = false;
    OrderedJobs jobs(1, 2, 1 << 20, [&]() -> OrderedJobs::Job {
        return [&](int, OrderedJobs::Writer& out) {
            out.write(1, "first");
            for (int i = 0; i < 400 && !seen; ++i)
                std::this_thread::sleep_for(5ms);
            out.write(1, seen ? "after" : "timed out");
        };
    });
    OrderedJobs::Piece piece;
    ASSERT_EQ(jobs.take(0, piece, 2000ms), OrderedJobs::Next::Piece);
    EXPECT_EQ(piece.bytes, "first");
    seen = true;
    ASSERT_EQ(jobs.take(0, piece, 2000ms), OrderedJobs::Next::Piece);
    EXPECT_EQ(piece.bytes, "after");
    EXPECT_EQ(jobs.take(0, piece, 2000ms), OrderedJobs::Next::Finished);
}

// A job's exception comes out where its item is taken, after what it wrote; the caller leaving
// early cancels the jobs still running and drops what they write.
TEST(OrderedJobs, ErrorsReachTheCallerAndLeavingCancels)
{
    std::atomic<int> started = 0, cancelledSeen = 0;
    {
        OrderedJobs jobs(1000, 2, 0, [&]() -> OrderedJobs::Job {
            return [&](int item, OrderedJobs::Writer& out) {
                ++started;
                out.write(0, "before");
                if (item == 0)
                    throw std::runtime_error("item 0");
                while (!out.cancelled())
                    std::this_thread::sleep_for(1ms);
                ++cancelledSeen;
                out.write(0, "dropped");
            };
        });
        OrderedJobs::Piece piece;
        ASSERT_EQ(jobs.take(0, piece, 2000ms), OrderedJobs::Next::Piece);
        EXPECT_EQ(piece.bytes, "before");
        EXPECT_THROW(jobs.take(0, piece, 2000ms), std::runtime_error);
        ASSERT_EQ(jobs.take(1, piece, 2000ms), OrderedJobs::Next::Piece);
        EXPECT_EQ(jobs.take(1, piece, 20ms), OrderedJobs::Next::Waiting);
        // Item 2 may begin now that item 1 is the current one.
        for (int i = 0; i < 2000 && started < 3; ++i)
            std::this_thread::sleep_for(1ms);
    }
    EXPECT_EQ(started.load(), 3);
    // Items 1 and 2 were running when the caller left; none after them was begun.
    EXPECT_EQ(cancelledSeen.load(), 2);
}

} // namespace
