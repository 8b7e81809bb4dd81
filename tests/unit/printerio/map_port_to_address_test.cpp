// MapPortToAddress over the registry and a USB port table, in the order of its steps.

#include "printerio/map_port_to_address.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "discovery_registry.h"
#include "fake_setup_library.h"

namespace discovery {
namespace {

const char* const kNetvara = "Orvik Netvara Port";
const char* const kStandardTcpIp = "Orvik Standard TCP/IP Port";
const char* const kStandardIpx = "Orvik Standard IPX/SPX Port";
const char* const kAppleTalk = "AppleTalk Printing Devices";
const char* const kTestPort = "Orvik Test Port";
const char* const kId = "OrvikNetworkPrinterID";
const std::int32_t kNotMapped = -1;

struct MapCase {
    const char* name;
    const char* port;
    std::vector<Row> registry;
    std::int32_t kind;  // kNotMapped: false and the address untouched
    std::string address;
    std::string zone;
};

TEST(MapPortToAddressTest, EachStepInItsOrder) {
    const std::string usbKey = std::string(kInterfaceKeys) + "\\Usb3";
    const std::vector<MapCase> cases = {
        {"a parallel port keeps its colon", "LPT2:", {}, 4, "LPT2:", ""},
        {"any name beginning with LPT is parallel",
         "LPTX",
         {Text(Monitor(kTestPort, "LPTX"), kId, "1.1.1.1")},
         4,
         "LPTX",
         ""},
        {"lpt in lower case is not parallel", "lpt1:", {}, kNotMapped, "", ""},
        {"Netvara TCPIP gives the rest",
         "NV1",
         {Text(Monitor(kNetvara, "NV1"), kId, "TCPIP,192.168.0.5")},
         0,
         "192.168.0.5",
         ""},
        {"Netvara keeps a comma after the address and takes any case",
         "NV1",
         {Text(Monitor(kNetvara, "NV1"), kId, "tcpip,192.168.0.5,x")},
         0,
         "192.168.0.5,x",
         ""},
        {"Netvara IPX",
         "NV2",
         {Text(Monitor(kNetvara, "NV2"), kId, "Ipx,0000abcd.00a0c9123456")},
         1,
         "0000abcd.00a0c9123456",
         ""},
        {"Netvara of another transport skips to the test port",
         "NV3",
         {Text(Monitor(kNetvara, "NV3"), kId, "DLC,1234"),
          Text(Monitor(kStandardTcpIp, "NV3"), "HostName", "skipped"),
          Text(Monitor(kAppleTalk, "NV3"), "Port Name", "skipped"),
          Text(Monitor(kAppleTalk, "NV3"), "Zone Name", "z"),
          Text(Monitor(kTestPort, "NV3"), kId, "DLC,1234 as is")},
         0,
         "DLC,1234 as is",
         ""},
        {"Netvara of another transport without a test port is not mapped",
         "NV4",
         {Text(Monitor(kNetvara, "NV4"), kId, "DLC,1234"),
          Text(Monitor(kStandardTcpIp, "NV4"), "HostName", "skipped")},
         kNotMapped,
         "",
         ""},
        {"a Netvara port without its ID goes on",
         "NV5",
         {Key(Monitor(kNetvara, "NV5")),
          Text(Monitor(kStandardTcpIp, "NV5"), "HostName", "plotter.local")},
         0,
         "plotter.local",
         ""},
        {"standard TCP/IP prefers the host name",
         "IP_1",
         {Text(Monitor(kStandardTcpIp, "IP_1"), "HostName", "plotter.local"),
          Text(Monitor(kStandardTcpIp, "IP_1"), "IPAddress", "10.1.2.3")},
         0,
         "plotter.local",
         ""},
        {"standard TCP/IP with an empty host name uses the IP address",
         "IP_2",
         {Text(Monitor(kStandardTcpIp, "IP_2"), "HostName", ""),
          Text(Monitor(kStandardTcpIp, "IP_2"), "IPAddress", "10.1.2.3")},
         0,
         "10.1.2.3",
         ""},
        {"standard TCP/IP without a host name uses the IP address",
         "IP_3",
         {Text(Monitor(kStandardTcpIp, "IP_3"), "IPAddress", "10.1.2.4")},
         0,
         "10.1.2.4",
         ""},
        {"standard TCP/IP comes before the USB ports",
         "USB003",
         {Text(Monitor(kStandardTcpIp, "USB003"), "HostName", "from-tcp"),
          Number(usbKey, "Port Number", 3)},
         0,
         "from-tcp",
         ""},
        {"a USB port of the table gives its device path",
         "USB003",
         {Number(usbKey, "Port Number", 3)},
         6,
         "\\\\?\\usb#vid_1#3",
         ""},
        {"a USB port name compares exactly",
         "usb003",
         {Number(usbKey, "Port Number", 3)},
         kNotMapped,
         "",
         ""},
        {"IPX/SPX joins network number and node",
         "IPX_1",
         {Text(Monitor(kStandardIpx, "IPX_1"), "NetNum", "0000ABCD"),
          Text(Monitor(kStandardIpx, "IPX_1"), "HWAddress", "00A0C9123456")},
         1,
         "0000ABCD.00A0C9123456",
         ""},
        {"IPX/SPX needs the node",
         "IPX_2",
         {Text(Monitor(kStandardIpx, "IPX_2"), "NetNum", "0000ABCD")},
         kNotMapped,
         "",
         ""},
        {"IPX/SPX network number is read into 32 bytes",
         "IPX_3",
         {Text(Monitor(kStandardIpx, "IPX_3"), "NetNum", std::string(32, '1')),
          Text(Monitor(kStandardIpx, "IPX_3"), "HWAddress", "00A0C9123456")},
         kNotMapped,
         "",
         ""},
        {"AppleTalk gives the object name and the zone",
         "AT_1",
         {Text(Monitor(kAppleTalk, "AT_1"), "Port Name", "Plotter"),
          Text(Monitor(kAppleTalk, "AT_1"), "Zone Name", "Design Floor")},
         3,
         "Plotter",
         "Design Floor"},
        {"AppleTalk needs the zone",
         "AT_2",
         {Text(Monitor(kAppleTalk, "AT_2"), "Port Name", "Plotter")},
         kNotMapped,
         "",
         ""},
        {"the test port's ID is taken whole",
         "TP_1",
         {Text(Monitor(kTestPort, "TP_1"), kId, "TCPIP,10.0.0.7")},
         0,
         "TCPIP,10.0.0.7",
         ""},
        {"a value of 255 bytes reads",
         "TP_2",
         {Text(Monitor(kTestPort, "TP_2"), kId, std::string(255, 'h'))},
         0,
         std::string(255, 'h'),
         ""},
        {"a value of 256 bytes does not fit",
         "TP_3",
         {Text(Monitor(kTestPort, "TP_3"), kId, std::string(256, 'h'))},
         kNotMapped,
         "",
         ""},
        {"a port no monitor knows",
         "Nowhere",
         {Key(Monitor(kTestPort, "Other"))},
         kNotMapped,
         "",
         ""},
    };
    for (const MapCase& c : cases) {
        SCOPED_TRACE(c.name);
        Registry registry;
        registry.Write(c.registry);
        FakeSetup setup;
        setup.present = {{kUsbClass, {{"\\\\?\\usb#vid_1#3", usbKey}}}};
        UsbPortTable usbPorts;
        usbPorts.Build(setup.Loader());

        CChannelAddress address("untouched", 99, 9);
        address.SetZone("untouched zone");
        const bool mapped = MapPortToAddress(c.port, usbPorts, &address);
        if (c.kind == kNotMapped) {
            EXPECT_FALSE(mapped);
            EXPECT_STREQ(address.GetAddress(), "untouched");
            EXPECT_EQ(address.GetKind(), 99);
            continue;
        }
        ASSERT_TRUE(mapped);
        EXPECT_EQ(address.GetKind(), c.kind);
        EXPECT_EQ(address.GetAddress(), c.address);
        EXPECT_EQ(address.GetZone(), c.zone.empty() ? "untouched zone" : c.zone);
        EXPECT_EQ(address.GetMode(), 9);
    }
}

}  // namespace
}  // namespace discovery
