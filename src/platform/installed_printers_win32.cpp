#include <windows.h>
#include <winspool.h>

#include "platform/installed_printers.h"

namespace platform {

namespace {

std::string TextOf(const char* text) { return text != nullptr ? text : ""; }

static_assert(sizeof(PRINTER_INFO_2A) == kPrinterInfo2Size, "printer record size");
static_assert(sizeof(PORT_INFO_2A) == kPortInfo2Size, "port record size");

thread_local DWORD t_lastError = 0;

PrinterListStatus Refused(DWORD neededBytes, std::uint32_t* needed) {
    t_lastError = GetLastError();
    *needed = neededBytes;
    return t_lastError == ERROR_INSUFFICIENT_BUFFER ? PrinterListStatus::InsufficientBuffer
                                                    : PrinterListStatus::Failed;
}

class Win32InstalledPrinters : public InstalledPrinters {
public:
    PrinterListStatus Enumerate(unsigned char* buffer, std::uint32_t size, std::uint32_t* needed,
                                std::vector<InstalledPrinter>* printers) override {
        DWORD neededBytes = 0;
        DWORD returned = 0;
        if (!EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, buffer, size, &neededBytes, &returned)) {
            return Refused(neededBytes, needed);
        }
        printers->clear();
        const auto* entries = reinterpret_cast<const PRINTER_INFO_2A*>(buffer);
        for (DWORD i = 0; i < returned; ++i) {
            printers->push_back({TextOf(entries[i].pPrinterName), TextOf(entries[i].pDriverName),
                                 TextOf(entries[i].pPortName)});
        }
        return PrinterListStatus::Ok;
    }

    PrinterListStatus EnumeratePorts(unsigned char* buffer, std::uint32_t size,
                                     std::uint32_t* needed,
                                     std::vector<InstalledPort>* ports) override {
        DWORD neededBytes = 0;
        DWORD returned = 0;
        if (!EnumPortsA(nullptr, 2, buffer, size, &neededBytes, &returned)) {
            return Refused(neededBytes, needed);
        }
        ports->clear();
        const auto* entries = reinterpret_cast<const PORT_INFO_2A*>(buffer);
        for (DWORD i = 0; i < returned; ++i) {
            ports->push_back({TextOf(entries[i].pPortName), TextOf(entries[i].pMonitorName)});
        }
        return PrinterListStatus::Ok;
    }

    std::uint32_t LastError() override { return t_lastError; }

    DeviceContext OpenDeviceContext(const std::string& driver, const std::string& device) override {
        return reinterpret_cast<DeviceContext>(
            CreateDCA(driver.c_str(), device.c_str(), nullptr, nullptr));
    }

    int DriverEscape(DeviceContext dc, int escape, char* output, int outputSize) override {
        return ExtEscape(reinterpret_cast<HDC>(dc), escape, 0, nullptr, outputSize, output);
    }

    void CloseDeviceContext(DeviceContext dc) override { ::DeleteDC(reinterpret_cast<HDC>(dc)); }
};

}  // namespace

InstalledPrinters& InstalledPrinters::System() {
    static Win32InstalledPrinters printers;
    return printers;
}

}  // namespace platform
