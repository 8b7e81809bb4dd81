#include "printerio/win_usb_channel.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

using platform::Transfer;
using platform::WaitOutcome;
using ::testing::ElementsAre;

namespace {

// How the scripted device answers one transfer.
struct TransferStep {
    TransferStep(WaitOutcome outcome_ = WaitOutcome::IoCompletion, std::uint32_t count_ = 0,
                 std::string data_ = "", bool startOk_ = true, bool resultOk_ = true)
        : outcome(outcome_), count(count_), data(data_), startOk(startOk_), resultOk(resultOk_) {}

    WaitOutcome outcome;
    std::uint32_t count;  // what the transfer record reports
    std::string data;     // bytes a read delivers
    bool startOk;
    bool resultOk;
};

// What the test scripts and later inspects; the device itself belongs to the channel.
struct DeviceScript {
    bool openOk = true;
    std::vector<std::string> opened;
    std::deque<TransferStep> steps;
    std::vector<std::string> writesStarted;   // the bytes each started write was given
    std::vector<std::uint32_t> readsStarted;  // the size each started read was given
    std::vector<std::uint32_t> waits;         // the limit of each wait
    int cancels = 0;
    int cancelResult = 1;
};

class ScriptedDevice : public platform::OverlappedDevice {
public:
    explicit ScriptedDevice(DeviceScript& script) : m_script(script) {}

    bool Open(const std::string& path) override {
        m_script.opened.push_back(path);
        m_open = m_script.openOk;
        return m_open;
    }
    bool IsOpen() const override { return m_open; }
    bool StartWrite(const char* buffer, std::uint32_t length, CompletionRoutine) override {
        m_script.writesStarted.emplace_back(buffer, length);
        return Next().startOk;
    }
    bool StartRead(char* buffer, std::uint32_t size, CompletionRoutine) override {
        m_script.readsStarted.push_back(size);
        m_readBuffer = buffer;
        return Next().startOk;
    }
    WaitOutcome Wait(Transfer transfer, std::uint32_t milliseconds) override {
        m_script.waits.push_back(milliseconds);
        if (transfer == Transfer::Read && m_step.outcome == WaitOutcome::IoCompletion) {
            m_step.data.copy(m_readBuffer, m_step.data.size());
        }
        return m_step.outcome;
    }
    bool Result(Transfer, std::uint32_t* count) override {
        *count = m_step.count;
        return m_step.resultOk;
    }
    int CancelPendingIo() override {
        ++m_script.cancels;
        return m_script.cancelResult;
    }
    std::uint32_t LastError() override { return m_step.outcome == WaitOutcome::TimedOut ? 121 : 0; }

private:
    const TransferStep& Next() {
        m_step = TransferStep();
        if (!m_script.steps.empty()) {
            m_step = m_script.steps.front();
            m_script.steps.pop_front();
        }
        return m_step;
    }

    DeviceScript& m_script;
    bool m_open = false;
    TransferStep m_step;
    char* m_readBuffer = nullptr;
};

bool Unknown(platform::OsVersion*) { return false; }
bool WindowsXp(platform::OsVersion* v) {
    *v = {platform::kPlatformNt, 5, 1};
    return true;
}
bool Windows2000(platform::OsVersion* v) {
    *v = {platform::kPlatformNt, 5, 0};
    return true;
}
bool Windows98(platform::OsVersion* v) {
    *v = {platform::kPlatformWindows9x, 4, 10};
    return true;
}

class WinUsbChannelTest : public ::testing::Test {
protected:
    std::unique_ptr<CWinUSBChannel> Channel(const std::string& path,
                                            CIOUtils::VersionQuery system = &Unknown) {
        m_utils.push_back(std::make_unique<CIOUtils>(system));
        return std::make_unique<CWinUSBChannel>(CChannelAddress(path.c_str(), 6, 9),
                                                std::make_unique<ScriptedDevice>(script),
                                                *m_utils.back());
    }

    std::unique_ptr<CWinUSBChannel> Opened() {
        auto channel = Channel("\\\\?\\usb#vid_0001#printer");
        EXPECT_TRUE(channel->Open(0));
        return channel;
    }

