#include "printerio/tcp_ip_channel.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "support/fake_socket_system.h"

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
    fake::SocketSystem sockets;

    CTcpIpChannel Channel(const char* address, std::int32_t mode = 9) {
        return CTcpIpChannel(CChannelAddress(address, 0, mode), sockets);
    }
};

TEST_F(TcpIpChannelTest, AddressRules) {
    ASSERT_TRUE(Channel("192.168.1.20").Open(0));
    EXPECT_EQ(Peer(sockets.connected.at(0)), "9100 192.168.1.20");
    EXPECT_EQ(sockets.created.at(0), SocketType::Stream);
    ASSERT_TRUE(Channel("300.1.258.-1").Open(0));  // the low byte of each number
    EXPECT_EQ(Peer(sockets.connected.at(1)), "9100 44.1.2.255");
    EXPECT_TRUE(sockets.resolvedNames.empty());

    ASSERT_TRUE(Channel("printer7").Open(0));
    EXPECT_EQ(sockets.resolvedNames, std::vector<std::string>{"printer7"});
    EXPECT_EQ(Peer(sockets.connected.at(2)), "9100 10.1.2.3");

    // A name that begins with a digit is read as numbers and goes nowhere.
    EXPECT_FALSE(Channel("7printer").Open(0));
    EXPECT_FALSE(Channel("10.0.0").Open(0));
    sockets.resolves = false;
    auto unknown = Channel("nosuchprinter");
    EXPECT_FALSE(unknown.Open(0));
    EXPECT_EQ(unknown.GetLastErrorCode(), 10060u);
    EXPECT_EQ(sockets.resolvedNames.size(), 2u);
    EXPECT_EQ(sockets.connected.size(), 3u);
}

TEST_F(TcpIpChannelTest, ModesAndOpeningFailures) {
    ASSERT_TRUE(Channel("10.0.0.1", 1).Open(9));  // the stored mode
    EXPECT_EQ(sockets.created.back(), SocketType::Datagram);
    EXPECT_EQ(Peer(sockets.connected.back()), "161 10.0.0.1");
    EXPECT_FALSE(Channel("10.0.0.1").Open(2));
    EXPECT_FALSE(Channel("").Open(0));
    EXPECT_EQ(sockets.starts, 2);
    EXPECT_EQ(sockets.created.size(), 1u);

    sockets.startError = 10091;
    auto notStarted = Channel("10.0.0.1");
    EXPECT_FALSE(notStarted.Open(0));
    EXPECT_EQ(notStarted.GetLastErrorCode(), 10091u);
    sockets.startError = 0;
    sockets.grantedVersion = 0x0202;
    EXPECT_FALSE(Channel("10.0.0.1").Open(0));
    EXPECT_EQ(sockets.stops, 1);
    EXPECT_EQ(sockets.created.size(), 1u);

    sockets.grantedVersion = 0x0101;
    sockets.connects = false;
    sockets.socketError = 10061;
    auto refused = Channel("10.0.0.1");
    EXPECT_FALSE(refused.Open(0));
    EXPECT_EQ(refused.GetLastErrorCode(), 10061u);
    // Another attempt makes a new socket and closes the old one (the first socket went with
    // its channel at once).
    sockets.connects = true;
    EXPECT_TRUE(refused.Open(0));
    EXPECT_EQ(sockets.closed.size(), 2u);
    EXPECT_EQ(sockets.closed.back(), sockets.kSocket + 2);
}

// Records the linger of every close, which the shared fake keeps only for 60 s.
class LingerRecorder : public fake::SocketSystem {
public:
    std::vector<std::uint16_t> lingers;

    void LingerAndClose(platform::SocketHandle socket, std::uint16_t seconds) override {
        lingers.push_back(seconds);
        fake::SocketSystem::LingerAndClose(socket, seconds);
    }
};

