// The opener of the printer port at start-up: one that overruns its wait is given up on,
// never killed, and closes the port itself once its late open ends.

#include <gtest/gtest.h>

#include <future>
#include <memory>

#include "base/win_thread.h"
#include "engine/port_opener.h"
#include "pages/printer_port.h"

namespace {

/// A channel whose open returns only when the test lets it, with the given result.
class HeldChannel : public CIOChannel {
public:
    explicit HeldChannel(std::shared_future<bool> result) : m_result(std::move(result)) {}
    std::uint32_t GetLastErrorCode() override { return 0; }
    std::uint32_t GetMaxChunkSize() override { return 16; }
    bool Open(std::int32_t) override { return m_result.get(); }
    bool Read(char*, std::uint32_t&) override { return false; }
    bool Write(const char*, std::uint32_t) override { return false; }
    std::uint32_t GetSize() override { return 0; }
    bool SetTimeout(std::uint32_t) override { return true; }
    bool IsNetworkChannel() override { return true; }
    bool DeleteTarget() override { return false; }
    bool CreateTarget() override { return false; }

private:
    std::shared_future<bool> m_result;
};

struct HeldOpen {
    HeldOpen() {
        port = std::make_shared<CPrinterPort>(
            [this](const CChannelAddress&) { return std::make_unique<HeldChannel>(released); });
        port->SetUpFrom("ip", "plotter", "10.0.0.9");
        opener = std::make_shared<CPortOpener>(port);
        thread = std::make_unique<CWinThread>(opener.get());
        EXPECT_NE(thread->Start(), nullptr);
    }
    std::promise<bool> release;
    std::shared_future<bool> released = release.get_future().share();
    std::shared_ptr<CPrinterPort> port;
    std::shared_ptr<CPortOpener> opener;
    std::unique_ptr<CWinThread> thread;
};

TEST(PortOpener, OneGivenUpOnClosesThePortWhenItsLateOpenSucceeds) {
    HeldOpen held;
    EXPECT_FALSE(held.opener->WaitUntilDone(std::chrono::milliseconds(50)));
    ASSERT_TRUE(held.opener->GiveUp());
    EXPECT_TRUE(held.port->IsOpen()) << "the port stays claimed while its open runs";
    held.release.set_value(true);
    held.thread->Wait();
    EXPECT_TRUE(held.thread->IsFinished());
    EXPECT_FALSE(held.port->IsOpen()) << "the late opener left the port open";
}

TEST(PortOpener, OneDoneInTimeLeavesThePortToTheCaller) {
    for (bool opens : {true, false}) {
        HeldOpen held;
        held.release.set_value(opens);
        EXPECT_TRUE(held.opener->WaitUntilDone(std::chrono::seconds(30)));
        EXPECT_FALSE(held.opener->GiveUp()) << "an opener that is done cannot be given up";
        held.thread->Wait();
        EXPECT_EQ(held.port->IsOpen(), opens);
    }
}

}  // namespace
