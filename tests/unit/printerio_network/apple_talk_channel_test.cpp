#include "printerio/apple_talk_channel.h"

#include <gtest/gtest.h>

#include <string>

#include "support/fake_socket_system.h"

namespace {

using platform::NameLookup;

class AppleTalkChannelTest : public ::testing::Test {
protected:
    fake::SocketSystem sockets;

    CAppleTalkChannel Channel(const char* object = "Big Plot") {
        CChannelAddress address(object, 3, 9);
        address.SetZone("Floor 2");
        return CAppleTalkChannel(address, sockets);
    }
};

TEST_F(AppleTalkChannelTest, LooksUpTheLaserWriterInTheZoneAndConnectsToIt) {
    auto channel = Channel();
    ASSERT_TRUE(channel.Open(0));
    EXPECT_EQ(sockets.created.at(0), platform::SocketType::ReliableDelivery);
    EXPECT_EQ(sockets.protocols.at(0), platform::SocketProtocol::PrinterAccess);
    const platform::SocketAddress& local = sockets.bound.at(0);
    EXPECT_EQ(local.length, 6u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(local.bytes) + 2, 4), std::string(4, '\0'));
    EXPECT_EQ(sockets.lookups, std::vector<std::string>{"Big Plot|LaserWriter|Floor 2"});
    const platform::SocketAddress& peer = sockets.connected.at(0);
    std::uint16_t family = 0, network = 0;
    std::memcpy(&family, peer.bytes, 2);
    std::memcpy(&network, peer.bytes + 2, 2);
    EXPECT_EQ(family, platform::SocketFamilyCode(platform::SocketFamily::AppleTalk));
    EXPECT_EQ(network, 0x1234);
    EXPECT_EQ(peer.bytes[4], 7);
    EXPECT_EQ(peer.bytes[5], 129);
    EXPECT_EQ(peer.length, 6u);

    sockets.sendResults = {0};  // no room at first, so the write waits
    ASSERT_TRUE(channel.Write("job", 3));
    char buffer[8];
    std::uint32_t size = sizeof buffer;
    sockets.receives = {std::string("ok")};
    ASSERT_TRUE(channel.Read(buffer, size));
    EXPECT_EQ(sockets.writeWaitMilliseconds, std::vector<std::uint32_t>{60000});
    EXPECT_EQ(sockets.readWaitMilliseconds, std::vector<std::uint32_t>{10000});
    // A failed receive keeps the earlier error; a failed wait records the socket's.
    sockets.socketError = 10054;
    sockets.receives = {std::nullopt};
    EXPECT_FALSE(channel.Read(buffer, size));
    EXPECT_EQ(channel.GetLastErrorCode(), 0u);
    sockets.readWaits = {platform::SocketWait::Failed};
    EXPECT_FALSE(channel.Read(buffer, size));
    EXPECT_EQ(channel.GetLastErrorCode(), 10054u);
}

TEST_F(AppleTalkChannelTest, OpenFailures) {
    sockets.lookup = NameLookup::NotFound;
    auto absent = Channel();
    EXPECT_FALSE(absent.Open(0));
    // The socket is there but the peer is not: nothing is read.
    char buffer[4];
    std::uint32_t size = sizeof buffer;
    EXPECT_FALSE(absent.Read(buffer, size));
    EXPECT_TRUE(sockets.readWaitMilliseconds.empty());

    sockets.lookup = NameLookup::Failed;
    sockets.socketError = 10022;
    auto failed = Channel();
    EXPECT_FALSE(failed.Open(0));
    EXPECT_EQ(failed.GetLastErrorCode(), 10022u);
    EXPECT_TRUE(sockets.connected.empty());

    sockets.lookup = NameLookup::Found;
    EXPECT_FALSE(Channel(std::string(33, 'n').c_str()).Open(0));
    EXPECT_EQ(sockets.lookups.size(), 2u);
    EXPECT_FALSE(Channel().Open(1));
    EXPECT_EQ(sockets.created.size(), 3u);
    sockets.creates = false;
    sockets.socketError = 10047;
    auto noFamily = Channel();
    EXPECT_FALSE(noFamily.Open(0));
    EXPECT_EQ(noFamily.GetLastErrorCode(), 10047u);
    EXPECT_EQ(sockets.bound.size(), 3u);
}

}  // namespace
