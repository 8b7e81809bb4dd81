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
    std::string portName;
};

/// One port of the spooler's port list at level 2.
struct InstalledPort {
    std::string name;
    std::string monitorName;
};

/// Bytes of one record of each list as the spooler lays them out (PRINTER_INFO_2A,
/// PORT_INFO_2A), for callers that size their first buffer for one entry.
constexpr std::uint32_t kPrinterInfo2Size = 13 * sizeof(void*) + 8 * 4;
constexpr std::uint32_t kPortInfo2Size = 3 * sizeof(void*) + 2 * 4;

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
    /// One EnumPortsA call for the local machine's ports at level 2, with the same buffer
    /// protocol as Enumerate.
    virtual PrinterListStatus EnumeratePorts(unsigned char* buffer, std::uint32_t size,
                                             std::uint32_t* needed,
                                             std::vector<InstalledPort>* ports) = 0;
    /// The system error code of this thread's last Enumerate or EnumeratePorts call that
    /// did not answer Ok.
    virtual std::uint32_t LastError() = 0;
    /// CreateDCA for the driver and the printer's name.
    virtual DeviceContext OpenDeviceContext(const std::string& driver,
                                            const std::string& device) = 0;
    /// ExtEscape with no input into `output`; the driver's result (negative on failure).
    virtual int DriverEscape(DeviceContext dc, int escape, char* output, int outputSize) = 0;
    virtual void CloseDeviceContext(DeviceContext dc) = 0;
};

}  // namespace platform
