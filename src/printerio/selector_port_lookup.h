#pragma once
/// The printer selector's port discovery: the device path of a USB printer by its serial
/// number, and the address of a network port from the port monitors.

#include <string>

#include "printerio/port_discovery_log.h"
#include "printerio/selector_os.h"

/// The symbolic link of the first active interface whose registry entry contains `text`:
/// the maker's classes on Windows 98 and Me (a later class replaces an earlier match), the
/// USB printing class on Windows 2000, XP and Server 2003; nothing on other systems.
bool FindDevicePathOf(const std::string& text, SelectorOs os, std::string* devicePath,
                      const PortDiscoveryLog& log);

/// 1 with the address of `portName` from the first monitor that has it with an address, 0
/// when none has. Unlike the launcher, a port without a host name moves on to the next
/// monitor.
int FindNetworkAddressOfPort(const std::string& portName, std::string* address,
                             const PortDiscoveryLog& log);
