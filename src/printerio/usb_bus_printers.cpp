#include "printerio/usb_bus_printers.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kHostControllers = 10;

// The host controller and hub requests. The root hub name (asked of a controller) and the node
// information (asked of a hub) share one number; the device opened tells them apart.
constexpr std::uint32_t kGetRootHubName = 0x00220408;
constexpr std::uint32_t kGetNodeInformation = 0x00220408;
constexpr std::uint32_t kGetNodeConnectionInformation = 0x0022040C;
constexpr std::uint32_t kGetDescriptorFromNodeConnection = 0x00220410;

// Root hub name: a 32-bit size of the whole answer, then the UTF-16 name. The first ask has
// room for the size and one character.
constexpr std::uint32_t kRootHubNameFirstAsk = 6;
constexpr std::size_t kRootHubNameText = 4;
// A hub name is a short device path; a larger size is taken as a broken answer.
constexpr std::uint32_t kRootHubNameLargest = 4096;

// Node information: a 32-bit node type, then the hub descriptor, whose third byte is the
// number of downstream ports.
constexpr std::uint32_t kNodeInformationSize = 76;
constexpr std::size_t kNodePortCount = 6;

// Connection information: the 32-bit port number, the 18-byte device descriptor from offset 4,
// then configuration, speed and hub bytes, the device address and the open pipe count, and
// the 32-bit connection status; room for 30 pipe records after it.
constexpr std::uint32_t kConnectionInformationSize = 365;
constexpr std::size_t kConnectionProductIndex = 4 + 15;  // iProduct of the device descriptor
constexpr std::size_t kConnectionSerialIndex = 4 + 16;   // iSerialNumber
constexpr std::size_t kConnectionDeviceIsHub = 24;
constexpr std::size_t kConnectionStatus = 31;
constexpr std::uint32_t kDeviceConnected = 1;

// Descriptor request: the 32-bit port number, the 8-byte setup packet, then the answer of up
// to 255 bytes. Read back, the answer starts with its own length and type bytes.
constexpr std::uint32_t kDescriptorRequestSize = 267;
constexpr std::size_t kSetupRequestType = 4;
constexpr std::size_t kSetupRequest = 5;
constexpr std::size_t kSetupValue = 6;
constexpr std::size_t kSetupIndex = 8;
constexpr std::size_t kSetupLength = 10;
constexpr std::size_t kDescriptorAnswer = 12;
constexpr std::uint16_t kStringDescriptorValue = 0x0300;  // descriptor type 3 in the high byte
constexpr std::uint16_t kLongestAnswer = 255;
constexpr std::uint8_t kStringDescriptorType = 3;

