#pragma once
/// The library form's mapping of one spooler port name to a channel address.

#include "printerio/channel_address.h"
#include "printerio/usb_port_table.h"

/// Fills the address text, kind and (AppleTalk) zone of `address` and returns true when the
/// port is mapped: parallel port, a port of the maker's network monitors, a USB port of
/// the process's UsbPortTable, IPX/SPX, AppleTalk or the test monitor, in that order.
bool MapPortToAddress(const char* portName, CChannelAddress* address);
/// The same with the USB ports of `usbPorts`.
bool MapPortToAddress(const char* portName, const UsbPortTable& usbPorts, CChannelAddress* address);
