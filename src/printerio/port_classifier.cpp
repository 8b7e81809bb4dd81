#include "printerio/port_classifier.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "printerio/device_classes.h"
#include "printerio/monitor_ports.h"
#include "printerio/registry_reads.h"

namespace {

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

/// The decimal number at the start of `text` as "%d" reads it: leading white space and a
/// sign are taken; false when no digit follows.
bool ReadDecimal(const std::string& text, int* number) {
    const char* start = text.c_str();
    char* end = nullptr;
    const long read = std::strtol(start, &end, 10);
    if (end == start) return false;
    *number = static_cast<int>(read);
    return true;
}

void CopyOut(const std::string& text, char* address) {
    const std::size_t length = std::min(text.size(), CPortClassifier::kAddressSize - 1);
    std::memcpy(address, text.data(), length);
    address[length] = '\0';
}

}  // namespace

CPortClassifier::CPortClassifier()
    : CPortClassifier(System{false, {}, &platform::LoadSetupLibrary}) {
    m_system.versionKnown = platform::QueryOsVersion(&m_system.version);
}

CPortClassifier::CPortClassifier(System system) : m_system(std::move(system)) {}

CPortClassifier::~CPortClassifier() = default;

bool CPortClassifier::IsWindows9x() const {
    return m_system.versionKnown && m_system.version.platformId == platform::kPlatformWindows9x &&
           m_system.version.major == 4;
}

bool CPortClassifier::IsNt5() const {
    return m_system.versionKnown && m_system.version.platformId == platform::kPlatformNt &&
           m_system.version.major == 5;
}

std::int32_t CPortClassifier::Classify(const char* portName, char address[kAddressSize]) {
    const std::string port = portName;
    std::string found;
    std::int32_t result = kNotMapped;
    int number = 0;
    if (IsWindows9x() && StartsWith(port, "USB/")) {
        result = ClassifyProductPort(port.substr(4), &found);
    } else if (StartsWith(port, "1394_") || StartsWith(port, "USB")) {
        const bool ieee1394 = StartsWith(port, "1394_");
        if (ReadDecimal(port.substr(ieee1394 ? 5 : 3), &number)) {
            result = ClassifyNumberedPort(ieee1394, number, &found);
        }
    } else if (port == "LPT1:" || port == "LPT2:" || port == "LPT3:") {
        result = kParallel;
        found = port;
    } else if (port == "COM1:" || port == "COM2:" || port == "COM3:" || port == "COM4:") {
        result = kSerial;
        found = port;
    } else if (port == "FILE:") {
        result = kFile;
        found = port;
    } else {
        result = ClassifyNetworkPort(port, &found);
    }
    if (result == kNotMapped) found.clear();
    CopyOut(found, address);
    return result;
}

std::int32_t CPortClassifier::ClassifyProductPort(const std::string& rest,
                                                  std::string* address) const {
    const std::size_t slash = rest.find('/');
    if (slash == std::string::npos || slash == 0 || slash + 1 == rest.size()) return kNotMapped;
    const std::string serial = rest.substr(slash + 1);
    for (const char* interfaceClass : kMakerClasses) {
        if (FindLinkByDeviceInstance(interfaceClass, serial, address)) return kUsb;
    }
    return kNotMapped;
}

std::int32_t CPortClassifier::ClassifyNumberedPort(bool ieee1394, int number,
                                                   std::string* address) {
    if (number != 0) return IsNt5() ? ClassifyByPortNumber(ieee1394, number, address) : kNotMapped;
    return ClassifyFirstPresent(ieee1394, address);
}

std::int32_t CPortClassifier::ClassifyByPortNumber(bool ieee1394, int number,
                                                   std::string* address) const {
    const std::string classPath = DeviceClassKey(kUsbPrintingClass);
    const std::unique_ptr<platform::RegistryKey> classKey = OpenMachineKey(classPath);
    if (classKey == nullptr) return kNotMapped;
    const bool found = ScanSubkeys(*classKey, [&](const std::string& instance) {
        const std::string interfacePath = classPath + "\\" + instance + "\\#";
        const std::string parameters = interfacePath + "\\Device Parameters";
        std::string baseName;
        if (ieee1394 && (!ReadText(parameters, "Base Name", &baseName) || baseName != "1394_")) {
            return false;
        }
        std::uint32_t portNumber = 0;
        if (!ReadNumber(parameters, "Port Number", &portNumber) ||
            portNumber != static_cast<std::uint32_t>(number)) {
            return false;
        }
        std::string link;
        if (!ReadText(interfacePath, "SymbolicLink", &link)) return false;
        if (link.find(ieee1394 ? "SBP2" : "USB") == std::string::npos) return false;
        *address = link;
        return true;
    });
    if (!found) return kNotMapped;
    return ieee1394 ? kIeee1394 : kUsb;
}

std::int32_t CPortClassifier::ClassifyFirstPresent(bool ieee1394, std::string* address) {
    if (m_setup == nullptr) m_setup = m_system.loadSetup();
    if (m_setup == nullptr) return kNotMapped;
    const std::unique_ptr<platform::SetupInterfaceList> list =
        m_setup->PresentInterfaces(kUsbPrintingClass);
    if (list == nullptr) return kNotMapped;
    const char* wanted = ieee1394 ? "sbp2" : "usb";
    for (std::uint32_t index = 0; list->Exists(index); ++index) {
        std::string path;
        if (!list->DevicePath(index, &path) || path.size() < 4) continue;
        const std::string shortened = path.substr(4);  // without "\\?\"
        if (StartsWith(shortened, wanted)) {
            *address = shortened;
            return ieee1394 ? kIeee1394 : kUsb;
        }
    }
    return kNotMapped;
}

std::int32_t CPortClassifier::ClassifyNetworkPort(const std::string& portName,
                                                  std::string* address) const {
    bool hostNameMissing = false;
    VisitMonitorPortKeys(portName, [&](platform::RegistryKey& portKey) {
        std::string text;
        if (ReadText(portKey, "OrvikNetworkPrinterID", &text) && StartsWith(text, "TCPIP,")) {
            const std::string rest = text.substr(6);
            *address = rest.substr(0, rest.find(','));
            return address->empty() ? MonitorVisit::NextMonitor : MonitorVisit::Stop;
        }
        if (!ReadText(portKey, "IPAddress", &text)) return MonitorVisit::NextMonitor;
        if (text.empty() && (!ReadText(portKey, "HostName", &text) || text.empty())) {
            hostNameMissing = true;
            return MonitorVisit::Stop;
        }
        *address = text;
        return MonitorVisit::Stop;
    });
    return !hostNameMissing && !address->empty() ? kNetwork : kNotMapped;
}
