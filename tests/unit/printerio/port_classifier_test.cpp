// CPortClassifier: every branch over the registry and a substitute setup library, on the
// systems it tells apart.

#include "printerio/port_classifier.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "discovery_registry.h"
#include "fake_setup_library.h"

namespace discovery {
namespace {

struct Os {
    bool known;
    platform::OsVersion version;
};
const Os kWindows98{true, {1, 4, 10}};
const Os kXp{true, {2, 5, 1}};
const Os kServer2003{true, {2, 5, 2}};
const Os kNt4{true, {2, 4, 0}};
const Os kVista{true, {2, 6, 0}};
const Os kUnknown{false, {}};

const std::string kLinkSecond = "\\\\?\\usb#vid_0b2f&pid_0101#sn42#second";
const std::string kLinkFirst = "\\\\?\\usb#vid_0b2f&pid_0101#sn42#first";

/// The maker's classes as a 9x system leaves them for a printer with serial number SN42.
std::vector<Row> MakerClassesWithSn42() {
    return {Text(Instance(kMakerThird, "0000"), "DeviceInstance", "USB\\VID_0B2F&PID_0101\\SN77"),
            Text(Instance(kMakerThird, "0000") + "\\#", "SymbolicLink", "\\\\?\\third-sn77"),
            Text(Instance(kMakerThird, "0001"), "DeviceInstance", "USB\\VID_0B2F&PID_0101\\SN42"),
            Text(Instance(kMakerSecond, "0000"), "DeviceInstance", "USB\\VID_0B2F&PID_0101\\SN42"),
            Text(Instance(kMakerSecond, "0000") + "\\#", "SymbolicLink", kLinkSecond),
            Text(Instance(kMakerFirst, "0000"), "DeviceInstance", "USB\\VID_0B2F&PID_0101\\SN42"),
            Text(Instance(kMakerFirst, "0000") + "\\#", "SymbolicLink", kLinkFirst)};
}

/// An interface of the USB printing class as Windows 2000 and XP enter it.
std::vector<Row> UsbInterface(const std::string& instance, const char* baseName, std::uint32_t port,
                              const std::string& link) {
    const std::string at = Instance(kUsbClass, instance) + "\\#";
    return {Text(at + "\\Device Parameters", "Base Name", baseName),
            Number(at + "\\Device Parameters", "Port Number", port),
            Text(at, "SymbolicLink", link)};
}

std::vector<Row> Join(std::vector<std::vector<Row>> parts) {
    std::vector<Row> all;
    for (auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

struct ClassifyCase {
    const char* name;
    Os os;
    const char* port;
    std::vector<Row> registry;
    std::vector<FakeInterface> present;  // of the USB printing class
    std::int32_t expected;
    std::string address;
};

const char* const kId = "OrvikNetworkPrinterID";

std::vector<ClassifyCase> Cases() {
    const std::vector<Row> numbered =
        Join({UsbInterface("##?#USB#a", "USB", 3, "\\\\?\\usb#lower-case-fails"),
              UsbInterface("##?#USB#b", "USB", 3, "\\\\?\\USB#VID_0B2F#3"),
              UsbInterface("##?#SBP2#c", "USB", 2, "\\\\?\\SBP2#not-a-1394-base-name"),
              UsbInterface("##?#SBP2#d", "1394_", 2, "\\\\?\\USB#wrong-bus"),
              UsbInterface("##?#SBP2#e", "1394_", 2, "\\\\?\\SBP2#VENDOR#2")});
    const std::vector<FakeInterface> present = {{"\\\\?\\USB#upper-case-fails", ""},
                                                {"\\\\?\\sbp2#vendor&model#1", ""},
                                                {"\\\\?\\usb#vid_0b2f&pid_0101#sn42", ""}};
    return {
        {"9x product port: the third class has no link, the second is taken",
         kWindows98,
         "USB/Plotara 530/SN42",
         MakerClassesWithSn42(),
         {},
         5,
         kLinkSecond},
        {"9x product port with an empty product",
         kWindows98,
         "USB//SN42",
         MakerClassesWithSn42(),
         {},
         0,
         ""},
        {"9x product port with an empty serial number",
         kWindows98,
         "USB/Plotara 530/",
         MakerClassesWithSn42(),
         {},
         0,
         ""},
        {"9x product port without a serial number",
         kWindows98,
         "USB/Plotara 530",
         MakerClassesWithSn42(),
         {},
         0,
         ""},
        {"9x product port of an unknown serial number",
         kWindows98,
         "USB/Plotara 530/SN99",
         MakerClassesWithSn42(),
         {},
         0,
         ""},
        {"a product port elsewhere has no number",
         kXp,
         "USB/Plotara 530/SN42",
         MakerClassesWithSn42(),
         {},
         0,
         ""},
        {"XP USB port by port number; the link must hold USB in capitals",
         kXp,
         "USB003",
         numbered,
         {},
         5,
         "\\\\?\\USB#VID_0B2F#3"},
        {"Server 2003 1394 port: base name and SBP2 link",
         kServer2003,
         "1394_002",
         numbered,
         {},
         4,
         "\\\\?\\SBP2#VENDOR#2"},
        {"a port number no interface has", kXp, "USB004", numbered, {}, 0, ""},
        {"numbered ports only on NT 5: NT 4", kNt4, "USB003", numbered, {}, 0, ""},
        {"numbered ports only on NT 5: Vista", kVista, "USB003", numbered, {}, 0, ""},
        {"numbered ports only on NT 5: 9x", kWindows98, "USB003", numbered, {}, 0, ""},
        {"numbered ports only on NT 5: unknown", kUnknown, "USB003", numbered, {}, 0, ""},
        {"USB000: the first present usb path, shortened",
         kNt4,
         "USB000",
         {},
         present,
         5,
         "usb#vid_0b2f&pid_0101#sn42"},
        {"1394_000: the first present sbp2 path",
         kVista,
         "1394_000",
         {},
         present,
         4,
         "sbp2#vendor&model#1"},
        {"USB0 with no usb path in lower case", kXp, "USB0", {}, {present[0]}, 0, ""},
        {"USB0 with no interface", kXp, "USB0", {}, {}, 0, ""},
        {"LPT1:", kXp, "LPT1:", {}, {}, 2, "LPT1:"},
        {"LPT3:", kUnknown, "LPT3:", {}, {}, 2, "LPT3:"},
        {"COM4:", kXp, "COM4:", {}, {}, 3, "COM4:"},
        {"FILE:", kXp, "FILE:", {}, {}, 1, "FILE:"},
        {"LPT4: is looked for among the monitors",
         kXp,
         "LPT4:",
         {Text(Monitor("0 Monitor", "LPT4:"), "IPAddress", "10.0.0.4")},
         {},
         6,
         "10.0.0.4"},
        {"file: is looked for among the monitors", kXp, "file:", {}, {}, 0, ""},
        {"COM5: is not serial", kXp, "COM5:", {}, {}, 0, ""},
        {"network ID: the address ends at the next comma",
         kXp,
         "NV1",
         {Text(Monitor("0 Netvara", "NV1"), kId, "TCPIP,192.168.0.5,x")},
         {},
         6,
         "192.168.0.5"},
        {"network ID in lower case is no TCPIP ID",
         kXp,
         "NV1",
         {Text(Monitor("0 Netvara", "NV1"), kId, "tcpip,192.168.0.5"),
          Text(Monitor("0 Netvara", "NV1"), "IPAddress", "10.9.9.9")},
         {},
         6,
         "10.9.9.9"},
        {"IP address",
         kXp,
         "IP_1",
         {Text(Monitor("0 Standard", "IP_1"), "IPAddress", "10.1.2.3")},
         {},
         6,
         "10.1.2.3"},
        {"empty IP address: the host name",
         kXp,
         "IP_1",
         {Text(Monitor("0 Standard", "IP_1"), "IPAddress", ""),
          Text(Monitor("0 Standard", "IP_1"), "HostName", "plotter.local")},
         {},
         6,
         "plotter.local"},
        {"empty IP address and empty host name end the search",
         kXp,
         "IP_1",
         {Text(Monitor("0 A", "IP_1"), "IPAddress", ""),
          Text(Monitor("0 A", "IP_1"), "HostName", ""),
          Text(Monitor("0 B", "IP_1"), "IPAddress", "10.1.2.3")},
         {},
         0,
         ""},
        {"empty IP address and no host name end the search",
         kXp,
         "IP_1",
         {Text(Monitor("0 A", "IP_1"), "IPAddress", ""),
          Text(Monitor("0 B", "IP_1"), "IPAddress", "10.1.2.3")},
         {},
         0,
         ""},
        {"no IP address: the next monitor",
         kXp,
         "IP_1",
         {Text(Monitor("0 A", "IP_1"), "HostName", "ignored"),
          Text(Monitor("0 B", "IP_1"), "IPAddress", "10.1.2.3")},
         {},
         6,
         "10.1.2.3"},
        {"port names compare exactly",
         kXp,
         "ip_1",
         {Text(Monitor("0 A", "IP_1"), "IPAddress", "10.1.2.3")},
         {},
         0,
         ""},
    };
}

CPortClassifier::System SystemOf(const Os& os, FakeSetup& setup) {
    return {os.known, os.version, setup.Loader()};
}

TEST(PortClassifierTest, ClassifiesEveryKindOfPortOnTheSystemsItTellsApart) {
    for (const ClassifyCase& c : Cases()) {
        SCOPED_TRACE(std::string(c.name) + " (" + c.port + ")");
        Registry registry;
        registry.Write(c.registry);
        FakeSetup setup;
        setup.present = {{kUsbClass, c.present}};
        CPortClassifier classifier(SystemOf(c.os, setup));
        char address[CPortClassifier::kAddressSize];
        std::memset(address, 'x', sizeof address);
        EXPECT_EQ(classifier.Classify(c.port, address), c.expected);
        EXPECT_EQ(std::string(address), c.address);
    }
}

TEST(PortClassifierTest, LoadsTheSetupLibraryOnFirstUseAndKeepsIt) {
    Registry registry;
    FakeSetup setup;
    setup.present = {{kUsbClass, {{"\\\\?\\usb#one", ""}}}};
    char address[CPortClassifier::kAddressSize];
    {
        CPortClassifier classifier(SystemOf(kXp, setup));
        classifier.Classify("LPT1:", address);
        EXPECT_EQ(setup.loads, 0);
        EXPECT_EQ(classifier.Classify("USB000", address), CPortClassifier::kUsb);
        EXPECT_EQ(classifier.Classify("1394_000", address), CPortClassifier::kNotMapped);
        EXPECT_EQ(classifier.Classify("USB000", address), CPortClassifier::kUsb);
        EXPECT_EQ(setup.loads, 1);
        EXPECT_EQ(setup.releases, 0);
    }
    EXPECT_EQ(setup.releases, 1);

    setup.missing = true;
    CPortClassifier withoutLibrary(SystemOf(kXp, setup));
    EXPECT_EQ(withoutLibrary.Classify("USB000", address), CPortClassifier::kNotMapped);
    EXPECT_STREQ(address, "");
}

TEST(PortClassifierTest, AnAddressIsCutTo259Bytes) {
    Registry registry;
    const std::string longHost(255, 'h');  // the longest text a read takes
    registry.Write({Text(Monitor("0 A", "IP_1"), "IPAddress", ""),
                    Text(Monitor("0 A", "IP_1"), "HostName", longHost)});
    FakeSetup setup;
    setup.present = {{kUsbClass, {{"\\\\?\\usb#" + std::string(300, 'u'), ""}}}};
    CPortClassifier classifier(SystemOf(kXp, setup));
    char address[CPortClassifier::kAddressSize + 1];
    address[CPortClassifier::kAddressSize] = '!';
    EXPECT_EQ(classifier.Classify("IP_1", address), CPortClassifier::kNetwork);
    EXPECT_EQ(std::string(address), longHost);
    EXPECT_EQ(classifier.Classify("USB000", address), CPortClassifier::kUsb);
    EXPECT_EQ(std::string(address), "usb#" + std::string(255, 'u'));
    EXPECT_EQ(address[CPortClassifier::kAddressSize], '!') << "nothing written past 260 bytes";
}

TEST(PortClassifierTest, WithoutAMonitorsKeyANetworkPortIsNotMapped) {
    Registry registry;
    if (registry.IsReal()) GTEST_SKIP() << "the system's own monitors key cannot be taken away";
    FakeSetup setup;
    CPortClassifier classifier(SystemOf(kXp, setup));
    char address[CPortClassifier::kAddressSize];
    EXPECT_EQ(classifier.Classify("IP_1", address), CPortClassifier::kNotMapped);
}

std::string Numbered(const char* prefix, int n) {
    char name[32];
    std::snprintf(name, sizeof name, "%s%04d", prefix, n);
    return name;
}

/// 1001 keys named so that the registry's own order (Wine sorts by name, before any
/// letter; the POSIX store keeps the order written) puts the last one at index 1000.
struct LimitCase {
    const char* name;
    std::vector<Row> (*rows)(int at);
    const char* port;
};

TEST(PortClassifierTest, OnlyTheFirstThousandInstancesMonitorsAndPortsAreLookedAt) {
    const std::vector<LimitCase> cases = {
        {"instances of the USB printing class",
         [](int at) {
             std::vector<Row> rows;
             for (int n = 0; n <= 1000; ++n)
                 rows.push_back(Key(Instance(kUsbClass, Numbered("0#", n))));
             const std::vector<Row> target =
                 UsbInterface(Numbered("0#", at), "USB", 5, "\\\\?\\USB#5");
             rows.insert(rows.end(), target.begin(), target.end());
             return rows;
         },
         "USB005"},
        {"monitors",
         [](int at) {
             std::vector<Row> rows;
             for (int n = 0; n <= 1000; ++n)
                 rows.push_back(Key(std::string(kMonitors) + "\\" + Numbered("0 M", n)));
             rows.push_back(Text(Monitor(Numbered("0 M", at), "IP_9"), "IPAddress", "10.0.0.9"));
             return rows;
         },
         "IP_9"},
        {"ports of a monitor",
         [](int at) {
             std::vector<Row> rows;
             for (int n = 0; n <= 1000; ++n)
                 rows.push_back(Key(Monitor("0 M", Numbered("IP_", n))));
             rows.push_back(Text(Monitor("0 M", Numbered("IP_", at)), "IPAddress", "10.0.0.9"));
             return rows;
         },
         nullptr},
    };
    for (const LimitCase& c : cases) {
        for (const int at : {999, 1000}) {
            SCOPED_TRACE(std::string(c.name) + " at index " + std::to_string(at));
            Registry registry;
            registry.Write(c.rows(at));
            FakeSetup setup;
            CPortClassifier classifier(SystemOf(kXp, setup));
            char address[CPortClassifier::kAddressSize];
            const std::string port = c.port != nullptr ? c.port : Numbered("IP_", at);
            EXPECT_EQ(classifier.Classify(port.c_str(), address) != CPortClassifier::kNotMapped,
                      at == 999);
        }
    }
}

}  // namespace
}  // namespace discovery
