#include "printerio/tcp_ip_channel.h"

#include <gtest/gtest.h>

#include <string>

#include "unit/printerio_network/fake_channel_transport.h"

namespace {

using platform::SocketType;
using platform::SocketWait;

// A connect's IPv4 address as "port a.b.c.d", checking its family and length on the way.
std::string Peer(const platform::SocketAddress& address) {
    std::uint16_t family = 0;
    std::memcpy(&family, address.bytes, 2);
    EXPECT_EQ(family, platform::SocketFamilyCode(platform::SocketFamily::Inet));
    EXPECT_EQ(address.length, 16u);
    const unsigned char* b = address.bytes;
    return std::to_string(b[2] << 8 | b[3]) + " " + std::to_string(b[4]) + "." +
           std::to_string(b[5]) + "." + std::to_string(b[6]) + "." + std::to_string(b[7]);
}

class TcpIpChannelTest : public ::testing::Test {
protected:
    CFakeChannelTransport transport;

    CTcpIpChannel Channel(const char* address, std::int32_t mode = 9) {
        return CTcpIpChannel(CChannelAddress(address, 0, mode), transport);
    }
};

TEST_F(TcpIpChannelTest, AddressRules) {
    ASSERT_TRUE(Channel("192.168.1.20").Open(0));
    EXPECT_EQ(Peer(transport.connected.at(0)), "9100 192.168.1.20");
    EXPECT_EQ(transport.created.at(0), SocketType::Stream);
    ASSERT_TRUE(Channel("300.1.258.-1").Open(0));  // the low byte of each number
    EXPECT_EQ(Peer(transport.connected.at(1)), "9100 44.1.2.255");
    EXPECT_TRUE(transport.resolvedNames.empty());

    ASSERT_TRUE(Channel("printer7").Open(0));
    EXPECT_EQ(transport.resolvedNames, std::vector<std::string>{"printer7"});
    EXPECT_EQ(Peer(transport.connected.at(2)), "9100 10.1.2.3");

    // A name that begins with a digit is read as numbers and goes nowhere.
    EXPECT_FALSE(Channel("7printer").Open(0));
    EXPECT_FALSE(Channel("10.0.0").Open(0));
    transport.resolves = false;
    auto unknown = Channel("nosuchprinter");
    EXPECT_FALSE(unknown.Open(0));
    EXPECT_EQ(unknown.GetLastErrorCode(), 10060u);
    EXPECT_EQ(transport.resolvedNames.size(), 2u);
    EXPECT_EQ(transport.connected.size(), 3u);
}

TEST_F(TcpIpChannelTest, ModesAndOpeningFailures) {
    ASSERT_TRUE(Channel("10.0.0.1", 1).Open(9));  // the stored mode
    EXPECT_EQ(transport.created.back(), SocketType::Datagram);
    EXPECT_EQ(Peer(transport.connected.back()), "161 10.0.0.1");
    EXPECT_FALSE(Channel("10.0.0.1").Open(2));
    EXPECT_FALSE(Channel("").Open(0));
    EXPECT_EQ(transport.starts, 2);
    EXPECT_EQ(transport.created.size(), 1u);

    transport.startError = 10091;
    auto notStarted = Channel("10.0.0.1");
    EXPECT_FALSE(notStarted.Open(0));
    EXPECT_EQ(notStarted.GetLastErrorCode(), 10091u);
    transport.startError = 0;
    transport.grantedVersion = 0x0202;
    EXPECT_FALSE(Channel("10.0.0.1").Open(0));
    EXPECT_EQ(transport.stops, 1);
    EXPECT_EQ(transport.created.size(), 1u);

    transport.grantedVersion = 0x0101;
    transport.connects = false;
    transport.socketError = 10061;
    auto refused = Channel("10.0.0.1");
    EXPECT_FALSE(refused.Open(0));
    EXPECT_EQ(refused.GetLastErrorCode(), 10061u);
    // Another attempt makes a new socket and closes the old one (the first socket went with
    // its channel at once).
    transport.connects = true;
    EXPECT_TRUE(refused.Open(0));
    EXPECT_EQ(transport.closed.size(), 2u);
    EXPECT_EQ(transport.closed.back(), transport.kSocket + 2);
}

TEST_F(TcpIpChannelTest, WriteLoop) {
    auto channel = Channel("10.0.0.1");
    EXPECT_FALSE(channel.Write("x", 1));  // not open
    ASSERT_TRUE(channel.Open(0));
    transport.sendResults = {3, 4};
    ASSERT_TRUE(channel.Write("abcdefghij", 10));
    EXPECT_EQ(transport.sends, (std::vector<std::string>{"abcdefghij", "defghij", "hij"}));
    EXPECT_EQ(transport.writeWaitSeconds, (std::vector<std::uint32_t>{10, 10, 10}));
    EXPECT_TRUE(channel.Write("", 0));
    EXPECT_FALSE(channel.Write(nullptr, 4));

    transport.sent.clear();
    transport.sendResults = {2, 0};
    EXPECT_FALSE(channel.Write("abcd", 4));
    EXPECT_EQ(transport.sent, "ab");
    transport.sendResults = {-1};
    transport.socketError = 10054;
    EXPECT_FALSE(channel.Write("abcd", 4));
    EXPECT_EQ(channel.GetLastErrorCode(), 10054u);

    transport.writeWaits = {SocketWait::TimedOut, SocketWait::Failed};
    transport.socketError = 10060;
    channel.SetTimeout(2500);
    EXPECT_FALSE(channel.Write("abcd", 4));
    EXPECT_FALSE(channel.Write("abcd", 4));
    EXPECT_EQ(transport.sends.size(), 6u);
    EXPECT_EQ(transport.writeWaitSeconds.back(), 2u);
    EXPECT_EQ(channel.GetLastErrorCode(), 10054u);  // a failed wait records nothing here
}

TEST_F(TcpIpChannelTest, ReadRuleAndClosing) {
    {
        auto channel = Channel("10.0.0.1");
        char buffer[64];
        std::uint32_t size = sizeof buffer;
        EXPECT_FALSE(channel.Read(buffer, size));  // no socket, no peer
        ASSERT_TRUE(channel.Open(0));
        EXPECT_FALSE(channel.Read(nullptr, size));
        transport.receives = {std::string("status"), std::string()};
        ASSERT_TRUE(channel.Read(buffer, size));
        EXPECT_EQ(std::string(buffer, size), "status");
        size = 5;
        ASSERT_TRUE(channel.Read(buffer, size));  // the printer closed
        EXPECT_EQ(size, 0u);
        EXPECT_EQ(transport.receiveSizes, (std::vector<int>{64, 5}));

        transport.readWaits = {SocketWait::TimedOut};
        EXPECT_FALSE(channel.Read(buffer, size));
        EXPECT_EQ(channel.GetLastErrorCode(), 10060u);
        transport.socketError = 10054;
        transport.receives = {std::nullopt};
        EXPECT_FALSE(channel.Read(buffer, size));
        EXPECT_EQ(channel.GetLastErrorCode(), 10054u);
        EXPECT_TRUE(transport.closed.empty());
    }
    EXPECT_EQ(transport.closed, std::vector<platform::SocketHandle>{transport.kSocket + 1});
    { Channel("10.0.0.1"); }  // never opened, nothing to close
    EXPECT_EQ(transport.closed.size(), 1u);
}

}  // namespace
