// The test variant's bus follows its description file between two walks of the bus, and only
// then: a walk in progress sees one bus from its start to its end.

#include "usb_bus_description_file.h"

#include <gtest/gtest.h>

#include "printerio/usb_bus_printers.h"
#include "support/scratch_folder.h"

namespace {

const char* const kOnePrinter =
    "controller 0 ports=2\ndevice 1 product=1 serial=2\nstring 1 text Orvik Plotara 530\n"
    "string 2 text SN1\n";
const char* const kNoPrinter = "controller 0 ports=2\n";
const char* const kOtherPrinter =
    "controller 0 ports=2\ndevice 2 product=1 serial=2\nstring 1 text Orvik Plotara 620\n"
    "string 2 text SN2\n";

std::vector<std::string> Serials(platform::UsbHost& bus) {
    std::vector<std::string> serials;
    for (const UsbBusPrinter& printer : ListUsbBusPrinters(bus)) {
        serials.push_back(printer.serialNumber);
    }
    return serials;
}

TEST(UsbBusDescriptionFile, EachWalkOfTheBusSeesTheFileAsItIsThen) {
    ScratchFolder folder;
    const std::string path = folder.PathOf("simulated-usb-bus.txt");
    folder.Write("simulated-usb-bus.txt", kOnePrinter);
    std::string error;
    const auto bus = UsbBusDescriptionFile::Load(path, &error);
    ASSERT_TRUE(bus) << error;

    const struct {
        const char* description;  // written before the walk; null: left as it is
        std::vector<std::string> serials;
    } walks[] = {
        {nullptr, {"SN1"}},
        {kNoPrinter, {}},                     // pulled out
        {kOtherPrinter, {"SN2"}},             // another one plugged in
        {"controller 0 ports=x\n", {"SN2"}},  // a torn description keeps the last bus
        {kOnePrinter, {"SN1"}},
    };
    for (const auto& walk : walks) {
        if (walk.description != nullptr) folder.Write("simulated-usb-bus.txt", walk.description);
        EXPECT_EQ(Serials(*bus), walk.serials) << (walk.description ? walk.description : "");
    }
}

TEST(UsbBusDescriptionFile, AFileThatCannotBeReadAtStartIsRefused) {
    ScratchFolder folder;
    std::string error;
    EXPECT_FALSE(UsbBusDescriptionFile::Load(folder.PathOf("missing.txt"), &error));
    EXPECT_FALSE(error.empty());
    folder.Write("bad.txt", "controller eleven\n");
    error.clear();
    EXPECT_FALSE(UsbBusDescriptionFile::Load(folder.PathOf("bad.txt"), &error));
    EXPECT_NE(error.find("line 1"), std::string::npos) << error;
}

}  // namespace