    DeviceScript script;

private:
    std::vector<std::unique_ptr<CIOUtils>> m_utils;
};

TEST_F(WinUsbChannelTest, TheChunkSizeFollowsTheOsClass) {
    EXPECT_EQ(Channel("x", &Windows98)->GetMaxChunkSize(), 65536u);
    EXPECT_EQ(Channel("x", &WindowsXp)->GetMaxChunkSize(), 65536u);
    EXPECT_EQ(Channel("x", &Windows2000)->GetMaxChunkSize(), 4096u);
    EXPECT_EQ(Channel("x", &Unknown)->GetMaxChunkSize(), 4096u);
}

TEST_F(WinUsbChannelTest, OpenUsesTheDevicePathOfTheAddress) {
    // The address record keeps 255 characters, within the 259 of a device path.
    const std::string longPath(300, 'p');
    auto channel = Channel(longPath);
    EXPECT_TRUE(channel->Open(0));
    ASSERT_EQ(script.opened.size(), 1u);
    EXPECT_EQ(script.opened[0], std::string(255, 'p'));

    script.openOk = false;
    auto refused = Channel("\\\\?\\gone");
    EXPECT_FALSE(refused->Open(0));
}

TEST_F(WinUsbChannelTest, AWriteGoesOnWithTheRestAfterEachPartialCompletion) {
    script.steps = {{WaitOutcome::IoCompletion, 4},
                    {WaitOutcome::IoCompletion, 3},
                    {WaitOutcome::IoCompletion, 3}};
    auto channel = Opened();
    EXPECT_TRUE(channel->Write("0123456789", 10));
    EXPECT_THAT(script.writesStarted, ElementsAre("0123456789", "456789", "789"));
    EXPECT_THAT(script.waits, ElementsAre(2000u, 2000u, 2000u));
}

TEST_F(WinUsbChannelTest, ACompletionReportingMoreThanRemainsCountsOnlyTheRest) {
    script.steps = {{WaitOutcome::IoCompletion, 4},
                    {WaitOutcome::IoCompletion, 100},
                    {WaitOutcome::IoCompletion, 1}};
    auto channel = Opened();
    EXPECT_TRUE(channel->Write("0123456789", 10));
    EXPECT_EQ(script.writesStarted.size(), 2u);
}

TEST_F(WinUsbChannelTest, AWriteThatRunsOutOfTimeIsCancelledAndFails) {
    script.steps = {{WaitOutcome::IoCompletion, 2}, {WaitOutcome::TimedOut, 0}};
    auto channel = Opened();
    channel->SetTimeout(750);
    EXPECT_FALSE(channel->Write("abcdef", 6));
    EXPECT_EQ(script.cancels, 1);
    EXPECT_EQ(channel->GetLastErrorCode(), 121u);
    EXPECT_THAT(script.waits, ElementsAre(750u, 750u));

    // Without CancelIo the failure is the same.
    script.cancelResult = 0;
    script.steps = {{WaitOutcome::Abandoned, 0}};
    EXPECT_FALSE(channel->Write("abcdef", 6));
    script.steps = {{WaitOutcome::Signalled, 0}};
    EXPECT_FALSE(channel->Write("abcdef", 6));
    script.steps = {{WaitOutcome::Failed, 0}};
    EXPECT_FALSE(channel->Write("abcdef", 6));
    EXPECT_EQ(script.cancels, 4);
}

TEST_F(WinUsbChannelTest, AWriteEndsWhenATransferFailsOrCannotStart) {
    auto channel = Opened();
    script.steps = {{WaitOutcome::IoCompletion, 0, "", false, true}};
    EXPECT_FALSE(channel->Write("abc", 3));
    EXPECT_EQ(script.waits.size(), 0u);

    script.steps = {{WaitOutcome::IoCompletion, 1, "", true, false}};
    EXPECT_FALSE(channel->Write("abc", 3));
    script.steps = {{WaitOutcome::IoCompletion, 0}};
    EXPECT_FALSE(channel->Write("abc", 3));
    EXPECT_EQ(script.writesStarted.size(), 3u);
}

TEST_F(WinUsbChannelTest, WritesOfNothingAndWritesWithoutADevice) {
    auto channel = Opened();
    EXPECT_TRUE(channel->Write("abc", 0));
    EXPECT_FALSE(channel->Write(nullptr, 3));
    auto closed = Channel("x");
    EXPECT_FALSE(closed->Write("abc", 3));
    char buffer[4];
    std::uint32_t size = sizeof(buffer);
    EXPECT_FALSE(closed->Read(buffer, size));
    EXPECT_FALSE(channel->Read(nullptr, size));
    EXPECT_TRUE(script.writesStarted.empty());
    EXPECT_TRUE(script.readsStarted.empty());
}

TEST_F(WinUsbChannelTest, ACompletedReadGivesItsCount) {
    script.steps = {{WaitOutcome::IoCompletion, 5, "hello"}};
    auto channel = Opened();
    char buffer[16] = {};
    std::uint32_t size = sizeof(buffer);
    EXPECT_TRUE(channel->Read(buffer, size));
    EXPECT_EQ(size, 5u);
    EXPECT_EQ(std::string(buffer, size), "hello");
    EXPECT_THAT(script.readsStarted, ElementsAre(16u));
}

TEST_F(WinUsbChannelTest, AReadOfNothingIsTrueWithSizeZeroAndATimedOutOneIsCancelled) {
    script.steps = {{WaitOutcome::IoCompletion, 0}, {WaitOutcome::Failed, 9}};
    auto channel = Opened();
    char buffer[16];
    std::uint32_t size = sizeof(buffer);
    EXPECT_TRUE(channel->Read(buffer, size));
    EXPECT_EQ(size, 0u);
    size = sizeof(buffer);
    EXPECT_TRUE(channel->Read(buffer, size));
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(script.cancels, 0);

    script.steps = {{WaitOutcome::TimedOut}, {WaitOutcome::Abandoned}};
    EXPECT_FALSE(channel->Read(buffer, size));
    EXPECT_EQ(channel->GetLastErrorCode(), 121u);
    EXPECT_FALSE(channel->Read(buffer, size));
    EXPECT_EQ(script.cancels, 2);
}

}  // namespace
