// The selector's operating-system classes, its device path lookup and its network form,
// with the log lines each writes.

#include "printerio/selector_port_lookup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "discovery_registry.h"

namespace discovery {
namespace {

using Lines = std::vector<std::string>;

TEST(SelectorOsTest, TellsTheSystemsApartByPlatformAndVersion) {
    struct OsCase {
        bool known;
        platform::OsVersion version;
        int expected;
    };
    const std::vector<OsCase> cases = {
        {false, {2, 5, 1}, 0}, {true, {1, 4, 0}, 1},  {true, {1, 4, 10}, 3}, {true, {1, 4, 90}, 4},
        {true, {1, 4, 5}, 0},  {true, {2, 3, 51}, 5}, {true, {2, 4, 0}, 6},  {true, {2, 5, 0}, 7},
        {true, {2, 5, 1}, 8},  {true, {2, 5, 2}, 9},  {true, {2, 5, 3}, 0},  {true, {2, 6, 1}, 0},
        {true, {0, 3, 10}, 0},
    };
    for (const OsCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.version.platformId) + " " + std::to_string(c.version.major) +
                     "." + std::to_string(c.version.minor) + (c.known ? "" : " unknown"));
        EXPECT_EQ(static_cast<int>(SelectorOsOf(c.known, c.version)), c.expected);
    }
}

const std::string kText = "SN42";

std::vector<Row> ActiveInterface(const std::string& instance, std::uint32_t linked,
                                 bool withControl, const std::string& link) {
    const std::string at = Instance(kUsbClass, instance) + "\\#";
    std::vector<Row> rows = {Text(at, "SymbolicLink", link)};
    if (withControl) rows.push_back(Number(at + "\\Control", "Linked", linked));
    return rows;
}

std::vector<Row> Registry2000() {
    std::vector<Row> rows;
    for (const auto& part : {ActiveInterface("a", 0, true, "\\\\?\\usb#sn42#not-linked"),
                             ActiveInterface("b", 1, false, "\\\\?\\usb#sn42#no-control"),
                             ActiveInterface("c", 1, true, "\\\\?\\usb#sn77#other"),
                             ActiveInterface("d", 1, true, "\\\\?\\usb#vid_0b2f#SN42#taken"),
                             ActiveInterface("e", 1, true, "\\\\?\\usb#vid_0b2f#SN42#later")}) {
        rows.insert(rows.end(), part.begin(), part.end());
    }
    return rows;
}

std::vector<Row> Registry98() {
    return {Text(Instance(kMakerThird, "0000"), "DeviceInstance", "USB\\VID_0B2F\\SN42"),
            Text(Instance(kMakerThird, "0000") + "\\#", "SymbolicLink", "\\\\?\\third"),
            Text(Instance(kMakerSecond, "0000"), "DeviceInstance", "USB\\VID_0B2F\\SN77"),
            Text(Instance(kMakerSecond, "0000") + "\\#", "SymbolicLink", "\\\\?\\second"),
            Text(Instance(kMakerFirst, "0000"), "DeviceInstance", "USB\\VID_0B2F\\SN42"),
            Text(Instance(kMakerFirst, "0000") + "\\#", "SymbolicLink", "\\\\?\\first")};
}

struct PathCase {
    const char* name;
    SelectorOs os;
    std::vector<Row> registry;
    bool found;
    std::string path;
    Lines log;
};

TEST(FindDevicePathOfTest, LooksWhereEachSystemKeepsItsInterfaces) {
    std::vector<Row> both = Registry2000();
    const std::vector<Row> old = Registry98();
    both.insert(both.end(), old.begin(), old.end());
    const Lines noClass = {"Could not open the Device Classes registry key"};
    const std::vector<PathCase> cases = {
        {"Windows 98: a later class replaces an earlier match",
         SelectorOs::Windows98,
         both,
         true,
         "\\\\?\\first",
         {}},
        {"Windows Me", SelectorOs::WindowsMe, old, true, "\\\\?\\first", {}},
        {"Windows 98 without the maker's classes",
         SelectorOs::Windows98,
         Registry2000(),
         false,
         "",
         {}},
        {"Windows 95 looks nowhere", SelectorOs::Windows95, both, false, "", {}},
        {"Windows 2000: the first linked interface that matches",
         SelectorOs::Windows2000,
         both,
         true,
         "\\\\?\\usb#vid_0b2f#SN42#taken",
         {}},
        {"Windows XP",
         SelectorOs::WindowsXp,
         Registry2000(),
         true,
         "\\\\?\\usb#vid_0b2f#SN42#taken",
         {}},
        {"Server 2003",
         SelectorOs::Server2003,
         Registry2000(),
         true,
         "\\\\?\\usb#vid_0b2f#SN42#taken",
         {}},
        {"XP without the class key", SelectorOs::WindowsXp, old, false, "", noClass},
        {"NT 4 looks nowhere", SelectorOs::Nt4, both, false, "", {}},
        {"other systems look nowhere", SelectorOs::Other, both, false, "", {}},
    };
    for (const PathCase& c : cases) {
        SCOPED_TRACE(c.name);
        Registry registry;
        registry.Write(c.registry);
        std::string path = "untouched";
        Lines log;
        EXPECT_EQ(FindDevicePathOf(kText, c.os, &path,
                                   [&](const std::string& line) { log.push_back(line); }),
                  c.found);
        EXPECT_EQ(path, c.found ? c.path : "untouched");
        EXPECT_EQ(log, c.log);
    }
}

