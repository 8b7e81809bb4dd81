// The parallel and USB channels against simulated printers behind a local port: a pty (as
// itself natively, as LPT1:/LPT2: under Wine) or, for USB under Wine, a named pipe.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

#include "channels/channel_test_support.h"

using namespace channel_test;
using namespace std::chrono_literals;

namespace {

struct LocalPort {
    const char* label;
    std::int32_t kind;
    const char* printer;
    const char* stalledPrinter;
    /// Bounds of a Read with the limit set at construction; the parallel channel counts
    /// whole seconds, so its bound is up to a second short.
    double defaultReadMinSeconds;
    double defaultReadMaxSeconds;
    /// The longest one Write with a limit of 1000 ms may take.
    double stalledWriteMaxSeconds;
    /// The parallel channel reports the count of its last read call even when it fails.
    bool failedReadReportsZero;
};

void PrintTo(const LocalPort& port, std::ostream* out) { *out << port.label; }

class LocalChannelTest : public ::testing::TestWithParam<LocalPort> {};

TEST_P(LocalChannelTest, WritesArriveByteExactAndTheAnswerIsRead) {
    const LocalPort& port = GetParam();
    const CPrinterRecord record(port.printer);
    std::unique_ptr<CIOChannel> channel = OpenChannelTo(port.kind, port.printer);
    ASSERT_TRUE(channel);
    ASSERT_TRUE(channel->SetTimeout(5000));
    const std::string data = TestPattern(65536 + 1000) + kTrigger;
    ASSERT_TRUE(WriteInChunks(*channel, data));
    EXPECT_EQ(ReadAnswer(*channel, kAnswer.size()), kAnswer);
    channel.reset();
    EXPECT_TRUE(SameBytes(data, record.WaitForBytes(data.size(), 10s)));
}

TEST_P(LocalChannelTest, AReadWithNothingComingFailsAfterTheDefaultLimit) {
    const LocalPort& port = GetParam();
    std::unique_ptr<CIOChannel> channel = OpenChannelTo(port.kind, port.printer);
    ASSERT_TRUE(channel);
    char buffer[256];
    std::uint32_t size = sizeof buffer;
    const CStopwatch watch;
    EXPECT_FALSE(channel->Read(buffer, size));
    EXPECT_GE(watch.Seconds(), port.defaultReadMinSeconds);
    EXPECT_LE(watch.Seconds(), port.defaultReadMaxSeconds);
    if (port.failedReadReportsZero) {
        EXPECT_EQ(size, 0u);
    }

    // A read that ran out of time must not swallow a later answer.
    ASSERT_TRUE(channel->SetTimeout(5000));
    ASSERT_TRUE(channel->Write(kTrigger.data(), static_cast<std::uint32_t>(kTrigger.size())));
    EXPECT_EQ(ReadAnswer(*channel, kAnswer.size()), kAnswer);
}

TEST_P(LocalChannelTest, AStalledPrinterEndsEveryWriteWithinItsLimit) {
    const LocalPort& port = GetParam();
    std::unique_ptr<CIOChannel> channel = OpenChannelTo(port.kind, port.stalledPrinter);
    ASSERT_TRUE(channel);
    ASSERT_TRUE(channel->SetTimeout(1000));
    const std::string chunk = TestPattern(channel->GetMaxChunkSize());
    const CStopwatch watch;
    bool refused = false;
    double longestCall = 0;
    // Whatever the port's buffers take goes out; then the printer takes nothing more.
    for (int i = 0; i < 64 && !refused && watch.Seconds() < 10; ++i) {
        const CStopwatch call;
        refused = !channel->Write(chunk.data(), static_cast<std::uint32_t>(chunk.size()));
        longestCall = std::max(longestCall, call.Seconds());
    }
    EXPECT_TRUE(refused) << "every Write was accepted in " << watch.Seconds() << " s";
    EXPECT_LE(longestCall, port.stalledWriteMaxSeconds);
}

INSTANTIATE_TEST_SUITE_P(
    Ports, LocalChannelTest,
    ::testing::Values(LocalPort{"Parallel", kParallel, "lpt", "lpt_stall", 2.0, 3.4, 2.4, true},
                      LocalPort{"Usb", kUsb, "usb", "usb_stall", 1.9, 2.6, 1.6, false}),
    [](const ::testing::TestParamInfo<LocalPort>& param) {
        return std::string(param.param.label);
    });

}  // namespace
