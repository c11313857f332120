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
// each job's pieces in the order written; no more items are begun than the caller is behind by.
TEST(OrderedJobs, PiecesComeInTheItemsOrderAndWorkStaysBounded)
{
    constexpr int kItems = 40, kJobs = 3;
    std::mutex mutex;
    int started = 0, maxAhead = 0;
    std::atomic<int> current = 0, makers = 0;
    OrderedJobs jobs(kItems, kJobs, [&]() -> OrderedJobs::Job {
        ++makers;
        return [&](int item, OrderedJobs::Writer& out) {
            {
                const std::lock_guard lock(mutex);
                ++started;
                maxAhead = std::max(maxAhead, item - current.load());
            }
            // Early items slow, so that later ones finish first.
            std::this_thread::sleep_for(std::chrono::milliseconds(item % 4 == 0 ? 8 : 1));
            for (int k = 0; k < item % 3; ++k)
                out.write(k, QByteArray::number(item) + '.' + QByteArray::number(k));
        };
    });
    for (int item = 0; item < kItems; ++item) {
        current = item;
        const std::vector<OrderedJobs::Piece> pieces = takeAll(jobs, item);
        ASSERT_EQ(static_cast<int>(pieces.size()), item % 3) << item;
        for (int k = 0; k < item % 3; ++k) {
            EXPECT_EQ(pieces[k].channel, k);
            EXPECT_EQ(pieces[k].bytes, QByteArray::number(item) + '.' + QByteArray::number(k));
        }
    }
    EXPECT_EQ(started, kItems);
    EXPECT_EQ(makers.load(), kJobs);
    EXPECT_LT(maxAhead, kJobs);
}

// The item whose turn it is reaches the caller while its job still runs.
TEST(OrderedJobs, TheCurrentItemStreams)
{
    std::atomic<bool> seen = false;
    OrderedJobs jobs(1, 2, [&]() -> OrderedJobs::Job {
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
        OrderedJobs jobs(1000, 2, [&]() -> OrderedJobs::Job {
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
