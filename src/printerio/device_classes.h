#pragma once
/// The device-interface classes port discovery looks in, and the search of the maker's
/// classes by device instance.

#include <string>

/// The system's USB printing interface class; on Windows 2000 and XP it also carries IEEE
/// 1394 printers.
extern const char* const kUsbPrintingClass;
/// The maker's USB printing driver interfaces in the order they are searched: third,
/// second, first.
extern const char* const kMakerClasses[3];

/// "SYSTEM\CurrentControlSet\Control\DeviceClasses\" + `interfaceClass`.
std::string DeviceClassKey(const std::string& interfaceClass);

/// In one class, the first instance (of the first 1000) whose "DeviceInstance" contains
/// `text` and whose "#" key has a "SymbolicLink": that link.
bool FindLinkByDeviceInstance(const std::string& interfaceClass, const std::string& text,
                              std::string* link);
