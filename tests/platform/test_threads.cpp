// The re-entrant lock and the interlocked counters, under real threads.
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

TEST(ReentrantLock, TakenTwiceOnOneThreadHoldsOthersOutUntilBothLeaves) {
    plat::ReentrantLock lock;
    lock.Enter();
    lock.Enter();  // the same thread again: no deadlock
    std::atomic<bool> acquired{false};
    std::thread other([&] {
        lock.Enter();
        acquired = true;
        lock.Leave();
    });
    plat::SleepMs(50);
    EXPECT_FALSE(acquired.load());
    lock.Leave();
    plat::SleepMs(50);
    EXPECT_FALSE(acquired.load()) << "one Leave of two released the lock";
    lock.Leave();
    other.join();
    EXPECT_TRUE(acquired.load());
}

TEST(ReentrantLock, ExcludesContendingThreads) {
    plat::ReentrantLock lock;
    const int kThreads = 4, kRounds = 20000;
    volatile int counter = 0;  // plain read-modify-write: only the lock keeps it exact
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < kRounds; ++i) {
                plat::LockGuard outer(lock);
                plat::LockGuard inner(lock);
                int value = counter;
                counter = value + 1;
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(kThreads * kRounds, counter);
}

TEST(Interlocked, CountersFromSeveralThreads) {
    const int kThreads = 4, kRounds = 50000;
    volatile int32_t counter = 0;
    std::vector<std::vector<int32_t>> seen(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            seen[t].reserve(kRounds);
            for (int i = 0; i < kRounds; ++i) seen[t].push_back(plat::AtomicIncrement(&counter));
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(kThreads * kRounds, counter);
    // Each increment returned its own new value: together they are 1..N exactly.
    std::vector<int32_t> all;
    for (const std::vector<int32_t>& values : seen) all.insert(all.end(), values.begin(), values.end());
    std::sort(all.begin(), all.end());
    ASSERT_EQ(static_cast<size_t>(kThreads * kRounds), all.size());
    for (size_t i = 0; i < all.size(); ++i) ASSERT_EQ(static_cast<int32_t>(i + 1), all[i]);

    threads.clear();
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < kRounds; ++i) plat::AtomicDecrement(&counter);
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(0, counter);
    EXPECT_EQ(-1, plat::AtomicDecrement(&counter));
}

TEST(Threads, IdsDifferBetweenThreads) {
    uint32_t mine = plat::CurrentThreadId();
    EXPECT_EQ(mine, plat::CurrentThreadId());
    uint32_t theirs = mine;
    std::thread other([&] { theirs = plat::CurrentThreadId(); });
    other.join();
    EXPECT_NE(mine, theirs);
}
