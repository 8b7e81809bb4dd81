// The OS thread and the re-entrant lock behind the engine's thread object and engine lock.

#include <gtest/gtest.h>

#include <atomic>

#include "platform/clock.h"
#include "platform/reentrant_lock.h"
#include "platform/thread.h"

namespace {

struct Shared {
    platform::ReentrantLock lock;
    long counter = 0;
    std::atomic<bool> release{false};
};

void CountUnderNestedLock(void* raw) {
    auto* shared = static_cast<Shared*>(raw);
    for (int i = 0; i < 20000; ++i) {
        shared->lock.Enter();
        shared->lock.Enter();  // the owner may enter again
        ++shared->counter;
        shared->lock.Leave();
        shared->lock.Leave();
    }
}

void WaitForRelease(void* raw) {
    auto* shared = static_cast<Shared*>(raw);
    while (!shared->release) platform::SleepMilliseconds(1);
    platform::SleepMilliseconds(20);
    shared->counter = 1;
}

TEST(Thread, JoinWaitsForTheRoutine) {
    Shared shared;
    auto thread = platform::Thread::Start(&WaitForRelease, &shared);
    ASSERT_NE(thread, nullptr);
    platform::SleepMilliseconds(20);
    shared.release = true;
    thread->Join();
    EXPECT_EQ(shared.counter, 1) << "Join returned before the routine ended";
}

TEST(ReentrantLock, NestedEntriesExcludeOtherThreads) {
    Shared shared;
    auto first = platform::Thread::Start(&CountUnderNestedLock, &shared);
    auto second = platform::Thread::Start(&CountUnderNestedLock, &shared);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    first->Join();
    second->Join();
    EXPECT_EQ(shared.counter, 40000);
}

TEST(Clock, SleepLastsAtLeastItsTime) {
    const auto before = platform::MillisecondsNow();
    platform::SleepMilliseconds(50);
    // Windows tick counts move in steps of about 16 ms, so one step may be lost.
    EXPECT_GE(platform::MillisecondsNow() - before, 50u - 16u);
}

TEST(Clock, LocalTimeIsACalendarDate) {
    const platform::LocalTime now = platform::CurrentLocalTime();
    EXPECT_GE(now.year, 2020);
    EXPECT_GE(now.month, 1);
    EXPECT_LE(now.month, 12);
    EXPECT_GE(now.day, 1);
    EXPECT_LE(now.day, 31);
    EXPECT_LE(now.hour, 23);
    EXPECT_LE(now.minute, 59);
    EXPECT_LE(now.second, 60);
}

}  // namespace
