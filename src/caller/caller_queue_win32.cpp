#include "caller/caller_queue_win32.h"

#include <windows.h>

#include <vector>

namespace {

// Some spoolers report a size too small for the strings that follow the record.
const DWORD kSizeMargin = 256;

}  // namespace

bool ReadQueuePortAndDriver(const std::string& queueName, std::string* portName,
                            std::string* driverName) {
    HANDLE printer = nullptr;
    if (!OpenPrinterA(const_cast<char*>(queueName.c_str()), &printer, nullptr)) return false;
    DWORD needed = 0;
    GetPrinterA(printer, 2, nullptr, 0, &needed);
    bool read = false;
    if (needed != 0) {
        std::vector<BYTE> buffer(needed + kSizeMargin);
        if (GetPrinterA(printer, 2, buffer.data(), static_cast<DWORD>(buffer.size()), &needed)) {
            const auto* info = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
            *portName = info->pPortName != nullptr ? info->pPortName : "";
            *driverName = info->pDriverName != nullptr ? info->pDriverName : "";
            read = true;
        }
    }
    const DWORD error = GetLastError();
    ClosePrinter(printer);
    SetLastError(error);
    return read;
}
