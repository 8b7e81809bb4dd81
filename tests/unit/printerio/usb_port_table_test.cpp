// UsbPortTable over a substitute setup library whose interface keys are real registry keys.

#include "printerio/usb_port_table.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "discovery_registry.h"
#include "fake_setup_library.h"

namespace discovery {
namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;  // port name, device path

std::string InterfaceKey(int n) { return std::string(kInterfaceKeys) + "\\If" + std::to_string(n); }

struct TableCase {
    const char* name;
    std::vector<Row> registry;
    std::map<std::string, std::vector<FakeInterface>> present;
    Entries expected;
};

Entries EntriesOf(const UsbPortTable& table) {
    Entries entries;
    for (int i = 0; i < table.Count(); ++i) {
        entries.emplace_back(table.At(i).portName, table.At(i).devicePath);
    }
    return entries;
}

TEST(UsbPortTableTest, EntersEachPresentInterfaceWithThePortNameOfItsKey) {
    const std::string longPath = "\\\\?\\usb#" + std::string(300, 'p');
    const std::vector<TableCase> cases = {
        {"port number alone gives USB and three digits",
         {Number(InterfaceKey(1), "Port Number", 3)},
         {{kUsbClass, {{"\\\\?\\usb#vid_1#3", InterfaceKey(1)}}}},
         {{"USB003", "\\\\?\\usb#vid_1#3"}}},
        {"product, serial number and enabled give the product port name",
         {Text(InterfaceKey(1), "SerialNumber", "SN42"),
          Text(InterfaceKey(1), "Product", "Plotara 530"), Number(InterfaceKey(1), "Enabled", 0),
          Number(InterfaceKey(1), "Port Number", 9)},
         {{kUsbClass, {{"\\\\?\\usb#a", InterfaceKey(1)}}}},
         {{"USB/Plotara 530/SN42", "\\\\?\\usb#a"}}},
        {"without enabled the port number is used",
         {Text(InterfaceKey(1), "SerialNumber", "SN42"),
          Text(InterfaceKey(1), "Product", "Plotara 530"),
          Number(InterfaceKey(1), "Port Number", 117)},
         {{kUsbClass, {{"\\\\?\\usb#a", InterfaceKey(1)}}}},
         {{"USB117", "\\\\?\\usb#a"}}},
        {"a port number written as text and no names give an empty port name",
         {Text(InterfaceKey(1), "Port Number", "3")},
         {{kUsbClass, {{"\\\\?\\usb#a", InterfaceKey(1)}}}},
         {{"", "\\\\?\\usb#a"}}},
        {"an interface key that does not open gives an empty port name",
         {},
         {{kUsbClass, {{"\\\\?\\usb#a", ""}}}},
         {{"", "\\\\?\\usb#a"}}},
        {"a detail that cannot be had gives an empty device path",
         {Number(InterfaceKey(1), "Port Number", 1)},
         {{kUsbClass, {{"\\\\?\\usb#a", InterfaceKey(1), true}}}},
         {{"USB001", ""}}},
        {"the maker's third class comes first; the other two are not asked",
         {Number(InterfaceKey(1), "Port Number", 1), Number(InterfaceKey(2), "Port Number", 2),
          Number(InterfaceKey(3), "Port Number", 3), Number(InterfaceKey(4), "Port Number", 4)},
         {{kUsbClass, {{"usb-1", InterfaceKey(1)}}},
          {kMakerThird, {{"third-2", InterfaceKey(2)}, {"third-4", InterfaceKey(4)}}},
          {kMakerSecond, {{"second-3", InterfaceKey(3)}}},
          {kMakerFirst, {{"first-3", InterfaceKey(3)}}}},
         {{"USB002", "third-2"}, {"USB004", "third-4"}, {"USB001", "usb-1"}}},
        {"texts are cut to 259 bytes",
         {Number(InterfaceKey(1), "Port Number", 1)},
         {{kUsbClass, {{longPath, InterfaceKey(1)}}}},
         {{"USB001", longPath.substr(0, 259)}}},
    };
    for (const TableCase& c : cases) {
        SCOPED_TRACE(c.name);
        Registry registry;
        registry.Write(c.registry);
        FakeSetup setup;
        setup.present = c.present;
        UsbPortTable table;
        table.Build(setup.Loader());
        EXPECT_EQ(EntriesOf(table), c.expected);
        EXPECT_EQ(setup.classesAsked, (std::vector<std::string>{kMakerThird, kUsbClass}));
        EXPECT_EQ(setup.loads, 1);
        EXPECT_EQ(setup.releases, 1) << "released after the build";
    }
}

TEST(UsbPortTableTest, KeepsTheFirstSixteenInterfacesAndNeverMore) {
    Registry registry;
    std::vector<Row> rows;
    std::vector<FakeInterface> third;
    std::vector<FakeInterface> usb;
    for (int n = 1; n <= 20; ++n) {
        rows.push_back(Number(InterfaceKey(n), "Port Number", static_cast<std::uint32_t>(n)));
        (n <= 10 ? third : usb).push_back({"path-" + std::to_string(n), InterfaceKey(n)});
    }
    registry.Write(rows);
    FakeSetup setup;
    setup.present = {{kMakerThird, third}, {kUsbClass, usb}};

    UsbPortTable table;
    table.Build(setup.Loader());
    ASSERT_EQ(table.Count(), UsbPortTable::kMaxEntries);
    EXPECT_STREQ(table.DevicePathOf("USB010"), "path-10");
    EXPECT_STREQ(table.DevicePathOf("USB016"), "path-16");
    EXPECT_EQ(table.DevicePathOf("USB017"), nullptr);
    EXPECT_EQ(table.DevicePathOf("USB020"), nullptr);
}

TEST(UsbPortTableTest, AMissingLibraryOrANewBuildLeavesNoOldEntries) {
    Registry registry;
    registry.Write({Number(InterfaceKey(1), "Port Number", 5)});
    FakeSetup setup;
    setup.present = {{kUsbClass, {{"path-5", InterfaceKey(1)}}}};
    UsbPortTable table;
    table.Build(setup.Loader());
    ASSERT_STREQ(table.DevicePathOf("USB005"), "path-5");
    EXPECT_EQ(table.DevicePathOf("usb005"), nullptr) << "names compare exactly";

    setup.missing = true;
    table.Build(setup.Loader());
    EXPECT_EQ(table.Count(), 0);
    EXPECT_EQ(table.DevicePathOf("USB005"), nullptr);
}

TEST(UsbPortTableTest, AnInterfaceWithoutPortNameMapsNoPort) {
    Registry registry;
    FakeSetup setup;
    setup.present = {{kUsbClass, {{"path", ""}}}};
    UsbPortTable table;
    table.Build(setup.Loader());
    ASSERT_EQ(table.Count(), 1);
    EXPECT_EQ(table.DevicePathOf(""), nullptr);
}

}  // namespace
}  // namespace discovery
