#pragma once
/// How a CUPS queue's device URI becomes a connection the engine can open.

#include <cstdint>
#include <string>
#include <vector>

#include "caller/usb_printer_nodes.h"

/// A connection class of CPortClassifier and the address the params file carries for it, or
/// class 0 with `problem` saying why the queue cannot be served.
struct CupsConnection {
    std::int32_t portClass = 0;
    std::string address;
    std::string problem;
};

/// Maps `deviceUri`: "socket://host[:9100]" to a network printer at host; "parallel:/dev/lpN"
/// to the parallel port LPT(N+1); "usb://Make/Model[?serial=S]" to the first node of
/// `usbNodes` whose device id names that make and model (and serial, when given), and
/// "usb:/dev/usb/lpN" to a listed node of that path. Anything else is class 0.
CupsConnection MapCupsDeviceUri(const std::string& deviceUri,
                                const std::vector<UsbPrinterNode>& usbNodes);
