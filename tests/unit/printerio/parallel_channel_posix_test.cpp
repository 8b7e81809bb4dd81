#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <memory>
#include <string>

#include "printerio/create_channel.h"
#include "unit/printerio/pty_printer.h"

namespace {

using Clock = std::chrono::steady_clock;

long MillisecondsSince(Clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

class ParallelPtyTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(printer.Port().empty());
        channel = CreateChannel(CChannelAddress(printer.Port().c_str(), 4, 9));
        ASSERT_NE(channel, nullptr);
        ASSERT_TRUE(channel->Open(0));
    }

    PtyPrinter printer;
    std::unique_ptr<CIOChannel> channel;
};

TEST_F(ParallelPtyTest, WritesReachThePrinterUnchanged) {
    const std::string job("line one\nline two\r\n\0\x1b%-12345X", 29);
    ASSERT_TRUE(channel->Write(job.data(), static_cast<std::uint32_t>(job.size())));
    EXPECT_EQ(printer.Received(job.size()), job);
}

TEST_F(ParallelPtyTest, ReadsThePrintersAnswer) {
    printer.Answer("@PJL INFO STATUS\r\n");
    char buffer[64];
    std::uint32_t size = sizeof(buffer);
    ASSERT_TRUE(channel->Read(buffer, size));
    EXPECT_EQ(std::string(buffer, size), "@PJL INFO STATUS\r\n");
}

TEST_F(ParallelPtyTest, AReadWithNothingComingFailsAfterItsLimit) {
    channel->SetTimeout(1000);
    char buffer[64];
    std::uint32_t size = sizeof(buffer);
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(channel->Read(buffer, size));
    const long spent = MillisecondsSince(start);
    EXPECT_EQ(size, 0u);
    EXPECT_GE(spent, 1000);
    EXPECT_LT(spent, 2600);
}

TEST_F(ParallelPtyTest, AStalledPrinterEndsTheWriteWithinItsLimit) {
    channel->SetTimeout(1000);
    const std::string job(1 << 20, 'x');
    const Clock::time_point start = Clock::now();
    // Part of the job went out before the printer stopped taking it: that counts as sent.
    EXPECT_TRUE(channel->Write(job.data(), static_cast<std::uint32_t>(job.size())));
    EXPECT_LT(MillisecondsSince(start), 3500);
    const std::string received = printer.Received(job.size());
    EXPECT_GT(received.size(), 0u);
    EXPECT_LT(received.size(), job.size());
}

TEST_F(ParallelPtyTest, ThePortIsNotShared) {
    auto second = CreateChannel(CChannelAddress(printer.Port().c_str(), 4, 9));
    EXPECT_FALSE(second->Open(0));
    EXPECT_EQ(second->GetLastErrorCode(), static_cast<std::uint32_t>(EBUSY));
    channel.reset();
    EXPECT_TRUE(second->Open(0));
}

TEST(ParallelPortTest, AMissingPortFailsWithItsError) {
    auto channel = CreateChannel(CChannelAddress("/nonexistent/lp9", 4, 9));
    EXPECT_FALSE(channel->Open(0));
    EXPECT_EQ(channel->GetLastErrorCode(), static_cast<std::uint32_t>(ENOENT));
    EXPECT_FALSE(channel->Write("x", 1));
}

}  // namespace
