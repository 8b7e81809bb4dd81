#include <windows.h>
#include <winspool.h>

#include "platform/installed_printers.h"

namespace platform {

namespace {

std::string TextOf(const char* text) { return text != nullptr ? text : ""; }

class Win32InstalledPrinters : public InstalledPrinters {
public:
    PrinterListStatus Enumerate(unsigned char* buffer, std::uint32_t size, std::uint32_t* needed,
                                std::vector<InstalledPrinter>* printers) override {
        DWORD neededBytes = 0;
        DWORD returned = 0;
        if (!EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, buffer, size, &neededBytes, &returned)) {
            *needed = neededBytes;
            return GetLastError() == ERROR_INSUFFICIENT_BUFFER
                       ? PrinterListStatus::InsufficientBuffer
                       : PrinterListStatus::Failed;
        }
        printers->clear();
        const auto* entries = reinterpret_cast<const PRINTER_INFO_2A*>(buffer);
        for (DWORD i = 0; i < returned; ++i) {
            printers->push_back({TextOf(entries[i].pPrinterName), TextOf(entries[i].pDriverName)});
        }
        return PrinterListStatus::Ok;
    }

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
