#include "printerio/create_channel.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "printerio/apple_talk_channel.h"
#include "printerio/file_channel.h"
#include "printerio/io_utils.h"
#include "printerio/ipx_channel.h"
#include "printerio/parallel_channel.h"
#include "printerio/tcp_ip_channel.h"
#include "printerio/win_usb_channel.h"

namespace {

TEST(ChannelAddressTest, TextsAreCutAt255CharactersAndNullIsEmpty) {
    const std::string longText(300, 'a');
    CChannelAddress address(longText.c_str(), 4, 9);
    EXPECT_EQ(std::string(address.GetAddress()), std::string(255, 'a'));
    EXPECT_STREQ(address.GetZone(), "");
    address.SetZone(longText.c_str());
    EXPECT_EQ(std::string(address.GetZone()), std::string(255, 'a'));
    address.SetAddress(std::string(255, 'b').c_str());
    EXPECT_EQ(std::string(address.GetAddress()), std::string(255, 'b'));

    CChannelAddress none(nullptr, 0, 9);
    EXPECT_STREQ(none.GetAddress(), "");
    address.SetAddress(nullptr);
    address.SetZone(nullptr);
    EXPECT_STREQ(address.GetAddress(), "");
    EXPECT_STREQ(address.GetZone(), "");
}

TEST(ChannelAddressTest, ACopyHoldsItsOwnTextsAndNumbers) {
    CChannelAddress original("Printer", 3, 9);
    original.SetZone("Zone A");
    CChannelAddress copy(original);
    original.SetAddress("Other");
    original.SetZone("Zone B");
    original.SetKind(0);
    original.SetMode(1);
    EXPECT_STREQ(copy.GetAddress(), "Printer");
    EXPECT_STREQ(copy.GetZone(), "Zone A");
    EXPECT_EQ(copy.GetKind(), 3);
    EXPECT_EQ(copy.GetMode(), 9);
    EXPECT_EQ(original.GetKind(), 0);
    EXPECT_EQ(original.GetMode(), 1);
}

TEST(CreateChannelTest, KindsWithoutAChannelGiveNone) {
    for (int kind : {2, 5, 7, 9, 10, -1}) {
        EXPECT_EQ(CreateChannel(CChannelAddress("LPT1:", kind, 9)), nullptr) << kind;
    }
}

struct KindCase {
    int kind;
    bool network;
    std::uint32_t chunk;
};

TEST(CreateChannelTest, EachKindGivesItsClassWithItsConstants) {
    const int osClass = CIOUtils::Instance().OsClass();
    const std::uint32_t usbChunk = osClass == 2 || osClass == 5 ? 65536 : 4096;
    const KindCase cases[] = {{0, true, 46720},  {1, true, 1024},      {3, true, 4096},
                              {4, false, 65536}, {6, false, usbChunk}, {8, false, 32768}};
    for (const KindCase& c : cases) {
        CChannelAddress address("unused-address", c.kind, 9);
        auto channel = CreateChannel(address);
        ASSERT_NE(channel, nullptr) << c.kind;
        EXPECT_EQ(channel->IsNetworkChannel(), c.network) << c.kind;
        EXPECT_EQ(channel->GetMaxChunkSize(), c.chunk) << c.kind;
        EXPECT_EQ(channel->GetSize(), 0u) << c.kind;
        EXPECT_TRUE(channel->SetTimeout(1000)) << c.kind;
        if (c.kind != 8) {
            EXPECT_FALSE(channel->DeleteTarget()) << c.kind;
            EXPECT_FALSE(channel->CreateTarget()) << c.kind;
        }
    }
    EXPECT_NE(dynamic_cast<CTcpIpChannel*>(CreateChannel({"a", 0, 9}).get()), nullptr);
    EXPECT_NE(dynamic_cast<CIpxChannel*>(CreateChannel({"a", 1, 9}).get()), nullptr);
    EXPECT_NE(dynamic_cast<CAppleTalkChannel*>(CreateChannel({"a", 3, 9}).get()), nullptr);
    EXPECT_NE(dynamic_cast<CParallelChannel*>(CreateChannel({"a", 4, 9}).get()), nullptr);
    EXPECT_NE(dynamic_cast<CWinUSBChannel*>(CreateChannel({"a", 6, 9}).get()), nullptr);
    EXPECT_NE(dynamic_cast<CFileChannel*>(CreateChannel({"a", 8, 9}).get()), nullptr);
}

TEST(CreateChannelTest, TheChannelKeepsItsOwnCopyOfTheAddress) {
    const std::string path = ::testing::TempDir() + "velkor_create_channel_copy.txt";
    std::ofstream(path) << "kept";
    auto address = std::make_unique<CChannelAddress>(path.c_str(), 8, 9);
    auto channel = CreateChannel(*address);
    address->SetAddress("elsewhere-that-does-not-exist");
    address.reset();
    ASSERT_NE(channel, nullptr);
    EXPECT_TRUE(channel->Open(0));
    EXPECT_EQ(channel->GetSize(), 4u);
    channel.reset();
    std::remove(path.c_str());
}

TEST(IOUtilsTest, TheOsClassComesFromTheVersionInformation) {
    struct Case {
        bool known;
        platform::OsVersion version;
        std::int32_t osClass;
    };
    const Case cases[] = {{false, {platform::kPlatformNt, 5, 1}, 0},
                          {true, {0, 3, 1}, 0},
                          {true, {platform::kPlatformWindows9x, 4, 0}, 2},
                          {true, {platform::kPlatformWindows9x, 4, 90}, 2},
                          {true, {platform::kPlatformNt, 4, 0}, 3},
                          {true, {platform::kPlatformNt, 6, 1}, 3},
                          {true, {platform::kPlatformNt, 10, 0}, 3},
                          {true, {platform::kPlatformNt, 5, 0}, 4},
                          {true, {platform::kPlatformNt, 5, 2}, 4},
                          {true, {platform::kPlatformNt, 5, 1}, 5}};
    for (const Case& c : cases) {
        EXPECT_EQ(CIOUtils::OsClassOf(c.known, c.version), c.osClass)
            << c.version.platformId << " " << c.version.major << "." << c.version.minor;
    }
    EXPECT_EQ(&CIOUtils::Instance(), &CIOUtils::Instance());
    EXPECT_EQ(CIOUtils::Instance().GetLastErrorCode(), 0u);
}

}  // namespace