struct NetworkCase {
    const char* name;
    std::vector<Row> registry;
    int found;
    std::string address;
    Lines log;
};

TEST(FindNetworkAddressOfPortTest, ReadsTheMonitorsAndLogsWhatWasMissing) {
    const char* const kId = "OrvikNetworkPrinterID";
    const std::string a = Monitor("0 A", "NET_1");
    const std::string b = Monitor("0 B", "NET_1");
    const std::string unable = "Unable to detect registry information of Printer.";
    const std::string failed = "Accessing Host Name from the registry has failed";
    const std::string empty = "No Host Name is obtained for this particular printer";
    const std::vector<NetworkCase> cases = {
        {"network ID up to the next comma", {Text(a, kId, "TCPIP,10.0.0.5,x")}, 1, "10.0.0.5", {}},
        {"IP address", {Text(a, "IPAddress", "10.0.0.6")}, 1, "10.0.0.6", {}},
        {"empty IP address: host name",
         {Text(a, "IPAddress", ""), Text(a, "HostName", "plotter")},
         1,
         "plotter",
         {}},
        {"no host name: the next monitor",
         {Text(a, "IPAddress", ""), Text(b, "IPAddress", "10.0.0.7")},
         1,
         "10.0.0.7",
         {failed}},
        {"empty host name: the next monitor",
         {Text(a, "IPAddress", ""), Text(a, "HostName", ""), Text(b, "IPAddress", "10.0.0.8")},
         1,
         "10.0.0.8",
         {empty}},
        {"empty host names everywhere",
         {Text(a, "IPAddress", ""), Text(a, "HostName", ""), Text(b, "IPAddress", "")},
         0,
         "",
         {empty, failed}},
        {"no IP address: the next monitor",
         {Key(a), Text(b, "IPAddress", "10.0.0.9")},
         1,
         "10.0.0.9",
         {}},
        {"no monitor has the port",
         {Text(Monitor("0 A", "NET_2"), "IPAddress", "10.0.0.5")},
         0,
         "",
         {unable}},
    };
    for (const NetworkCase& c : cases) {
        SCOPED_TRACE(c.name);
        Registry registry;
        registry.Write(c.registry);
        std::string address;
        Lines log;
        EXPECT_EQ(FindNetworkAddressOfPort("NET_1", &address,
                                           [&](const std::string& line) { log.push_back(line); }),
                  c.found);
        if (c.found == 1) {
            EXPECT_EQ(address, c.address);
        }
        EXPECT_EQ(log, c.log);
    }
}

TEST(FindNetworkAddressOfPortTest, ASelectorWithoutLogStillLooksUp) {
    Registry registry;
    registry.Write({Text(Monitor("0 A", "NET_1"), "IPAddress", ""),
                    Text(Monitor("0 B", "NET_1"), "IPAddress", "10.0.0.3")});
    std::string address;
    EXPECT_EQ(FindNetworkAddressOfPort("NET_1", &address, PortDiscoveryLog()), 1);
    EXPECT_EQ(address, "10.0.0.3");
    EXPECT_EQ(FindNetworkAddressOfPort("NET_2", &address, PortDiscoveryLog()), 0);
}

TEST(FindNetworkAddressOfPortTest, WithoutAMonitorsKeyNothingIsFound) {
    Registry registry;
    if (registry.IsReal()) GTEST_SKIP() << "the system's own monitors key cannot be taken away";
    std::string address;
    Lines log;
    EXPECT_EQ(FindNetworkAddressOfPort("NET_1", &address,
                                       [&](const std::string& line) { log.push_back(line); }),
              0);
    EXPECT_EQ(log, Lines{"Unable to detect registry information of Printer."});
}

}  // namespace
}  // namespace discovery
