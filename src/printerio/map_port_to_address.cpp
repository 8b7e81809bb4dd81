#include "printerio/map_port_to_address.h"

#include <cstring>
#include <string>

#include "printerio/registry_reads.h"

namespace {

const char* const kMonitors = "SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\";
const char* const kNetvara = "Orvik Netvara Port";
const char* const kStandardTcpIp = "Orvik Standard TCP/IP Port";
const char* const kStandardIpx = "Orvik Standard IPX/SPX Port";
const char* const kAppleTalk = "AppleTalk Printing Devices";
const char* const kTestPort = "Orvik Test Port";
const char* const kNetworkPrinterId = "OrvikNetworkPrinterID";
constexpr std::size_t kShortText = 32;

std::string PortKey(const char* monitor, const char* portName) {
    return std::string(kMonitors) + monitor + "\\Ports\\" + portName;
}

bool StartsWithAnyCase(const std::string& text, const char* prefix) {
    const std::size_t length = std::strlen(prefix);
    if (text.size() < length) return false;
    for (std::size_t i = 0; i < length; ++i) {
        char c = text[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != prefix[i]) return false;
    }
    return true;
}

void Fill(CChannelAddress* address, const std::string& text, std::int32_t kind) {
    address->SetAddress(text.c_str());
    address->SetKind(kind);
}

bool FromTestPort(const char* portName, CChannelAddress* address) {
    std::string id;
    if (!ReadText(PortKey(kTestPort, portName), kNetworkPrinterId, &id)) return false;
    Fill(address, id, CChannelAddress::kKindTcpIp);
    return true;
}

}  // namespace

bool MapPortToAddress(const char* portName, CChannelAddress* address) {
    return MapPortToAddress(portName, UsbPortTable::Process(), address);
}

bool MapPortToAddress(const char* portName, const UsbPortTable& usbPorts,
                      CChannelAddress* address) {
    if (std::strncmp(portName, "LPT", 3) == 0) {
        Fill(address, portName, CChannelAddress::kKindParallel);
        return true;
    }

    std::string id;
    if (ReadText(PortKey(kNetvara, portName), kNetworkPrinterId, &id)) {
        if (StartsWithAnyCase(id, "TCPIP,")) {
            Fill(address, id.substr(6), CChannelAddress::kKindTcpIp);
            return true;
        }
        if (StartsWithAnyCase(id, "IPX,")) {
            Fill(address, id.substr(4), CChannelAddress::kKindIpx);
            return true;
        }
        // A Netvara port of another transport is known to none of the monitors between.
        return FromTestPort(portName, address);
    }

    const std::unique_ptr<platform::RegistryKey> tcpIp =
        OpenMachineKey(PortKey(kStandardTcpIp, portName));
    std::string host;
    if (tcpIp != nullptr && ((ReadText(*tcpIp, "HostName", &host) && !host.empty()) ||
                             ReadText(*tcpIp, "IPAddress", &host))) {
        Fill(address, host, CChannelAddress::kKindTcpIp);
        return true;
    }

    if (const char* devicePath = usbPorts.DevicePathOf(portName)) {
        Fill(address, devicePath, CChannelAddress::kKindUsb);
        return true;
    }

    std::string netNumber;
    std::string node;
    const std::string ipxKey = PortKey(kStandardIpx, portName);
    if (ReadText(ipxKey, "NetNum", &netNumber, kShortText) &&
        ReadText(ipxKey, "HWAddress", &node)) {
        Fill(address, netNumber + "." + node, CChannelAddress::kKindIpx);
        return true;
    }

    std::string objectName;
    std::string zone;
    const std::string appleTalkKey = PortKey(kAppleTalk, portName);
    if (ReadText(appleTalkKey, "Port Name", &objectName, kShortText) &&
        ReadText(appleTalkKey, "Zone Name", &zone)) {
        Fill(address, objectName, CChannelAddress::kKindAppleTalk);
        address->SetZone(zone.c_str());
        return true;
    }

    return FromTestPort(portName, address);
}