// One Write of "abcdefghij" after the scripted sends and waits, then the channel's close.
// A send of 0 is one that found no room; the channel waits only then.
TEST(TcpIpChannelWriteTest, SendsFirstWaitsOnlyForRoomAndClosesAtOnceAfterAFailure) {
    using Sends = std::vector<std::string>;
    using Waits = std::vector<std::uint32_t>;
    struct Case {
        const char* name;
        std::deque<int> sendResults;
        std::deque<SocketWait> writeWaits;
        bool written;
        Sends offered;
        Waits waited;
        std::string taken;
        std::uint32_t error;
        std::uint16_t linger;
    };
    const Case cases[] = {
        {"everything fits", {}, {}, true, {"abcdefghij"}, {}, "abcdefghij", 0, 60},
        {"partial sends, no wait while something fits",
         {3, 4},
         {},
         true,
         {"abcdefghij", "defghij", "hij"},
         {},
         "abcdefghij",
         0,
         60},
        {"no room, then room",
         {0},
         {SocketWait::Ready},
         true,
         {"abcdefghij", "abcdefghij"},
         {10000},
         "abcdefghij",
         0,
         60},
        {"a full limit for each stall after progress",
         {0, 3, 0},
         {SocketWait::Ready, SocketWait::Ready},
         true,
         {"abcdefghij", "abcdefghij", "defghij", "defghij"},
         {10000, 10000},
         "abcdefghij",
         0,
         60},
        {"no room within the limit",
         {4, 0},
         {SocketWait::TimedOut},
         false,
         {"abcdefghij", "efghij"},
         {10000},
         "abcd",
         0,
         0},
        {"the wait fails", {0}, {SocketWait::Failed}, false, {"abcdefghij"}, {10000}, "", 0, 0},
        {"room reported, still nothing fits",
         {0, 0},
         {SocketWait::Ready},
         false,
         {"abcdefghij", "abcdefghij"},
         {10000},
         "",
         0,
         0},
        {"the connection breaks",
         {2, -1},
         {},
         false,
         {"abcdefghij", "cdefghij"},
         {},
         "ab",
         10054,
         0},
    };
    for (const Case& c : cases) {
        LingerRecorder sockets;
        {
            CTcpIpChannel channel(CChannelAddress("10.0.0.1", 0, 9), sockets);
            ASSERT_TRUE(channel.Open(0)) << c.name;
            sockets.sendResults = c.sendResults;
            sockets.writeWaits = c.writeWaits;
            sockets.socketError = 10054;
            EXPECT_EQ(channel.Write("abcdefghij", 10), c.written) << c.name;
            EXPECT_EQ(sockets.sends, c.offered) << c.name;
            EXPECT_EQ(sockets.writeWaitMilliseconds, c.waited) << c.name;
            EXPECT_EQ(sockets.sent, c.taken) << c.name;
            EXPECT_EQ(channel.GetLastErrorCode(), c.error) << c.name;
            // A send after a wait must not then wait for room for all of the rest.
            EXPECT_EQ(sockets.sendModes, std::vector<platform::SendMode>(
                                             c.offered.size(), platform::SendMode::WhatFits))
                << c.name;
            EXPECT_TRUE(sockets.lingers.empty()) << c.name;
        }
        EXPECT_EQ(sockets.lingers, std::vector<std::uint16_t>{c.linger}) << c.name;
    }
}

