#pragma once
/// The USB host controllers and their hubs, opened by device name and asked through device
/// control codes. Windows: CreateFileA and DeviceIoControl. POSIX: there are no such devices
/// and every Open fails.

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

/// An open host controller or hub; closed with the object.
class UsbHostDevice {
public:
    virtual ~UsbHostDevice() = default;

    /// One DeviceIoControl; false on failure. `*returned` receives the bytes written to `out`.
    /// `in` and `out` may be the same buffer, as the system's buffered requests allow.
    virtual bool DeviceControl(std::uint32_t code, const void* in, std::uint32_t inSize, void* out,
                               std::uint32_t outSize, std::uint32_t* returned) = 0;
};

class UsbHost {
public:
    virtual ~UsbHost() = default;

    /// The operating system's controllers.
    static UsbHost& System();

    /// Opens a device name such as "\\.\HCD0" for reading and writing, shared for writing;
    /// null when it does not open.
    virtual std::unique_ptr<UsbHostDevice> Open(const std::string& path) = 0;
};

}  // namespace platform
