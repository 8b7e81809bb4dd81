// The TCP/IP channel against simulated network printers on loopback port 9100.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "channels/channel_test_support.h"

using namespace channel_test;
using namespace std::chrono_literals;

namespace {

TEST(TcpIpChannelTest, SeveralChunksArriveByteExact) {
    const CPrinterRecord record("tcp_record");
    std::unique_ptr<CIOChannel> channel = OpenChannelTo(kTcpIp, "tcp_record");
    ASSERT_TRUE(channel);
    ASSERT_EQ(channel->GetMaxChunkSize(), 46720u);
    const std::string data = TestPattern(46720 * 5 + 1234);
    ASSERT_TRUE(WriteInChunks(*channel, data));
    channel.reset();
    EXPECT_TRUE(SameBytes(data, record.WaitForBytes(data.size(), 10s)));
}

TEST(TcpIpChannelTest, ReadsTheAnswerOnTheBackChannel) {
    std::unique_ptr<CIOChannel> channel = OpenChannelTo(kTcpIp, "tcp_record");
    ASSERT_TRUE(channel);
    ASSERT_TRUE(channel->Write(kTrigger.data(), static_cast<std::uint32_t>(kTrigger.size())));
    EXPECT_EQ(ReadAnswer(*channel, kAnswer.size()), kAnswer);
}

TEST(TcpIpChannelTest, AShortAnswerIsAllThatIsRead) {
    std::unique_ptr<CIOChannel> channel = OpenChannelTo(kTcpIp, "tcp_short");
    ASSERT_TRUE(channel);
    ASSERT_TRUE(channel->SetTimeout(1000));
    ASSERT_TRUE(channel->Write(kTrigger.data(), static_cast<std::uint32_t>(kTrigger.size())));
    // The first five bytes come; the Read for the rest runs out of time.
    EXPECT_EQ(ReadAnswer(*channel, kAnswer.size()), kAnswer.substr(0, 5));
}

TEST(TcpIpChannelTest, ASlowAnswerArrivesWithinTheLimit) {
    std::unique_ptr<CIOChannel> channel = OpenChannelTo(kTcpIp, "tcp_slow");
    ASSERT_TRUE(channel);
    ASSERT_TRUE(channel->SetTimeout(5000));
    ASSERT_TRUE(channel->Write(kTrigger.data(), static_cast<std::uint32_t>(kTrigger.size())));
    const CStopwatch watch;
    EXPECT_EQ(ReadAnswer(*channel, kAnswer.size()), kAnswer);
    EXPECT_GE(watch.Seconds(), 1.3);
}

TEST(TcpIpChannelTest, ALimitBelowOneSecondPollsOnce) {
    std::unique_ptr<CIOChannel> channel = OpenChannelTo(kTcpIp, "tcp_slow");
    ASSERT_TRUE(channel);
    ASSERT_TRUE(channel->SetTimeout(900));
    ASSERT_TRUE(channel->Write(kTrigger.data(), static_cast<std::uint32_t>(kTrigger.size())));
    char buffer[64];
    std::uint32_t size = sizeof buffer;
    const CStopwatch watch;
    EXPECT_FALSE(channel->Read(buffer, size));
    EXPECT_LT(watch.Seconds(), 0.5);
}

TEST(TcpIpChannelTest, ASilentPrinterFailsTheReadAfterTheLimit) {
    std::unique_ptr<CIOChannel> channel = OpenChannelTo(kTcpIp, "tcp_silent");
    ASSERT_TRUE(channel);
    ASSERT_TRUE(channel->SetTimeout(2000));
    ASSERT_TRUE(channel->Write(kTrigger.data(), static_cast<std::uint32_t>(kTrigger.size())));
    char buffer[64];
    std::uint32_t size = sizeof buffer;
    const CStopwatch watch;
    EXPECT_FALSE(channel->Read(buffer, size));
    EXPECT_GE(watch.Seconds(), 1.9);
    EXPECT_LT(watch.Seconds(), 4.0);
}

TEST(TcpIpChannelTest, AConnectionClosedByThePrinterReadsTrueWithSizeZero) {
    std::unique_ptr<CIOChannel> channel = OpenChannelTo(kTcpIp, "tcp_drop");
    ASSERT_TRUE(channel);
    ASSERT_TRUE(channel->SetTimeout(5000));
    // Exactly what the printer takes before it hangs up, so it closes with nothing unread.
    const std::string data = TestPattern(4096);
    ASSERT_TRUE(channel->Write(data.data(), static_cast<std::uint32_t>(data.size())));
    char buffer[64];
    std::uint32_t size = sizeof buffer;
    EXPECT_TRUE(channel->Read(buffer, size));
    EXPECT_EQ(size, 0u);
}

TEST(TcpIpChannelTest, AConnectionDroppedMidTransferFailsTheWrite) {
    std::unique_ptr<CIOChannel> channel = OpenChannelTo(kTcpIp, "tcp_drop");
    ASSERT_TRUE(channel);
    ASSERT_TRUE(channel->SetTimeout(3000));
    const CStopwatch watch;
    EXPECT_FALSE(WriteInChunks(*channel, TestPattern(32 << 20)));
    EXPECT_LT(watch.Seconds(), 3.0);
    EXPECT_NE(channel->GetLastErrorCode(), 0u);
}

TEST(TcpIpChannelTest, AStalledPrinterFailsTheWriteWithinItsLimit) {
    std::unique_ptr<CIOChannel> channel = OpenChannelTo(kTcpIp, "tcp_stall");
    ASSERT_TRUE(channel);
    ASSERT_TRUE(channel->SetTimeout(1000));
    const std::string chunk = TestPattern(channel->GetMaxChunkSize());
    // The printer reads again after 4 s: a Write that waits for it has overrun its limit.
    const CStopwatch watch;
    bool refused = false;
    double lastCall = 0;
    for (int i = 0; i < 1000 && !refused && watch.Seconds() < 3.5; ++i) {
        const CStopwatch call;
        refused = !channel->Write(chunk.data(), static_cast<std::uint32_t>(chunk.size()));
        lastCall = call.Seconds();
    }
    EXPECT_TRUE(refused) << "every Write was accepted in " << watch.Seconds() << " s";
    EXPECT_LT(lastCall, 2.5);
    EXPECT_LT(watch.Seconds(), 3.5);
}

}  // namespace
