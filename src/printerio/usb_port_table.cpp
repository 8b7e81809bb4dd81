#include "printerio/usb_port_table.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "printerio/device_classes.h"
#include "printerio/registry_reads.h"

namespace {

void CopyText(const std::string& text, char (&field)[UsbPortTable::kTextSize]) {
    const std::size_t length = std::min(text.size(), UsbPortTable::kTextSize - 1);
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

/// "USB/" product "/" serial when the key names the printer, else "USB" and the port
/// number in three digits, else empty.
std::string PortNameOf(platform::RegistryKey* key) {
    if (key == nullptr) return "";
    std::string serial;
    std::string product;
    std::uint32_t enabled = 0;
    if (ReadText(*key, "SerialNumber", &serial) && ReadText(*key, "Product", &product) &&
        ReadNumber(*key, "Enabled", &enabled)) {
        return "USB/" + product + "/" + serial;
    }
    std::uint32_t number = 0;
    if (!ReadNumber(*key, "Port Number", &number)) return "";
    char name[16];
    std::snprintf(name, sizeof name, "USB%03d", static_cast<int>(number));
    return name;
}

}  // namespace

UsbPortTable& UsbPortTable::Process() {
    static UsbPortTable table;
    return table;
}

void UsbPortTable::Build(const platform::SetupLibraryLoader& load) {
    m_count = 0;
    std::memset(m_entries, 0, sizeof m_entries);
    const std::unique_ptr<platform::SetupLibrary> library = load();
    if (library == nullptr) return;
    for (const char* interfaceClass : {kMakerClasses[0], kUsbPrintingClass}) {
        const std::unique_ptr<platform::SetupInterfaceList> list =
            library->PresentInterfaces(interfaceClass);
        if (list == nullptr) continue;
        for (std::uint32_t index = 0; m_count < kMaxEntries && list->Exists(index); ++index) {
            Add(*list, index);
        }
    }
}

void UsbPortTable::Add(platform::SetupInterfaceList& list, std::uint32_t index) {
    std::string path;
    list.DevicePath(index, &path);
    const std::unique_ptr<platform::RegistryKey> key = list.OpenKey(index);
    Entry& entry = m_entries[m_count++];
    CopyText(path, entry.devicePath);
    CopyText(PortNameOf(key.get()), entry.portName);
}

const char* UsbPortTable::DevicePathOf(const char* portName) const {
    // An interface without a port name stands for no port, not for an empty one.
    if (portName[0] == '\0') return nullptr;
    for (int i = 0; i < m_count; ++i) {
        if (std::strcmp(m_entries[i].portName, portName) == 0) return m_entries[i].devicePath;
    }
    return nullptr;
}
