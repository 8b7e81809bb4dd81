#pragma once
/// The USB printers the kernel's printer class driver serves, as device nodes.

#include <string>
#include <vector>

/// One /dev/usb/lpN node with what the printer says of itself.
struct UsbPrinterNode {
    std::string devicePath;  // "/dev/usb/lp0"
    std::string deviceId;    // IEEE 1284 device id, e.g. "MFG:Orvik;MDL:Plotara 530;SN:AB12;"
    std::string serial;      // the USB serial number string, "" when the device has none
};

/// The nodes under `deviceFolder` named lpN, in the order of N, each with its device id and
/// serial read from `classFolder`/lpN (the usbmisc class in sysfs). A node whose printer
/// cannot be read is still listed, with empty texts.
std::vector<UsbPrinterNode> ListUsbPrinterNodes(
    const std::string& deviceFolder = "/dev/usb",
    const std::string& classFolder = "/sys/class/usbmisc");
