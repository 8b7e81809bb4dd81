#pragma once
/// The setup library "SETUPAPI.DLL", bound at run time by name: the present device
/// interfaces of one interface class, their device paths and their registry keys.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/registry.h"

namespace platform {

/// The present interfaces of one class, from one SetupDiGetClassDevsA call; destroying it
/// destroys the device list. It must not outlive the library it came from.
class SetupInterfaceList {
public:
    virtual ~SetupInterfaceList() = default;

    /// SetupDiEnumDeviceInterfaces for interface number `index`; false ends the enumeration.
    virtual bool Exists(std::uint32_t index) = 0;
    /// The device path of the interface's detail: size query, allocation, fetch. False when
    /// the detail cannot be had.
    virtual bool DevicePath(std::uint32_t index, std::string* path) = 0;
    /// SetupDiOpenDeviceInterfaceRegKey with all access; null when it does not open.
    virtual std::unique_ptr<RegistryKey> OpenKey(std::uint32_t index) = 0;
};

/// One loading of the library with its five functions; destroying it releases the library.
class SetupLibrary {
public:
    virtual ~SetupLibrary() = default;

    /// The interfaces of `interfaceClass` ("{28d78fad-...}") whose devices are present
    /// (flags present and device-interface); null when the list cannot be had.
    virtual std::unique_ptr<SetupInterfaceList> PresentInterfaces(
        const std::string& interfaceClass) = 0;
};

/// Loads the library and looks up its five functions; null when the library or any of
/// them is missing (the library is released again). Never there on POSIX.
std::unique_ptr<SetupLibrary> LoadSetupLibrary();

/// What port discovery calls to load the library; a test hands in its own.
using SetupLibraryLoader = std::function<std::unique_ptr<SetupLibrary>()>;

}  // namespace platform
