#include "printerio/spooler_lists.h"

#include <new>

namespace {

/// `enumerate(buffer, size, &needed)` is one spooler call.
template <typename Enumerate>
bool Fetch(platform::InstalledPrinters& spooler, std::uint32_t recordSize, Enumerate enumerate,
           std::uint32_t* error) {
    std::uint32_t size = recordSize;
    for (;;) {
        std::vector<unsigned char> buffer;
        try {
            buffer.resize(size);
        } catch (const std::bad_alloc&) {
            *error = 8;  // ERROR_NOT_ENOUGH_MEMORY
            return false;
        }
        std::uint32_t needed = 0;
        switch (enumerate(buffer.data(), size, &needed)) {
            case platform::PrinterListStatus::Ok:
                *error = 0;
                return true;
            case platform::PrinterListStatus::InsufficientBuffer:
                size = ((needed + recordSize - 1) / recordSize + 1) * recordSize;
                break;
            case platform::PrinterListStatus::Failed:
                *error = spooler.LastError();
                return false;
        }
    }
}

}  // namespace

bool ListPrinters(platform::InstalledPrinters& spooler,
                  std::vector<platform::InstalledPrinter>* printers, std::uint32_t* error) {
    return Fetch(
        spooler, platform::kPrinterInfo2Size,
        [&](unsigned char* buffer, std::uint32_t size, std::uint32_t* needed) {
            return spooler.Enumerate(buffer, size, needed, printers);
        },
        error);
}

bool ListPorts(platform::InstalledPrinters& spooler, std::vector<platform::InstalledPort>* ports,
               std::uint32_t* error) {
    return Fetch(
        spooler, platform::kPortInfo2Size,
        [&](unsigned char* buffer, std::uint32_t size, std::uint32_t* needed) {
            return spooler.EnumeratePorts(buffer, size, needed, ports);
        },
        error);
}
