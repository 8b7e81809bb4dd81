#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "printerio/create_channel.h"
#include "unit/printerio/pty_printer.h"

namespace {

using Clock = std::chrono::steady_clock;

long MillisecondsSince(Clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

class UsbPtyTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(printer.Port().empty());
        channel = CreateChannel(CChannelAddress(printer.Port().c_str(), 6, 9));
        ASSERT_NE(channel, nullptr);
        ASSERT_TRUE(channel->Open(0));
    }

    PtyPrinter printer;
    std::unique_ptr<CIOChannel> channel;
};

TEST_F(UsbPtyTest, AWriteArrivesWholeAndTheAnswerIsRead) {
    std::string job;
    for (int i = 0; job.size() < 100000; ++i) job += std::to_string(i) + '\n';
    std::string received;
    std::thread reader([&] { received = printer.Received(job.size()); });
    const bool written = channel->Write(job.data(), static_cast<std::uint32_t>(job.size()));
    reader.join();
    EXPECT_TRUE(written);
    EXPECT_TRUE(received == job) << received.size() << " of " << job.size() << " bytes";

    printer.Answer("OK");
    char buffer[16];
    std::uint32_t size = sizeof(buffer);
    ASSERT_TRUE(channel->Read(buffer, size));
    EXPECT_EQ(std::string(buffer, size), "OK");
}

TEST_F(UsbPtyTest, AReadWithNothingComingFailsAfterTwoSecondsAndTheChannelGoesOn) {
    char buffer[64];
    std::uint32_t size = sizeof(buffer);
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(channel->Read(buffer, size));
    const long spent = MillisecondsSince(start);
    EXPECT_GE(spent, 1950);
    EXPECT_LT(spent, 2600);

    printer.Answer("ready");
    size = sizeof(buffer);
    ASSERT_TRUE(channel->Read(buffer, size));
    EXPECT_EQ(std::string(buffer, size), "ready");
}

TEST_F(UsbPtyTest, AStalledPrinterFailsTheWriteWithinItsLimit) {
    channel->SetTimeout(300);
    const std::string job(1 << 20, 'x');
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(channel->Write(job.data(), static_cast<std::uint32_t>(job.size())));
    EXPECT_LT(MillisecondsSince(start), 1500);
}

TEST_F(UsbPtyTest, APrinterThatHangsUpEndsTheAnswer) {
    printer.HangUp();
    char buffer[64];
    std::uint32_t size = sizeof(buffer);
    EXPECT_TRUE(channel->Read(buffer, size));
    EXPECT_EQ(size, 0u);
}

}  // namespace