TEST(TcpIpChannelWriteTest, OnlyAFailedTransferCutsTheClosingLinger) {
    using Lingers = std::vector<std::uint16_t>;
    LingerRecorder sockets;
    {
        CTcpIpChannel channel(CChannelAddress("10.0.0.1", 0, 9), sockets);
        EXPECT_FALSE(channel.Write("x", 1));  // not open: nothing to close
        ASSERT_TRUE(channel.Open(0));
        EXPECT_FALSE(channel.Write(nullptr, 4));
        EXPECT_TRUE(channel.Write("", 0));
    }
    EXPECT_EQ(sockets.lingers, Lingers{60});
    {
        CTcpIpChannel channel(CChannelAddress("10.0.0.1", 0, 9), sockets);
        ASSERT_TRUE(channel.Open(0));
        sockets.sendResults = {-1};
        EXPECT_FALSE(channel.Write("abcd", 4));
        // What follows a lost piece is no job the printer should wait for.
        EXPECT_TRUE(channel.Write("abcd", 4));
    }
    EXPECT_EQ(sockets.lingers, (Lingers{60, 0}));
    {
        CTcpIpChannel channel(CChannelAddress("10.0.0.1", 0, 9), sockets);
        ASSERT_TRUE(channel.Open(0));
        sockets.sendResults = {0};
        sockets.writeWaits = {SocketWait::TimedOut};
        EXPECT_FALSE(channel.Write("abcd", 4));
        // Opening again drops the failed connection at once; the new one starts afresh.
        ASSERT_TRUE(channel.Open(0));
        EXPECT_EQ(sockets.lingers, (Lingers{60, 0, 0}));
        EXPECT_TRUE(channel.Write("abcd", 4));
    }
    EXPECT_EQ(sockets.lingers, (Lingers{60, 0, 0, 60}));
}

TEST_F(TcpIpChannelTest, ReadRuleAndClosing) {
    {
        auto channel = Channel("10.0.0.1");
        char buffer[64];
        std::uint32_t size = sizeof buffer;
        EXPECT_FALSE(channel.Read(buffer, size));  // no socket, no peer
        ASSERT_TRUE(channel.Open(0));
        EXPECT_FALSE(channel.Read(nullptr, size));
        sockets.receives = {std::string("status"), std::string()};
        ASSERT_TRUE(channel.Read(buffer, size));
        EXPECT_EQ(std::string(buffer, size), "status");
        size = 5;
        ASSERT_TRUE(channel.Read(buffer, size));  // the printer closed
        EXPECT_EQ(size, 0u);
        EXPECT_EQ(sockets.receiveSizes, (std::vector<int>{64, 5}));

        sockets.readWaits = {SocketWait::TimedOut};
        EXPECT_FALSE(channel.Read(buffer, size));
        EXPECT_EQ(channel.GetLastErrorCode(), 10060u);
        sockets.socketError = 10054;
        sockets.receives = {std::nullopt};
        EXPECT_FALSE(channel.Read(buffer, size));
        EXPECT_EQ(channel.GetLastErrorCode(), 10054u);
        EXPECT_TRUE(sockets.closed.empty());
    }
    EXPECT_EQ(sockets.closed, std::vector<platform::SocketHandle>{sockets.kSocket + 1});
    { Channel("10.0.0.1"); }  // never opened, nothing to close
    EXPECT_EQ(sockets.closed.size(), 1u);
}

// The limit is kept in whole seconds and handed to the waits in milliseconds; below one
// second the wait only looks.
TEST_F(TcpIpChannelTest, TimeLimitReachesBothWaitsInWholeSeconds) {
    struct Case {
        std::uint32_t limit, waited;
    };
    const Case cases[] = {{0, 0},       {999, 0},       {1000, 1000},
                          {2500, 2000}, {60999, 60000}, {0xFFFFFFFFu, 4294967000u}};
    auto channel = Channel("10.0.0.1");
    ASSERT_TRUE(channel.Open(0));
    for (const Case& c : cases) {
        sockets.writeWaitMilliseconds.clear();
        sockets.readWaitMilliseconds.clear();
        sockets.sendResults = {0};  // no room at first, so the write waits
        sockets.receives = {std::string("x")};
        ASSERT_TRUE(channel.SetTimeout(c.limit));
        ASSERT_TRUE(channel.Write("a", 1));
        char buffer[4];
        std::uint32_t size = sizeof buffer;
        ASSERT_TRUE(channel.Read(buffer, size));
        EXPECT_EQ(sockets.writeWaitMilliseconds, std::vector<std::uint32_t>{c.waited}) << c.limit;
        EXPECT_EQ(sockets.readWaitMilliseconds, std::vector<std::uint32_t>{c.waited}) << c.limit;
    }
}

}  // namespace
