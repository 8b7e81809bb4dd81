#pragma once
/// The printers installed on the workstation and their drivers: the spooler's list of local
/// printers at level 2, and a device context to put a driver's private escape to.

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct InstalledPrinter {
    std::string name;
    std::string driverName;
};

/// How one enumeration call ended, named after the Win32 results it stands for.
enum class PrinterListStatus {
    Ok,
    InsufficientBuffer,  // ERROR_INSUFFICIENT_BUFFER: `*needed` is the size to ask with
    Failed               // any other error
};

/// A printer device context; kNoDeviceContext when none.
using DeviceContext = std::intptr_t;
constexpr DeviceContext kNoDeviceContext = 0;

class InstalledPrinters {
public:
    virtual ~InstalledPrinters() = default;

    static InstalledPrinters& System();

    /// One EnumPrintersA call for the local printers at level 2 into the caller's `buffer`
    /// of `size` bytes (null when `size` is 0). On Ok `*printers` holds every printer.
    virtual PrinterListStatus Enumerate(unsigned char* buffer, std::uint32_t size,
                                        std::uint32_t* needed,
                                        std::vector<InstalledPrinter>* printers) = 0;
    /// CreateDCA for the driver and the printer's name.
    virtual DeviceContext OpenDeviceContext(const std::string& driver,
                                            const std::string& device) = 0;
    /// ExtEscape with no input into `output`; the driver's result (negative on failure).
    virtual int DriverEscape(DeviceContext dc, int escape, char* output, int outputSize) = 0;
    virtual void CloseDeviceContext(DeviceContext dc) = 0;
};

}  // namespace platform
