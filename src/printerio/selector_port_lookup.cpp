#include "printerio/selector_port_lookup.h"

#include <cstdint>
#include <memory>

#include "printerio/device_classes.h"
#include "printerio/monitor_ports.h"
#include "printerio/registry_reads.h"

namespace {

void Write(const PortDiscoveryLog& log, const char* line) {
    if (log) log(line);
}

bool FindInMakerClasses(const std::string& text, std::string* devicePath) {
    bool found = false;
    for (const char* interfaceClass : kMakerClasses) {
        std::string link;
        if (FindLinkByDeviceInstance(interfaceClass, text, &link)) {
            *devicePath = link;
            found = true;
        }
    }
    return found;
}

bool FindLinkedInterface(const std::string& text, std::string* devicePath,
                         const PortDiscoveryLog& log) {
    const std::string classPath = DeviceClassKey(kUsbPrintingClass);
    const std::unique_ptr<platform::RegistryKey> classKey = OpenMachineKey(classPath);
    if (classKey == nullptr) {
        Write(log, "Could not open the Device Classes registry key");
        return false;
    }
    return ScanSubkeys(*classKey, [&](const std::string& instance) {
        const std::string interfacePath = classPath + "\\" + instance + "\\#";
        std::uint32_t linked = 0;
        if (!ReadNumber(interfacePath + "\\Control", "Linked", &linked) || linked != 1) {
            return false;
        }
        std::string link;
        if (!ReadText(interfacePath, "SymbolicLink", &link) ||
            link.find(text) == std::string::npos) {
            return false;
        }
        *devicePath = link;
        return true;
    });
}

}  // namespace

bool FindDevicePathOf(const std::string& text, SelectorOs os, std::string* devicePath,
                      const PortDiscoveryLog& log) {
    switch (os) {
        case SelectorOs::Windows98:
        case SelectorOs::WindowsMe:
            return FindInMakerClasses(text, devicePath);
        case SelectorOs::Windows2000:
        case SelectorOs::WindowsXp:
        case SelectorOs::Server2003:
            return FindLinkedInterface(text, devicePath, log);
        default:
            return false;
    }
}

int FindNetworkAddressOfPort(const std::string& portName, std::string* address,
                             const PortDiscoveryLog& log) {
    bool portSeen = false;
    bool found = false;
    const bool opened = VisitMonitorPortKeys(portName, [&](platform::RegistryKey& portKey) {
        portSeen = true;
        std::string text;
        if (ReadText(portKey, "OrvikNetworkPrinterID", &text) &&
            text.compare(0, 6, "TCPIP,") == 0) {
            const std::string rest = text.substr(6);
            text = rest.substr(0, rest.find(','));
        } else if (!ReadText(portKey, "IPAddress", &text)) {
            return MonitorVisit::NextMonitor;
        } else if (text.empty()) {
            if (!ReadText(portKey, "HostName", &text)) {
                Write(log, "Accessing Host Name from the registry has failed");
                return MonitorVisit::NextMonitor;
            }
            if (text.empty()) {
                Write(log, "No Host Name is obtained for this particular printer");
                return MonitorVisit::NextMonitor;
            }
        }
        if (text.empty()) return MonitorVisit::NextMonitor;
        *address = text;
        found = true;
        return MonitorVisit::Stop;
    });
    if (!opened || !portSeen) Write(log, "Unable to detect registry information of Printer.");
    return found ? 1 : 0;
}
