#include "usb_bus_description_file.h"

#include "text/ascii_case.h"

std::unique_ptr<UsbBusDescriptionFile> UsbBusDescriptionFile::Load(const std::string& path,
                                                                   std::string* error) {
    auto bus = SimulatedUsbBus::FromFile(path, error);
    if (!bus) return nullptr;
    std::unique_ptr<UsbBusDescriptionFile> file(new UsbBusDescriptionFile(path));
    file->m_buses.push_back(std::move(bus));
    return file;
}

std::unique_ptr<platform::UsbHostDevice> UsbBusDescriptionFile::Open(const std::string& path) {
    if (EqualsIgnoringAsciiCase(path, "\\\\.\\HCD0")) {
        auto again = SimulatedUsbBus::FromFile(m_path);
        if (again) m_buses.push_back(std::move(again));
    }
    return m_buses.back()->Open(path);
}
