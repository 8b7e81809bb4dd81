#include "printerio/ipx_channel.h"

#include <gtest/gtest.h>

#include <string>

#include "printerio/spx_framing.h"
#include "support/fake_socket_system.h"

namespace {

using platform::SocketProtocol;
using platform::SocketType;
using platform::SocketWait;
using Replies = std::deque<std::optional<std::string>>;

const std::string kHandshake("\x10\0\0\0\0\0\0\0\0\0", 10);
const std::string kHeader("\x12\0\0\0\0\0", 6);
const std::string kOpened("\x10\x00", 2);
const std::string kOther("\x01\x01", 2);

class IpxChannelTest : public ::testing::Test {
protected:
    fake::SocketSystem sockets;

    CIpxChannel Channel(const char* address = "0a0B0c0D.0011C0A8ffEE") {
        return CIpxChannel(CChannelAddress(address, 1, 9), sockets);
    }
    // Opens in mode 0 after the printer's scripted replies to the handshake.
    bool OpenAfter(CIpxChannel& channel, Replies replies) {
        sockets.receives = std::move(replies);
        return channel.Open(0);
    }
    std::string PeerBytes(std::size_t index) {
        const platform::SocketAddress& peer = sockets.connected.at(index);
        EXPECT_EQ(peer.length, 14u);
        return std::string(reinterpret_cast<const char*>(peer.bytes) + 2, 12);
    }
};

TEST_F(IpxChannelTest, AddressAndSockets) {
    auto spx = Channel();
    ASSERT_TRUE(OpenAfter(spx, {kOpened}));
    EXPECT_EQ(sockets.created.at(0), SocketType::SequencedPacket);
    EXPECT_EQ(sockets.protocols.at(0), SocketProtocol::Spx);
    EXPECT_EQ(PeerBytes(0), std::string("\x0A\x0B\x0C\x0D\x00\x11\xC0\xA8\xFF\xEE\x40\x0C", 12));
    EXPECT_EQ(sockets.sends, std::vector<std::string>{kHandshake});
    EXPECT_EQ(sockets.readWaitMilliseconds, std::vector<std::uint32_t>{5000});
    EXPECT_EQ(sockets.receiveSizes, std::vector<int>{1024});

    // Datagrams: another socket number, no handshake, no header.
    auto ipx = Channel();
    ASSERT_TRUE(ipx.Open(1));
    EXPECT_EQ(sockets.created.at(1), SocketType::Datagram);
    EXPECT_EQ(sockets.protocols.at(1), SocketProtocol::Ipx);
    EXPECT_EQ(PeerBytes(1).substr(10), "\x90\x0F");
    ASSERT_TRUE(ipx.Write("job", 3));
    EXPECT_EQ(sockets.sends.back(), "job");

    for (const char* bad : {"", "printer", "0A0B0C0D-001122334455", "0A0B0C0D.0011223344"}) {
        auto channel = Channel(bad);
        EXPECT_FALSE(channel.Open(0)) << bad;
        EXPECT_EQ(channel.GetLastErrorCode(), 87u) << bad;
    }
    EXPECT_EQ(sockets.created.size(), 2u);
}

TEST_F(IpxChannelTest, HandshakeOutcomes) {
    auto refused = Channel();
    EXPECT_FALSE(OpenAfter(refused, {std::string("\x10\x01", 2)}));

    // Replies that do not answer the handshake are passed over until one does.
    auto late = Channel();
    EXPECT_TRUE(OpenAfter(late, {kOther, std::string("\x12\x00\x07", 3), kOpened, kOther}));
    EXPECT_EQ(sockets.receives.size(), 1u);

    // After eight further replies, the last one decides whatever its first byte.
    Replies nine(8, kOther);
    nine.push_back(std::string("\x55\x00\x01", 3));
    nine.push_back(kOpened);
    auto decidedByLast = Channel();
    EXPECT_TRUE(OpenAfter(decidedByLast, nine));
    EXPECT_EQ(sockets.receives.size(), 1u);
    nine[8] = kOther;
    auto refusedByLast = Channel();
    EXPECT_FALSE(OpenAfter(refusedByLast, nine));

    // A printer that closes the connection accepts nothing.
    auto gone = Channel();
    EXPECT_FALSE(OpenAfter(gone, Replies(9, std::string())));
    EXPECT_TRUE(sockets.receives.empty());

    sockets.socketError = 10054;
    auto broken = Channel();
    EXPECT_FALSE(OpenAfter(broken, {kOther, std::nullopt, kOpened}));
    EXPECT_EQ(broken.GetLastErrorCode(), 10054u);

    // The handshake message goes out whole, in as many sends as it takes.
    sockets.sent.clear();
    sockets.sendResults = {4};
    auto split = Channel();
    ASSERT_TRUE(OpenAfter(split, {kOpened}));
    EXPECT_EQ(sockets.sent, kHandshake);
    sockets.sendResults = {-1};
    sockets.socketError = 10050;
    auto unsent = Channel();
    EXPECT_FALSE(OpenAfter(unsent, {kOpened}));
    EXPECT_EQ(unsent.GetLastErrorCode(), 10050u);
}

TEST(SpxFramingTest, RepliesAreReadOnlyAsFarAsTheyGo) {
    const char opened[] = "\x10\x00";
    EXPECT_TRUE(spx_framing::IsHandshakeReply(opened, 1));
    EXPECT_FALSE(spx_framing::IsHandshakeReply(opened, 0));
    EXPECT_TRUE(spx_framing::Accepts(opened, 2));
    EXPECT_FALSE(spx_framing::Accepts(opened, 1));
}

TEST_F(IpxChannelTest, DataHeaderAndErrorCodes) {
    auto closed = Channel();
    EXPECT_FALSE(closed.Write("a", 1));
    EXPECT_EQ(closed.GetLastErrorCode(), 87u);

    auto channel = Channel();
    ASSERT_TRUE(OpenAfter(channel, {kOpened}));
    sockets.sent.clear();
    const std::string job(1024, 'J');
    // No room at first for either: each wait is the IPX channel's own.
    sockets.sendResults = {0};
    ASSERT_TRUE(channel.Write(job.data(), 1024));
    sockets.sendResults = {0};
    ASSERT_TRUE(channel.Write("ab", 2));
    EXPECT_EQ(sockets.sent, kHeader + job + kHeader + "ab");
    EXPECT_EQ(sockets.writeWaitMilliseconds, (std::vector<std::uint32_t>{60000, 60000}));

    EXPECT_FALSE(channel.Write(nullptr, 1));
    EXPECT_EQ(channel.GetLastErrorCode(), 87u);
    // Every wait for room records the socket error, a ready one too.
    sockets.socketError = 10054;
    sockets.sendResults = {0};
    EXPECT_TRUE(channel.Write("a", 1));
    EXPECT_EQ(channel.GetLastErrorCode(), 10054u);
    // Every failed read ends with 87, whatever the socket said.
    char buffer[16];
    std::uint32_t size = sizeof buffer;
    sockets.readWaits = {SocketWait::TimedOut};
    EXPECT_FALSE(channel.Read(buffer, size));
    EXPECT_EQ(channel.GetLastErrorCode(), 87u);
    sockets.sendResults = {0};
    ASSERT_TRUE(channel.Write("a", 1));  // the socket's error once more
    sockets.receives = {std::nullopt};
    EXPECT_FALSE(channel.Read(buffer, size));
    EXPECT_EQ(channel.GetLastErrorCode(), 87u);
}

}  // namespace
