// The channels over the system's sockets. Each TCP test has its own printer on
// 127.0.0.x:9100, x in 20..29, so that tests may run side by side.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <future>
#include <memory>
#include <string>
#include <thread>

#include "platform/socket_system.h"
#include "printerio/apple_talk_channel.h"
#include "printerio/ipx_channel.h"
#include "printerio/tcp_ip_channel.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

platform::SocketSystem& Sockets() { return platform::SocketSystem::System(); }

// A printer that listens, takes one connection from its channel and does what it is told.
class LoopbackPrinter {
public:
    explicit LoopbackPrinter(int host) : m_address("127.0.0." + std::to_string(host)) {
        std::uint16_t version = 0;
        EXPECT_EQ(Sockets().StartLibrary(version), 0u);
        m_listening = Sockets().Create(platform::SocketFamily::Inet, platform::SocketType::Stream,
                                       platform::SocketProtocol::Default);
        EXPECT_NE(m_listening, platform::kInvalidSocket) << Sockets().LastError();
        const auto ip = static_cast<std::uint32_t>(0x7F000000 | host);
        EXPECT_TRUE(Sockets().Bind(m_listening, platform::InetSocketAddress(ip, 9100)))
            << Sockets().LastError();
        EXPECT_EQ(Sockets().ListenNonBlocking(m_listening, 4), 0);
        channel = std::make_unique<CTcpIpChannel>(CChannelAddress(m_address.c_str(), 0, 9));
        EXPECT_TRUE(channel->Open(0)) << channel->GetLastErrorCode();
        // The connection is queued once Open returns; the wait only guards a slow system.
        EXPECT_EQ(Sockets().WaitReadable(m_listening, 30000), platform::SocketWait::Ready);
        EXPECT_EQ(Sockets().Accept(m_listening, m_connection), platform::AcceptOutcome::Accepted);
    }
    ~LoopbackPrinter() {
        Hang();
        channel.reset();
        if (m_listening != platform::kInvalidSocket) Sockets().Close(m_listening);
        Sockets().StopLibrary();
    }
    void Hang() {
        if (m_connection != platform::kInvalidSocket) Sockets().Close(m_connection);
        m_connection = platform::kInvalidSocket;
    }
    bool Answer(const std::string& text) {
        const int length = static_cast<int>(text.size());
        return Sockets().Send(m_connection, text.data(), length, platform::SendMode::All) == length;
    }
    // Up to `expected` bytes; less when the connection ends or nothing comes for 5 s. `end`
    // gets the last receive: 0 an orderly end, -1 a broken one, 1 none (the wait ran out).
    std::string Receive(std::size_t expected, int* end = nullptr) {
        std::string received;
        char buffer[65536];
        int count = 1;
        while (received.size() < expected &&
               Sockets().WaitReadable(m_connection, 5000) == platform::SocketWait::Ready) {
            count = Sockets().Receive(m_connection, buffer, sizeof buffer);
            if (count <= 0) break;
            received.append(buffer, static_cast<std::size_t>(count));
        }
        if (end != nullptr) *end = count > 0 ? 1 : count;
        return received;
    }

    /// Writes `job` through the channel in pieces of its largest write, as a command does;
    /// false from the first write that fails.
    bool WriteInChunks(const std::string& job) {
        const std::uint32_t chunk = channel->GetMaxChunkSize();
        for (std::size_t at = 0; at < job.size(); at += chunk) {
            const auto length =
                static_cast<std::uint32_t>(std::min<std::size_t>(chunk, job.size() - at));
            if (!channel->Write(job.data() + at, length)) return false;
        }
        return true;
    }

    std::unique_ptr<CTcpIpChannel> channel;

private:
    std::string m_address;
    platform::SocketHandle m_listening = platform::kInvalidSocket;
    platform::SocketHandle m_connection = platform::kInvalidSocket;
};

TEST(TcpIpLoopbackTest, ChunksArriveByteExactAndTheAnswerIsRead) {
    LoopbackPrinter printer(20);
    std::string job(5 * 46720 + 17, '\0');
    for (std::size_t i = 0; i < job.size(); ++i) job[i] = static_cast<char>(i * 7 % 251);
    std::string received;
    std::thread reader([&] { received = printer.Receive(job.size()); });
    const bool written = printer.WriteInChunks(job);
    reader.join();
    EXPECT_TRUE(written);
    EXPECT_EQ(received.size(), job.size());
    EXPECT_TRUE(received == job);

    ASSERT_TRUE(printer.Answer("ready"));
    char answer[16];
    std::uint32_t size = sizeof answer;
    ASSERT_TRUE(printer.channel->Read(answer, size));
    EXPECT_EQ(std::string(answer, size), "ready");
    // The printer hangs up: an empty read, not a failure.
    printer.Hang();
    size = sizeof answer;
    EXPECT_TRUE(printer.channel->Read(answer, size));
    EXPECT_EQ(size, 0u);
}

