#include "printerio/usb_bus_printers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "support/scratch_folder.h"
#include "support/simulated_usb_bus.h"

static bool operator==(const UsbBusPrinter& a, const UsbBusPrinter& b) {
    return a.product == b.product && a.serialNumber == b.serialNumber;
}

static std::ostream& operator<<(std::ostream& out, const UsbBusPrinter& printer) {
    return out << "{\"" << printer.product << "\", \"" << printer.serialNumber << "\"}";
}

namespace {

using Printers = std::vector<UsbBusPrinter>;

std::string Repeated(const std::string& text, int times) {
    std::string all;
    for (int i = 0; i < times; ++i) all += text;
    return all;
}

std::unique_ptr<SimulatedUsbBus> Bus(const std::string& text) {
    std::string error;
    auto bus = SimulatedUsbBus::FromText(text, &error);
    EXPECT_TRUE(bus) << error;
    return bus;
}

struct Layout {
    const char* name;
    std::string description;
    Printers expected;
};

void PrintTo(const Layout& layout, std::ostream* out) { *out << layout.name; }

class UsbBusLayouts : public ::testing::TestWithParam<Layout> {};

TEST_P(UsbBusLayouts, ListsTheDevicesOnTheRootHubs) {
    auto bus = Bus(GetParam().description);
    ASSERT_TRUE(bus);
    EXPECT_EQ(ListUsbBusPrinters(*bus), GetParam().expected);
}

// A device without a string gives index 0, which reads its language list (English, United
// States: the character 0x0409) as a string like any other.
const std::string kNoString = "\t";

const std::string kPlotter =
    "device 1 product=2 serial=3\nstring 2 text PlotJet 500\nstring 3 text SN0001\n";

INSTANTIATE_TEST_SUITE_P(
    Layouts, UsbBusLayouts,
    ::testing::Values(
        Layout{"NoControllers", "", {}},
        Layout{"OnePrinter", "controller 0\n" + kPlotter, {{"PlotJet 500", "SN0001"}}},
        Layout{"ControllersInNumberOrderPortsInPortOrder",
               "controller 9 ports=255\n"
               "device 255 product=1\nstring 1 text Last\n"
               "controller 2 ports=3\n"
               "device 3 product=1 serial=2\nstring 1 text C\nstring 2 text 3\n"
               "device 1 product=1 serial=2\nstring 1 text A\nstring 2 text 1\n",
               {{"A", "1"}, {"C", "3"}, {"Last", kNoString}}},
        Layout{"NothingBehindAnExternalHubNorTheHubItself",
               "controller 0\nhub 1 ports=2\nstring 1 text Hub\n" + kPlotter +
                   "end\ndevice 2 product=1\nstring 1 text Direct\n",
               {{"Direct", kNoString}}},
        Layout{"PortsNotConnected",
               "controller 0\ndevice 1 status=0\ndevice 2 status=2 product=1\nstring 1 text F\n"
               "device 3 status=3\ndevice 4 product=1\nstring 1 text Ok\n",
               {{"Ok", kNoString}}},
        // The third controller's long hub name needs the second, larger ask.
        Layout{"ControllersWithoutARootHubAreSkipped",
               "controller 0 hub=closed\n" + kPlotter + "controller 1 hub=unnamed\n" + kPlotter +
                   "controller 2 roothub=USB#ROOT_HUB20#4&2f1b&0#{f18a0e88-c30c-11d0-8815}" +
                   std::string(60, 'x') + "\n" + kPlotter,
               {{"PlotJet 500", "SN0001"}}},
        Layout{"RootHubNameLongerThanAnyDevicePath",
               "controller 0 roothub=" + std::string(2100, 'r') + "\n" + kPlotter,
               {}},
        Layout{"UnreadableStringsAreEmpty",
               "controller 0\ndevice 1 product=4 serial=5\nstring 4 fails\n"
               "device 2 product=6 serial=7\nstring 7 text S7\n",
               {{"", ""}, {"", "S7"}}},
        // Index 0 is asked for as any other: the device answers with its language list.
        Layout{
            "IndexZeroReadsTheLanguageList", "controller 0\ndevice 1\n", {{kNoString, kNoString}}},
        Layout{"LowByteOfEachCharacter",
               "controller 0\ndevice 1 product=1\nstring 1 text Plot\xC3\x9C\xC4\x80X\n",
               {{"Plot\xDCX", kNoString}}}),
    [](const ::testing::TestParamInfo<Layout>& row) { return row.param.name; });

// The printer the listing leaves out is there: the hub gives its name and the printer answers
// behind it.
TEST(SimulatedUsbBusHubs, ReachThePrinterBehindAnExternalHub) {
    auto bus =
        Bus("controller 0 roothub=RH\nhub 3 name=EXT ports=2\nend\nhub 4\n" + kPlotter + "end\n");
    ASSERT_TRUE(bus);
    EXPECT_TRUE(ListUsbBusPrinters(*bus).empty());
    auto root = bus->Open("\\\\.\\rh");
    ASSERT_TRUE(root);
    std::vector<std::uint8_t> name(64, 0);
    name[0] = 4;
    std::uint32_t returned = 0;
    ASSERT_TRUE(root->DeviceControl(SimulatedUsbBus::kNodeConnectionName, name.data(), 64,
                                    name.data(), 64, &returned));
    ASSERT_EQ(returned, 8u + 2 * std::string("USB#HUB#1").size() + 2);
    std::string text;
    for (std::uint32_t at = 8; at + 2 < returned; at += 2) text += static_cast<char>(name[at]);
    ASSERT_EQ(text, "USB#HUB#1");
    auto hub = bus->Open("\\\\.\\" + text);
    ASSERT_TRUE(hub);
    std::vector<std::uint8_t> connection(365, 0);
    connection[0] = 1;
    ASSERT_TRUE(hub->DeviceControl(SimulatedUsbBus::kNodeConnectionInformation, connection.data(),
                                   365, connection.data(), 365, &returned));
    EXPECT_EQ(returned, 35u + 2 * 11);  // a bulk pipe each way
    EXPECT_EQ(connection[31], 1);       // connected
    EXPECT_EQ(connection[24], 0);       // not a hub
    EXPECT_EQ(connection[19], 2);       // its product string
}

struct Answer {
    const char* name;
    const char* bytes;  // the string descriptor as the device sends it
    std::string expected;
};

void PrintTo(const Answer& row, std::ostream* out) { *out << row.name; }

class StringAcceptance : public ::testing::TestWithParam<Answer> {};

TEST_P(StringAcceptance, UsesOnlyAnAnswerThatHoldsTogether) {
    auto bus = Bus("controller 0\ndevice 1 product=1\nstring 1 bytes " +
                   std::string(GetParam().bytes) + "\n");
    ASSERT_TRUE(bus);
    const Printers printers = ListUsbBusPrinters(*bus);
    ASSERT_EQ(printers.size(), 1u);
    EXPECT_EQ(printers[0].product, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, StringAcceptance,
    ::testing::Values(Answer{"Whole", "06 03 41 00 42 00", "AB"},
                      Answer{"OneByteShort", "06 03 41 00 42", ""},
                      Answer{"OneByteOver", "06 03 41 00 42 00 43", ""},
                      Answer{"OddLength", "05 03 41 00 42", ""},
                      Answer{"NotAString", "06 02 41 00 42 00", ""}, Answer{"LengthZero", "00", ""},
                      Answer{"NothingSent", "", ""}, Answer{"HeaderOnly", "02 03", ""},
                      Answer{"ZeroBytesLeftOut", "08 03 00 00 41 00 00 42", "A"}),
    [](const ::testing::TestParamInfo<Answer>& row) { return row.param.name; });

TEST(StringAcceptance, TheLongestStringComesWhole) {
    const std::string text(126, 'w');  // 254 bytes, the longest even descriptor
    auto bus = Bus("controller 0\ndevice 1 serial=1\nstring 1 text " + text + "\n");
    ASSERT_TRUE(bus);
    EXPECT_EQ(ListUsbBusPrinters(*bus), (Printers{{kNoString, text}}));
}

// Passes every request to the simulated bus and records its sizes and request header; on the
// n-th request of one code to one device it reports fewer bytes returned than the bus wrote.
struct Cap {
    std::string path;
    std::uint32_t code = 0;
    int call = 0;  // 1 for the first such request
    std::uint32_t returned = 0;
};

class RecordingHost : public platform::UsbHost {
public:
    struct Call {
        std::string path;
        std::uint32_t code, inSize, outSize;
        std::vector<std::uint8_t> head;  // the first 12 input bytes
    };

    explicit RecordingHost(platform::UsbHost& inner, Cap cap = Cap())
        : m_inner(inner), m_cap(cap) {}

    std::unique_ptr<platform::UsbHostDevice> Open(const std::string& path) override {
        auto device = m_inner.Open(path);
        if (!device) return nullptr;
        return std::make_unique<Device>(*this, path, std::move(device));
    }

    std::vector<Call> calls;

private:
    class Device : public platform::UsbHostDevice {
    public:
        Device(RecordingHost& host, std::string path, std::unique_ptr<UsbHostDevice> inner)
            : m_host(host), m_path(path), m_inner(std::move(inner)) {}
        bool DeviceControl(std::uint32_t code, const void* in, std::uint32_t inSize, void* out,
                           std::uint32_t outSize, std::uint32_t* returned) override {
            const auto* bytes = static_cast<const std::uint8_t*>(in);
            m_host.calls.push_back(
                {m_path, code, inSize, outSize,
                 std::vector<std::uint8_t>(bytes, bytes + std::min<std::uint32_t>(inSize, 12))});
            const bool ok = m_inner->DeviceControl(code, in, inSize, out, outSize, returned);
            const Cap& cap = m_host.m_cap;
            if (m_path == cap.path && code == cap.code && ++m_host.m_matched == cap.call) {
                *returned = std::min(*returned, cap.returned);
            }
            return ok;
        }

    private:
        RecordingHost& m_host;
        std::string m_path;
        std::unique_ptr<UsbHostDevice> m_inner;
    };

    platform::UsbHost& m_inner;
    Cap m_cap;
    int m_matched = 0;
};

TEST(UsbBusRequests, AreLaidOutAsTheDriverExpects) {
    auto bus = Bus("controller 0 roothub=RH ports=1\ndevice 1 product=2 serial=3\n");
    ASSERT_TRUE(bus);
    RecordingHost host(*bus);
    ListUsbBusPrinters(host);
    using Head = std::vector<std::uint8_t>;
    const Head serial = {1, 0, 0, 0, 0, 0, 3, 3, 0, 0, 255, 0};
    const Head product = {1, 0, 0, 0, 0, 0, 2, 3, 0, 0, 255, 0};
    const std::vector<std::tuple<std::string, std::uint32_t, std::uint32_t>> expected = {
        {"\\\\.\\HCD0", 0x00220408, 6}, {"\\\\.\\HCD0", 0x00220408, 10},
        {"\\\\.\\RH", 0x00220408, 76},  {"\\\\.\\RH", 0x0022040C, 365},
        {"\\\\.\\RH", 0x00220410, 267}, {"\\\\.\\RH", 0x00220410, 267}};
    ASSERT_EQ(host.calls.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(host.calls[i].path, std::get<0>(expected[i])) << i;
        EXPECT_EQ(host.calls[i].code, std::get<1>(expected[i])) << i;
        EXPECT_EQ(host.calls[i].outSize, std::get<2>(expected[i])) << i;
        EXPECT_EQ(host.calls[i].inSize, host.calls[i].outSize) << i;
    }
    EXPECT_EQ(host.calls[3].head[0], 1);  // the port number
    EXPECT_EQ(host.calls[4].head, serial);
    EXPECT_EQ(host.calls[5].head, product);
    std::vector<std::string> hcds;
    for (int n = 0; n < 10; ++n) hcds.push_back("\\\\.\\HCD" + std::to_string(n));
    hcds.insert(hcds.begin() + 1, "\\\\.\\RH");
    EXPECT_EQ(bus->OpenAttempts(), hcds);
}

struct ShortAnswer {
    const char* name;
    Cap cap;
    bool listed;
};

void PrintTo(const ShortAnswer& row, std::ostream* out) { *out << row.name; }

class ShortAnswers : public ::testing::TestWithParam<ShortAnswer> {};

// The bus writes the whole answer; only the bytes it reports returned may be believed.
TEST_P(ShortAnswers, BelieveOnlyTheBytesReturned) {
    auto bus = Bus("controller 0 roothub=RH ports=1\n" + kPlotter);
    ASSERT_TRUE(bus);
    RecordingHost host(*bus, GetParam().cap);
    EXPECT_EQ(ListUsbBusPrinters(host).size(), GetParam().listed ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ShortAnswers,
    ::testing::Values(ShortAnswer{"NameWithoutItsSize", {"\\\\.\\HCD0", 0x00220408, 1, 3}, false},
                      ShortAnswer{"NameWithItsSize", {"\\\\.\\HCD0", 0x00220408, 1, 4}, true},
                      ShortAnswer{"NameCutShort", {"\\\\.\\HCD0", 0x00220408, 2, 7}, false},
                      ShortAnswer{"NodeWithoutPortCount", {"\\\\.\\RH", 0x00220408, 1, 6}, false},
                      ShortAnswer{"NodeWithPortCount", {"\\\\.\\RH", 0x00220408, 1, 7}, true},
                      ShortAnswer{
                          "ConnectionWithoutStatus", {"\\\\.\\RH", 0x0022040C, 1, 34}, false},
                      ShortAnswer{"ConnectionWithStatus", {"\\\\.\\RH", 0x0022040C, 1, 35}, true}),
    [](const ::testing::TestParamInfo<ShortAnswer>& row) { return row.param.name; });

struct BadDescription {
    const char* name;
    std::string text;
    std::string error;
};

void PrintTo(const BadDescription& row, std::ostream* out) { *out << row.name; }

class BusDescriptionErrors : public ::testing::TestWithParam<BadDescription> {};

TEST_P(BusDescriptionErrors, NameTheLineAndTheFault) {
    std::string error;
    EXPECT_FALSE(SimulatedUsbBus::FromText(GetParam().text, &error));
    EXPECT_EQ(error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Descriptions, BusDescriptionErrors,
    ::testing::Values(
        BadDescription{"UnknownKeyword", "# bus\n\nfrobnicate 1",
                       "line 3: unknown keyword \"frobnicate\""},
        BadDescription{"NoNumber", "controller", "line 1: \"controller\" needs a number after it"},
        BadDescription{"ControllerTen", "controller 10", "line 1: controller 10 is above 9"},
        BadDescription{"ControllerTwice", "controller 1\ncontroller 1",
                       "line 2: controller 1 is described twice"},
        BadDescription{"UnknownSetting", "controller 0 colour=red",
                       "line 1: unknown setting \"colour\""},
        BadDescription{"NotKeyValue", "controller 0 ports",
                       "line 1: expected key=value, found \"ports\""},
        BadDescription{"BadHubState", "controller 0 hub=maybe",
                       "line 1: hub= takes open, closed or unnamed, not \"maybe\""},
        BadDescription{"HubNameNotAscii", "controller 0 roothub=RH\xC3\xA9",
                       "line 1: a hub name is printable ASCII: \"RH\xC3\xA9\""},
        BadDescription{"PortBeforeController", "device 1", "line 1: a port before any controller"},
        BadDescription{"PortZero", "controller 0\ndevice 0", "line 2: ports count from 1"},
        BadDescription{"PortPastTheHub", "controller 0 ports=2\ndevice 3",
                       "line 2: port 3 is above 2"},
        BadDescription{"PortTwice", "controller 0\ndevice 1\nhub 1",
                       "line 3: port 1 is described twice"},
        BadDescription{"StringBeforeDevice", "controller 0\nstring 1 text x",
                       "line 2: a string before any device"},
        BadDescription{"StringWithoutKind", "controller 0\ndevice 1\nstring 1",
                       "line 3: a string is \"text ...\", \"bytes ...\" or \"fails\""},
        BadDescription{"BadByte", "controller 0\ndevice 1\nstring 1 bytes 06 0G",
                       "line 3: byte is not a number: \"0x0G\""},
        BadDescription{"TooManyBytes",
                       "controller 0\ndevice 1\nstring 1 bytes" + Repeated(" 00", 256),
                       "line 3: more than 255 bytes"},
        BadDescription{"NotUtf8", "controller 0\ndevice 1\nstring 1 text \xC3",
                       "line 3: the text is not UTF-8"},
        BadDescription{"EndWithoutHub", "controller 0\nend", "line 2: \"end\" without an open hub"},
        BadDescription{"HubWithoutEnd", "controller 0\nhub 2\ndevice 1", "line 2: hub has no end"},
        BadDescription{"ControllerInsideHub", "controller 0\nhub 2\ncontroller 1",
                       "line 3: the hub of line 2 has no end"}),
    [](const ::testing::TestParamInfo<BadDescription>& row) { return row.param.name; });

TEST(BusDescriptionFiles, AreReadOrNamedInTheError) {
    ScratchFolder folder;
    folder.Write("bus.txt", "controller 4\r\n" + kPlotter);
    std::string error;
    auto bus = SimulatedUsbBus::FromFile(folder.PathOf("bus.txt"), &error);
    ASSERT_TRUE(bus) << error;
    EXPECT_EQ(ListUsbBusPrinters(*bus), (Printers{{"PlotJet 500", "SN0001"}}));
    EXPECT_FALSE(SimulatedUsbBus::FromFile(folder.PathOf("missing.txt"), &error));
    EXPECT_EQ(error, "cannot read " + folder.PathOf("missing.txt"));
}

// Neither Wine nor Linux has host controller devices: the system's bus is empty.
TEST(SystemUsbBus, HasNoHostControllersHere) {
    EXPECT_EQ(platform::UsbHost::System().Open("\\\\.\\HCD0"), nullptr);
    EXPECT_TRUE(ListUsbBusPrinters(platform::UsbHost::System()).empty());
}

}  // namespace
