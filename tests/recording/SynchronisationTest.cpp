#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "recording/Synchronisation.h"

namespace tavrin {
namespace {

// A lost wake-up leaves a thread waiting for ever, so each of these hangs (and the test run
// times out) rather than fails quietly.
TEST(Synchronisation, ATurnGoesRoundThreadsWokenAllAtOnce) {
    constexpr int kThreads = 4;
    constexpr int kRounds = 500;
    Mutex lock;
    ConditionVariable turnChanged;
    int turn = 0;
    std::vector<int> order;
    std::vector<std::thread> threads;
    for (int id = 0; id < kThreads; ++id) {
        threads.emplace_back([&, id] {
            for (int round = 0; round < kRounds; ++round) {
                std::unique_lock<Mutex> hold(lock);
                turnChanged.wait(hold, [&] { return turn % kThreads == id; });
                order.push_back(id);
                ++turn;
                turnChanged.notify_all();
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    ASSERT_EQ(order.size(), static_cast<std::size_t>(kThreads * kRounds));
    for (std::size_t i = 0; i < order.size(); ++i)
        ASSERT_EQ(order[i], static_cast<int>(i % kThreads));
}

TEST(Synchronisation, ItemsHandedOverOneByOneArriveOnceEachAndTheLockExcludes) {
    constexpr int kItems = 20000;
    Mutex lock;
    ConditionVariable changed;
    int slot = 0;  // 0 when empty
    long long received = 0;
    std::thread consumer([&] {
        for (int i = 0; i < kItems; ++i) {
            std::unique_lock<Mutex> hold(lock);
            changed.wait(hold, [&] { return slot != 0; });
            received += slot;
            slot = 0;
            changed.notify_one();
        }
    });
    for (int i = 1; i <= kItems; ++i) {
        std::unique_lock<Mutex> hold(lock);
        changed.wait(hold, [&] { return slot == 0; });
        slot = i;
        changed.notify_one();
    }
    consumer.join();
    EXPECT_EQ(received, static_cast<long long>(kItems) * (kItems + 1) / 2);
    ASSERT_TRUE(lock.try_lock());
    bool takenElsewhere = true;
    std::thread([&] { takenElsewhere = lock.try_lock(); }).join();
    EXPECT_FALSE(takenElsewhere);
    lock.unlock();
}

}  // namespace
}  // namespace tavrin