TEST(TcpIpLoopbackTest, SilentPrinterFailsTheReadAfterTheLimit) {
    LoopbackPrinter printer(22);
    char buffer[32];
    std::uint32_t size = sizeof buffer;
    printer.channel->SetTimeout(2000);
    Clock::time_point start = Clock::now();
    EXPECT_FALSE(printer.channel->Read(buffer, size));
    EXPECT_GE(SecondsSince(start), 1.9);
    // Well short of the default limit of 10 s.
    EXPECT_LT(SecondsSince(start), 9.0);
    // Below one second the limit is 0 s: one look, then the read fails (that the look does
    // not wait is TcpIpChannelTest.TimeLimitReachesBothWaitsInWholeSeconds).
    printer.channel->SetTimeout(999);
    EXPECT_FALSE(printer.channel->Read(buffer, size));
}

TEST(TcpIpLoopbackTest, PrinterThatStopsReadingFailsTheWriteWithinTheLimit) {
    LoopbackPrinter printer(24);
    printer.channel->SetTimeout(1000);
    const std::string chunk(printer.channel->GetMaxChunkSize(), 'x');
    double lastWrite = 0;
    int writes = 0;
    for (bool written = true; written && writes < 4000; ++writes) {
        const Clock::time_point start = Clock::now();
        written = printer.channel->Write(chunk.data(), static_cast<std::uint32_t>(chunk.size()));
        lastWrite = SecondsSince(start);
    }
    EXPECT_LT(writes, 4000);
    EXPECT_GE(lastWrite, 0.9);
    // A send that waited for room for all of the rest would never come back.
    EXPECT_LT(lastWrite, 9.0);
    // The printer still holds the connection and reads nothing, yet the failure is not kept
    // waiting for the 60 s linger.
    const Clock::time_point closing = Clock::now();
    printer.channel.reset();
    EXPECT_LT(SecondsSince(closing), 2.0);
    // What the system still held for the printer is dropped, and the connection ends (Linux
    // resets it; Wine ends it in order after what the printer had already been given).
    int end = 1;
    const std::size_t accepted = static_cast<std::size_t>(writes - 1) * chunk.size();
    EXPECT_LT(printer.Receive(std::string::npos, &end).size(), accepted);
    EXPECT_NE(end, 1);
}

// A finished job still drains: the last Write returns once the system holds the bytes, and
// the close waits for them to reach a printer that starts reading only then. The job fits in
// what the system buffers for one loopback connection.
TEST(TcpIpLoopbackTest, AFinishedJobStillReachesAPrinterThatReadsLate) {
    LoopbackPrinter printer(26);
    std::string job(1 << 20, '\0');
    for (std::size_t i = 0; i < job.size(); ++i) job[i] = static_cast<char>(i * 13 % 253);
    std::string received;
    int end = 1;
    std::promise<void> writesDone;
    std::thread reader([&, done = writesDone.get_future()] {
        done.wait();
        received = printer.Receive(std::string::npos, &end);
    });
    const bool written = printer.WriteInChunks(job);
    writesDone.set_value();
    printer.channel.reset();
    reader.join();
    EXPECT_TRUE(written);
    EXPECT_EQ(end, 0);
    EXPECT_EQ(received.size(), job.size());
    EXPECT_TRUE(received == job);
}

TEST(ChannelSocketTest, RefusedConnectionAndLocalhost) {
    CTcpIpChannel channel(CChannelAddress("127.0.0.25", 0, 9));
    EXPECT_FALSE(channel.Open(0));
    EXPECT_NE(channel.GetLastErrorCode(), 0u);
    std::uint8_t address[4] = {};
    ASSERT_TRUE(Sockets().ResolveHostName("localhost", address));
    EXPECT_EQ(address[0], 127);
    Sockets().StopLibrary();
}

// Neither transport exists here: no socket can be made, and the channels say so.
TEST(ChannelSocketTest, IpxAndAppleTalkOpenFailCleanly) {
    CIpxChannel ipx(CChannelAddress("00000001.000000000001", 1, 9));
    EXPECT_FALSE(ipx.Open(0));
    EXPECT_NE(ipx.GetLastErrorCode(), 0u);
    CAppleTalkChannel talk(CChannelAddress("Big Plot", 3, 9));
    EXPECT_FALSE(talk.Open(0));
    EXPECT_NE(talk.GetLastErrorCode(), 0u);
    char buffer[4];
    std::uint32_t size = sizeof buffer;
    EXPECT_FALSE(talk.Read(buffer, size));
    EXPECT_FALSE(talk.Write("a", 1));
}

}  // namespace
