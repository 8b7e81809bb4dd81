#include "printerio/monitor_ports.h"

#include "printerio/registry_reads.h"

namespace {

const char* const kMonitors = "SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors";

}  // namespace

bool VisitMonitorPortKeys(
    const std::string& portName,
    const std::function<MonitorVisit(platform::RegistryKey& portKey)>& visit) {
    const std::unique_ptr<platform::RegistryKey> monitors = OpenMachineKey(kMonitors);
    if (monitors == nullptr) return false;
    ScanSubkeys(*monitors, [&](const std::string& monitor) {
        const std::string portsPath = std::string(kMonitors) + "\\" + monitor + "\\Ports";
        const std::unique_ptr<platform::RegistryKey> ports = OpenMachineKey(portsPath);
        if (ports == nullptr) return false;
        bool stop = false;
        // A monitor has a port once: the scan of its ports ends at the first equal name.
        ScanSubkeys(*ports, [&](const std::string& port) {
            if (port != portName) return false;
            const std::unique_ptr<platform::RegistryKey> portKey =
                OpenMachineKey(portsPath + "\\" + port);
            stop = portKey != nullptr && visit(*portKey) == MonitorVisit::Stop;
            return true;
        });
        return stop;
    });
    return true;
}
