// The factory's thread objects are handed out unstarted, and its sockets unopened.

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "base/win_thread.h"
#include "http/object_factory.h"
#include "http/win_http_socket.h"

namespace {

class CountingRunnable : public CRunnable {
public:
    void Run() override { ++runs; }
    std::atomic<int> runs{0};
};

TEST(ObjectFactory, GivesUnstartedThreadsAndUnopenedSockets) {
    CountingRunnable runnable;
    std::unique_ptr<CWinThread> thread(CObjectFactory::Instance().NewThread(&runnable));
    ASSERT_NE(thread, nullptr);
    EXPECT_TRUE(thread->IsFinished());
    EXPECT_EQ(runnable.runs, 0);
    thread->Start();
    thread->Wait();
    EXPECT_EQ(runnable.runs, 1);

    std::unique_ptr<CWinHttpSocket> socket(CObjectFactory::Instance().CreateSocket());
    ASSERT_NE(socket, nullptr);
    EXPECT_FALSE(socket->HoldsSocket());
}

}  // namespace
