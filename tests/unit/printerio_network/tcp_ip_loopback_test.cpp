// The channels over the system's sockets. Each TCP test has its own printer on
// 127.0.0.x:9100, x in 20..29, so that tests may run side by side.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "platform/channel_socket.h"
#include "printerio/apple_talk_channel.h"
#include "printerio/ipx_channel.h"
#include "printerio/tcp_ip_channel.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A printer that listens, takes one connection from its channel and does what it is told.
class LoopbackPrinter {
public:
    explicit LoopbackPrinter(int host) : m_address("127.0.0." + std::to_string(host)) {
        std::uint16_t version = 0;
        EXPECT_EQ(platform::StartChannelSockets(version), 0u);
        platform::SocketAddress address;
        const std::uint16_t family = platform::SocketFamilyCode(platform::SocketFamily::Inet);
        const unsigned char rest[6] = {0x23, 0x8C, 127, 0, 0, static_cast<unsigned char>(host)};
        std::memcpy(address.bytes, &family, 2);
        std::memcpy(address.bytes + 2, rest, 6);
        address.length = 16;
        m_listening = platform::ListenOnSocketAddress(address);
        EXPECT_NE(m_listening, platform::kNoSocket) << platform::LastSocketError();
        channel = std::make_unique<CTcpIpChannel>(CChannelAddress(m_address.c_str(), 0, 9));
        EXPECT_TRUE(channel->Open(0)) << channel->GetLastErrorCode();
        m_connection = platform::AcceptOnSocket(m_listening);
        EXPECT_NE(m_connection, platform::kNoSocket);
    }
    ~LoopbackPrinter() {
        Hang();
        channel.reset();
        platform::CloseSocket(m_listening);
        platform::StopChannelSockets();
    }
    void Hang() {
        if (m_connection != platform::kNoSocket) platform::CloseSocket(m_connection);
        m_connection = platform::kNoSocket;
    }
    bool Answer(const std::string& text) {
        const int length = static_cast<int>(text.size());
        return platform::SendOnSocket(m_connection, text.data(), length) == length;
    }
    // Up to `expected` bytes; less when the sender closes or nothing comes for 5 s.
    std::string Receive(std::size_t expected) {
        std::string received;
        char buffer[65536];
        while (received.size() < expected &&
               platform::WaitSocketReadable(m_connection, 5) == platform::SocketWait::Ready) {
            const int count = platform::ReceiveOnSocket(m_connection, buffer, sizeof buffer);
            if (count <= 0) break;
            received.append(buffer, static_cast<std::size_t>(count));
        }
        return received;
    }

    std::unique_ptr<CTcpIpChannel> channel;

private:
    std::string m_address;
    platform::SocketHandle m_listening = platform::kNoSocket;
    platform::SocketHandle m_connection = platform::kNoSocket;
};

TEST(TcpIpLoopbackTest, ChunksArriveByteExactAndTheAnswerIsRead) {
    LoopbackPrinter printer(20);
    std::string job(5 * 46720 + 17, '\0');
    for (std::size_t i = 0; i < job.size(); ++i) job[i] = static_cast<char>(i * 7 % 251);
    std::string received;
    std::thread reader([&] { received = printer.Receive(job.size()); });
    const std::uint32_t chunk = printer.channel->GetMaxChunkSize();
    bool written = true;
    for (std::size_t at = 0; at < job.size() && written; at += chunk) {
        const auto length =
            static_cast<std::uint32_t>(std::min<std::size_t>(chunk, job.size() - at));
        written = printer.channel->Write(job.data() + at, length);
    }
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
    EXPECT_LT(SecondsSince(start), 4.0);
    // Below one second the limit is 0 s: one look, then the read fails.
    printer.channel->SetTimeout(999);
    start = Clock::now();
    EXPECT_FALSE(printer.channel->Read(buffer, size));
    EXPECT_LT(SecondsSince(start), 0.5);
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
    EXPECT_LT(lastWrite, 3.0);
    // The printer goes first, so the channel's closing linger has nothing left to wait for.
    printer.Hang();
    const Clock::time_point closing = Clock::now();
    printer.channel.reset();
    EXPECT_LT(SecondsSince(closing), 5.0);
}

TEST(ChannelSocketTest, RefusedConnectionAndLocalhost) {
    CTcpIpChannel channel(CChannelAddress("127.0.0.25", 0, 9));
    EXPECT_FALSE(channel.Open(0));
    EXPECT_NE(channel.GetLastErrorCode(), 0u);
    std::uint8_t address[4] = {};
    ASSERT_TRUE(platform::ResolveHostName("localhost", address));
    EXPECT_EQ(address[0], 127);
    platform::StopChannelSockets();
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
