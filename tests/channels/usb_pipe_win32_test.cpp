// Under Wine: the USB channel's reads over a named pipe that a printer closes.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "channels/channel_test_support.h"

using namespace channel_test;

namespace {

TEST(WinUsbChannelPipeTest, APendingReadThatCompletesEmptyIsTrueWithSizeZero) {
    // The printer takes four bytes and hangs up a second later, while the Read is pending.
    std::unique_ptr<CIOChannel> channel = OpenChannelTo(kUsb, "usb_hangup");
    ASSERT_TRUE(channel);
    ASSERT_TRUE(channel->Write("PING", 4));
    char buffer[64];
    std::uint32_t size = sizeof buffer;
    const CStopwatch watch;
    EXPECT_TRUE(channel->Read(buffer, size));
    EXPECT_EQ(size, 0u);
    // Before the 2000 ms limit: the completion ended the Read, not the time-out.
    EXPECT_GE(watch.Seconds(), 0.5);
    EXPECT_LT(watch.Seconds(), 1.9);
}

}  // namespace
