// The engine's thread object: start, finish, wait, and what an escaping exception leaves.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "base/log.h"
#include "base/tavrin_exception.h"
#include "base/win_thread.h"
#include "platform/clock.h"

namespace {

class CountingRunnable : public CRunnable {
public:
    void Run() override { ++runs; }
    std::atomic<int> runs{0};
};

template <typename Throw>
class ThrowingRunnable : public CRunnable {
public:
    explicit ThrowingRunnable(Throw thrower) : m_throw(thrower) {}
    void Run() override { m_throw(); }

private:
    Throw m_throw;
};

class WinThreadLog : public ::testing::Test {
protected:
    void SetUp() override {
        m_path = "win_thread_test_" + std::to_string(platform::MillisecondsNow()) + ".log";
        engine_log::SetLogFilePath(m_path);
    }
    void TearDown() override { std::remove(m_path.c_str()); }

    std::string LogText() const {
        std::ifstream in(m_path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    template <typename Throw>
    void RunToItsEnd(Throw thrower) {
        ThrowingRunnable<Throw> runnable(thrower);
        CWinThread thread(&runnable);
        ASSERT_NE(thread.Start(), nullptr);
        thread.Wait();
        EXPECT_FALSE(thread.IsFinished()) << "an escaping exception keeps the handle";
    }

    std::string m_path;
};

TEST(WinThread, FinishesAfterRunReturns) {
    CountingRunnable runnable;
    CWinThread thread(&runnable);
    EXPECT_TRUE(thread.IsFinished()) << "no handle before Start";
    ASSERT_NE(thread.Start(), nullptr);
    for (int i = 0; i < 500 && !thread.IsFinished(); ++i) platform::SleepMilliseconds(10);
    EXPECT_TRUE(thread.IsFinished());
    thread.Wait();
    EXPECT_EQ(runnable.runs, 1);
}

TEST(WinThread, WithoutRunnableNothingStarts) {
    CWinThread thread(nullptr);
    EXPECT_EQ(thread.Start(), nullptr);
    EXPECT_TRUE(thread.IsFinished());
    thread.Wait();  // returns at once: no handle
}

TEST(WinThread, ManyThreadsEachRunOnce) {
    CountingRunnable runnable;
    std::vector<std::unique_ptr<CWinThread>> threads;
    for (int i = 0; i < 32; ++i) threads.push_back(std::make_unique<CWinThread>(&runnable));
    for (auto& thread : threads) ASSERT_NE(thread->Start(), nullptr);
    for (auto& thread : threads) thread->Wait();
    EXPECT_EQ(runnable.runs, 32);
}

TEST_F(WinThreadLog, TavrinExceptionIsDeletedAndLogged) {
    RunToItsEnd([] { throw new CPrinterIOError; });
    EXPECT_NE(LogText().find("\tUnknown Tavrin Exception caught at CWinThread\r\n"),
              std::string::npos)
        << LogText();
}

TEST_F(WinThreadLog, StandardExceptionIsLoggedWithItsDescription) {
    RunToItsEnd([] { throw std::runtime_error("disk on fire"); });
    EXPECT_NE(LogText().find("\tdisk on fire exception caught at CWinThread\r\n"),
              std::string::npos)
        << LogText();
}

TEST_F(WinThreadLog, ForeignExceptionIsLogged) {
    RunToItsEnd([] { throw 42; });
    EXPECT_NE(LogText().find("\tUnknown Exception caught at CWinThread\r\n"), std::string::npos)
        << LogText();
}

}  // namespace
