// How a CUPS queue's device URI becomes the connection the engine opens, and how the USB
// printer nodes are found with what their printers say of themselves.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "caller/cups_device_uri.h"
#include "caller/usb_printer_nodes.h"
#include "printerio/port_classifier.h"
#include "support/scratch_folder.h"

namespace {

const std::vector<UsbPrinterNode> kNodes = {
    {"/dev/usb/lp0", "MFG:Other;MDL:Plotara 530;SN:AB12;", "AB12"},
    {"/dev/usb/lp1", "MFG:Orvik;MDL:Plotara 530;SN:ZZ99;", ""},
    {"/dev/usb/lp2", "MANUFACTURER:ORVIK;MODEL:plotara 530;", "AB12"},
};

TEST(CupsDeviceUri, MapsServableUrisToTheEnginesAddressAndRefusesTheRest) {
    struct Case {
        const char* uri;
        std::int32_t portClass;
        const char* address;  // or a part of the problem for class 0
    };
    const Case cases[] = {
        {"socket://127.0.0.2:9100", CPortClassifier::kNetwork, "127.0.0.2"},
        {"socket://127.0.0.2", CPortClassifier::kNetwork, "127.0.0.2"},
        {"socket://plotter.example:9100/?waiteof=false", CPortClassifier::kNetwork,
         "plotter.example"},
        // another port is another service: not served on 9100 by mistake
        {"socket://127.0.0.2:9101", 0, "port 9101"},
        {"socket://[::1]:9100", 0, "IPv4"},
        {"socket://:9100", 0, "no host"},
        {"parallel:/dev/lp0", CPortClassifier::kParallel, "LPT1"},
        {"parallel:/dev/lp12", CPortClassifier::kParallel, "LPT13"},
        {"parallel:/dev/parport0", 0, "/dev/parport0"},
        {"parallel:/dev/lp1x", 0, "/dev/lp1x"},
        // make and model as the printer's device id says them, any case, URI-encoded
        {"usb://Orvik/Plotara%20530", CPortClassifier::kUsb, "/dev/usb/lp1"},
        {"usb://orvik/PLOTARA%20530?serial=AB12", CPortClassifier::kUsb, "/dev/usb/lp2"},
        // the serial of the device id counts as well as the USB one
        {"usb://Orvik/Plotara%20530?serial=ZZ99&interface=1", CPortClassifier::kUsb,
         "/dev/usb/lp1"},
        {"usb://Orvik/Plotara%20530?serial=NONE", 0, "serial number NONE"},
        {"usb://Orvik/Plotara%20500", 0, "Orvik Plotara 500"},
        {"usb://Orvik", 0, "no printer model"},
        {"usb:/dev/usb/lp2", CPortClassifier::kUsb, "/dev/usb/lp2"},
        {"usb:/dev/usb/lp7", 0, "/dev/usb/lp7"},
        {"ipp://127.0.0.2/ipp/print", 0, "ipp://127.0.0.2/ipp/print"},
        {"lpd://127.0.0.2/queue", 0, "lpd://"},
        {"", 0, "device URI"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.uri);
        const CupsConnection connection = MapCupsDeviceUri(c.uri, kNodes);
        EXPECT_EQ(c.portClass, connection.portClass);
        if (c.portClass != 0) {
            EXPECT_EQ(c.address, connection.address);
            EXPECT_EQ("", connection.problem);
        } else {
            EXPECT_EQ("", connection.address);
            EXPECT_NE(std::string::npos, connection.problem.find(c.address)) << connection.problem;
        }
    }
}

void WriteText(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path) << text;
}

TEST(UsbPrinterNodes, ListsLpNodesInNumberOrderWithDeviceIdAndSerial) {
    ScratchFolder folder;
    const std::string dev = folder.PathOf("dev/usb");
    const std::string sys = folder.PathOf("sys/class/usbmisc");
    for (const char* name : {"lp10", "lp2", "hiddev0", "lpx", "lp0"}) {
        WriteText(dev + "/" + name, "");
    }
    // as sysfs lays them out: the class device's "device" is the interface below the device
    WriteText(folder.PathOf("sys/devices/usb1/1-1/serial"), "AB12\n");
    WriteText(folder.PathOf("sys/devices/usb1/1-1/1-1:1.0/ieee1284_id"),
              "MFG:Orvik;MDL:Plotara 530;\n");
    std::filesystem::create_directories(sys + "/lp2");
    std::filesystem::create_directory_symlink(folder.PathOf("sys/devices/usb1/1-1/1-1:1.0"),
                                              sys + "/lp2/device");

    const std::vector<UsbPrinterNode> nodes = ListUsbPrinterNodes(dev, sys);
    ASSERT_EQ(3u, nodes.size());
    EXPECT_EQ(dev + "/lp0", nodes[0].devicePath);
    EXPECT_EQ(dev + "/lp2", nodes[1].devicePath);
    EXPECT_EQ(dev + "/lp10", nodes[2].devicePath);
    EXPECT_EQ("", nodes[0].deviceId);
    EXPECT_EQ("MFG:Orvik;MDL:Plotara 530;", nodes[1].deviceId);
    EXPECT_EQ("AB12", nodes[1].serial);
    EXPECT_EQ(dev + "/lp2",
              MapCupsDeviceUri("usb://Orvik/Plotara%20530?serial=AB12", nodes).address);
}

}  // namespace
