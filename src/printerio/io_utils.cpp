#include "printerio/io_utils.h"

#include <mutex>
#include <vector>

#include "printerio/map_port_to_address.h"
#include "printerio/spooler_lists.h"
#include "printerio/usb_port_table.h"

CIOUtils& CIOUtils::Instance() {
    static CIOUtils instance(&platform::QueryOsVersion);
    return instance;
}

CIOUtils::CIOUtils(VersionQuery query) {
    platform::OsVersion version;
    const bool known = query(&version);
    m_osClass = OsClassOf(known, version);
}

std::int32_t CIOUtils::OsClassOf(bool known, const platform::OsVersion& version) {
    if (!known) return 0;
    if (version.platformId == platform::kPlatformWindows9x) return 2;
    if (version.platformId != platform::kPlatformNt) return 0;
    if (version.major != 5) return 3;
    return version.minor == 1 ? 5 : 4;
}

bool CIOUtils::MapPrinters(CPrinterMapCallback& callback) {
    return MapPrinters(callback, MappingSystem{platform::InstalledPrinters::System(),
                                               &platform::LoadSetupLibrary});
}

bool CIOUtils::MapPrinters(CPrinterMapCallback& callback, const MappingSystem& system) {
    std::vector<platform::InstalledPrinter> printers;
    std::vector<platform::InstalledPort> ports;
    if (!ListPrinters(system.spooler, &printers, &m_lastError) ||
        !ListPorts(system.spooler, &ports, &m_lastError)) {
        return false;
    }
    UsbPortTable& usbPorts = UsbPortTable::Process();
    std::lock_guard<std::mutex> lock(usbPorts.Lock());
    usbPorts.Build(system.loadSetup);
    CChannelAddress address(nullptr, 0, CChannelAddress::kModeNotSet);
    for (const platform::InstalledPrinter& printer : printers) {
        for (const platform::InstalledPort& port : ports) {
            if (port.name != printer.portName) continue;
            if (MapPortToAddress(printer.portName.c_str(), usbPorts, &address)) {
                callback.OnPrinter(printer.name.c_str(), address);
            }
            break;
        }
    }
    return true;
}
