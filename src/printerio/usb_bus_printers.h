#pragma once
/// The devices plugged straight into a root hub of the computer's USB host controllers, read
/// from the controllers themselves rather than from the print queues.

#include <string>
#include <vector>

#include "platform/usb_host.h"

/// One device on a root hub port: its product and serial number strings, empty when the
/// device would not give them.
struct UsbBusPrinter {
    std::string product;
    std::string serialNumber;
};

/// Every connected device that is not a hub on the root hubs of "\\.\HCD0" to "\\.\HCD9",
/// controllers in number order and ports in port order. Devices behind a further hub are not
/// seen. Controllers, hubs and ports that do not open or answer are skipped.
std::vector<UsbBusPrinter> ListUsbBusPrinters(platform::UsbHost& host);