void PutWord(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void PutHalf(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<std::uint8_t>(value);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

std::uint32_t WordAt(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | bytes[at + i];
    return value;
}

// One request whose answer is read from `bytes`, sent as both input and output. The count
// returned is kept within the buffer, so no read goes past what was asked for.
bool Ask(platform::UsbHostDevice& device, std::uint32_t code, std::vector<std::uint8_t>& bytes,
         std::uint32_t* returned) {
    const auto size = static_cast<std::uint32_t>(bytes.size());
    *returned = 0;
    if (!device.DeviceControl(code, bytes.data(), size, bytes.data(), size, returned)) {
        return false;
    }
    if (*returned > size) *returned = size;
    return true;
}

// Hub names are plain ASCII device paths; anything else cannot name a device to the 8-bit
// open and becomes '?', as the system's own narrowing would make it.
std::string NarrowName(const std::vector<std::uint8_t>& bytes, std::uint32_t returned) {
    std::string name;
    for (std::size_t at = kRootHubNameText; at + 1 < returned; at += 2) {
        const unsigned unit = bytes[at] | (bytes[at + 1] << 8);
        if (unit == 0) break;
        name += unit < 0x80 ? static_cast<char>(unit) : '?';
    }
    return name;
}

std::string RootHubName(platform::UsbHostDevice& controller) {
    std::vector<std::uint8_t> first(kRootHubNameFirstAsk, 0);
    std::uint32_t returned = 0;
    if (!Ask(controller, kGetRootHubName, first, &returned) || returned < 4) return std::string();
    const std::uint32_t needed = WordAt(first, 0);
    if (needed <= kRootHubNameText || needed > kRootHubNameLargest) return std::string();
    std::vector<std::uint8_t> whole(needed, 0);
    if (!Ask(controller, kGetRootHubName, whole, &returned)) return std::string();
    return NarrowName(whole, returned);
}

int PortCount(platform::UsbHostDevice& hub) {
    std::vector<std::uint8_t> information(kNodeInformationSize, 0);
    std::uint32_t returned = 0;
    if (!Ask(hub, kGetNodeInformation, information, &returned) || returned <= kNodePortCount) {
        return 0;
    }
    return information[kNodePortCount];
}

// The text of a string descriptor of the device on `port`, or empty when it cannot be read or
// its answer does not hold together.
std::string StringDescriptor(platform::UsbHostDevice& hub, std::uint32_t port, std::uint8_t index) {
    std::vector<std::uint8_t> request(kDescriptorRequestSize, 0);
    PutWord(request, 0, port);
    request[kSetupRequestType] = 0;
    request[kSetupRequest] = 0;
    PutHalf(request, kSetupValue, static_cast<std::uint16_t>(kStringDescriptorValue + index));
    PutHalf(request, kSetupIndex, 0);
    PutHalf(request, kSetupLength, kLongestAnswer);
    std::uint32_t returned = 0;
    if (!Ask(hub, kGetDescriptorFromNodeConnection, request, &returned)) return std::string();
    if (returned <= kDescriptorAnswer) return std::string();
    const std::uint32_t length = request[kDescriptorAnswer];
    if (returned != length + kDescriptorAnswer || length == 0 || length % 2 != 0) {
        return std::string();
    }
    if (request[kDescriptorAnswer + 1] != kStringDescriptorType) return std::string();
    std::string text;
    for (std::size_t at = kDescriptorAnswer + 2; at < returned; at += 2) {
        if (request[at] != 0) text += static_cast<char>(request[at]);
    }
    return text;
}

void ListHubPorts(platform::UsbHostDevice& hub, std::vector<UsbBusPrinter>* printers) {
    const int ports = PortCount(hub);
    for (int port = 1; port <= ports; ++port) {
        std::vector<std::uint8_t> connection(kConnectionInformationSize, 0);
        PutWord(connection, 0, static_cast<std::uint32_t>(port));
        std::uint32_t returned = 0;
        if (!Ask(hub, kGetNodeConnectionInformation, connection, &returned) ||
            returned < kConnectionStatus + 4) {
            continue;
        }
        if (WordAt(connection, kConnectionStatus) != kDeviceConnected ||
            connection[kConnectionDeviceIsHub] != 0) {
            continue;
        }
        UsbBusPrinter printer;
        printer.serialNumber = StringDescriptor(hub, static_cast<std::uint32_t>(port),
                                                connection[kConnectionSerialIndex]);
        printer.product = StringDescriptor(hub, static_cast<std::uint32_t>(port),
                                           connection[kConnectionProductIndex]);
        printers->push_back(printer);
    }
}

}  // namespace

std::vector<UsbBusPrinter> ListUsbBusPrinters(platform::UsbHost& host) {
    std::vector<UsbBusPrinter> printers;
    for (int number = 0; number < kHostControllers; ++number) {
        const std::unique_ptr<platform::UsbHostDevice> controller =
            host.Open("\\\\.\\HCD" + std::to_string(number));
        if (!controller) continue;
        const std::string hubName = RootHubName(*controller);
        if (hubName.empty()) continue;
        const std::unique_ptr<platform::UsbHostDevice> hub = host.Open("\\\\.\\" + hubName);
        if (!hub) continue;
        ListHubPorts(*hub, &printers);
    }
    return printers;
}
