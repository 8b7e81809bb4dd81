#include "support/simulated_usb_bus.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

// The answers are the packed little-endian structures of the host controller driver.

// Root hub name: 32-bit size of the whole answer, then the UTF-16 name with its terminator.
constexpr std::uint32_t kRootHubNameHead = 4;
constexpr std::uint32_t kRootHubNameSmallest = 6;

// Node connection name: port number, 32-bit size of the whole answer, then the UTF-16 name.
constexpr std::uint32_t kConnectionNameHead = 8;
constexpr std::uint32_t kConnectionNameSmallest = 10;

// Node information: 32-bit node type (0, a hub), the hub descriptor, the bus-powered byte.
constexpr std::uint32_t kNodeInformationSize = 76;
constexpr std::size_t kHubDescriptor = 4;
constexpr std::size_t kHubIsBusPowered = 75;
constexpr std::uint8_t kHubDescriptorType = 0x29;

// Connection information: port number, device descriptor (18 bytes), configuration value,
// low-speed byte, device-is-hub byte, 16-bit address, 32-bit open pipe count, 32-bit status,
// then one record per open pipe: its endpoint descriptor (7 bytes) and a 32-bit schedule
// offset.
constexpr std::size_t kDeviceDescriptor = 4;
constexpr std::uint8_t kDeviceDescriptorSize = 18;
constexpr std::size_t kConfigurationValue = 22;
constexpr std::size_t kDeviceIsHub = 24;
constexpr std::size_t kDeviceAddress = 25;
constexpr std::size_t kOpenPipes = 27;
constexpr std::size_t kConnectionStatus = 31;
constexpr std::uint32_t kConnectionInformationHead = 35;
constexpr std::uint32_t kPipeRecordSize = 11;
constexpr std::uint32_t kConnected = 1;

// Descriptor request: port number, setup packet (request type, request, 16-bit value, index
// and length), then the descriptor as the device sent it.
constexpr std::uint32_t kDescriptorRequestHead = 12;
constexpr std::size_t kSetupValue = 6;
constexpr std::size_t kSetupLength = 10;
constexpr std::uint8_t kDeviceDescriptorType = 1;
constexpr std::uint8_t kStringDescriptorType = 3;

using Bytes = std::vector<std::uint8_t>;

void PutHalf(std::uint8_t* at, std::uint32_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

void PutWord(std::uint8_t* at, std::uint32_t value) {
    PutHalf(at, value);
    PutHalf(at + 2, value >> 16);
}

std::uint32_t HalfAt(const Bytes& bytes, std::size_t at) {
    return bytes[at] | (static_cast<std::uint32_t>(bytes[at + 1]) << 8);
}

std::uint32_t WordAt(const Bytes& bytes, std::size_t at) {
    return HalfAt(bytes, at) | (HalfAt(bytes, at + 2) << 16);
}

// `name` as UTF-16 with its terminator; device names are ASCII.
Bytes WideName(const std::string& name) {
    Bytes wide;
    for (char c : name) {
        wide.push_back(static_cast<std::uint8_t>(c));
        wide.push_back(0);
    }
    wide.push_back(0);
    wide.push_back(0);
    return wide;
}

// Copies what fits of `answer` into `out`; the count written.
std::uint32_t Deliver(const Bytes& answer, void* out, std::uint32_t outSize) {
    const auto count = std::min<std::uint32_t>(outSize, static_cast<std::uint32_t>(answer.size()));
    if (count > 0) std::memcpy(out, answer.data(), count);
    return count;
}

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

class SimulatedController : public platform::UsbHostDevice {
public:
    explicit SimulatedController(const SimulatedUsbBus::Controller& controller)
        : m_controller(controller) {}

    bool DeviceControl(std::uint32_t code, const void* /*in*/, std::uint32_t /*inSize*/, void* out,
                       std::uint32_t outSize, std::uint32_t* returned) override {
        *returned = 0;
        if (code != SimulatedUsbBus::kRootHubName || !m_controller.answersName) return false;
        if (outSize < kRootHubNameSmallest) return false;
        Bytes answer(kRootHubNameHead, 0);
        const Bytes name = WideName(m_controller.rootHub->name);
        answer.insert(answer.end(), name.begin(), name.end());
        PutWord(answer.data(), static_cast<std::uint32_t>(answer.size()));
        // Too small a buffer still succeeds with the size and the start of the name.
        *returned = Deliver(answer, out, outSize);
        return true;
    }

private:
    SimulatedUsbBus::Controller m_controller;
};

class SimulatedHub : public platform::UsbHostDevice {
public:
    explicit SimulatedHub(std::shared_ptr<SimulatedUsbBus::Hub> hub) : m_hub(std::move(hub)) {}

    bool DeviceControl(std::uint32_t code, const void* in, std::uint32_t inSize, void* out,
                       std::uint32_t outSize, std::uint32_t* returned) override {
        *returned = 0;
        // Buffered requests share one system buffer: take the input before writing output.
        const auto* first = static_cast<const std::uint8_t*>(in);
        const Bytes input(first, first + (in != nullptr ? inSize : 0));
        Bytes answer;
        bool ok = false;
        switch (code) {
            case SimulatedUsbBus::kNodeInformation:
                ok = outSize >= kNodeInformationSize && NodeInformation(&answer);
                break;
            case SimulatedUsbBus::kNodeConnectionInformation:
                ok = outSize >= kConnectionInformationHead &&
                     ConnectionInformation(input, outSize, &answer);
                break;
            case SimulatedUsbBus::kDescriptorFromNodeConnection:
                ok = outSize >= kDescriptorRequestHead && Descriptor(input, outSize, &answer);
                break;
            case SimulatedUsbBus::kNodeConnectionName:
                ok = outSize >= kConnectionNameSmallest && ConnectionName(input, &answer);
                break;
            default:
                break;
        }
        if (ok) *returned = Deliver(answer, out, outSize);
        return ok;
    }

private:
    // The device on the port the request names; null for a port the hub does not have.
    const SimulatedUsbBus::Device* PortOf(const Bytes& input, bool* exists) const {
        *exists = false;
        if (input.size() < 4) return nullptr;
        const std::uint32_t port = WordAt(input, 0);
        if (port == 0 || port > static_cast<std::uint32_t>(m_hub->portCount)) return nullptr;
        *exists = true;
        const auto found = m_hub->ports.find(static_cast<int>(port));
        return found == m_hub->ports.end() ? nullptr : &found->second;
    }

    bool NodeInformation(Bytes* answer) const {
        answer->assign(kNodeInformationSize, 0);
        const int ports = m_hub->portCount;
        // Two bit maps, one bit per port and bit 0 reserved: devices removable, power mask.
        const int mapBytes = (ports + 1 + 7) / 8;
        std::uint8_t* descriptor = answer->data() + kHubDescriptor;
        descriptor[0] = static_cast<std::uint8_t>(7 + 2 * mapBytes);
        descriptor[1] = kHubDescriptorType;
        descriptor[2] = static_cast<std::uint8_t>(ports);
        PutHalf(descriptor + 3, 0x0009);  // individual power switching and over-current
        descriptor[5] = 50;               // power on to power good, in 2 ms units
        descriptor[6] = m_hub->isRoot ? 0 : 100;
        for (int i = 0; i < mapBytes; ++i) descriptor[7 + mapBytes + i] = 0xFF;
        (*answer)[kHubIsBusPowered] = m_hub->isRoot ? 0 : 1;
        return true;
    }

    static void PutDeviceDescriptor(const SimulatedUsbBus::Device& device, std::uint8_t* at) {
        at[0] = kDeviceDescriptorSize;
        at[1] = kDeviceDescriptorType;
        PutHalf(at + 2, 0x0200);
        at[4] = device.hub ? 9 : 0;  // hubs say their class here, printers per interface
        at[7] = 64;
        PutHalf(at + 8, device.vendorId);
        PutHalf(at + 10, device.productId);
        PutHalf(at + 12, 0x0100);
        at[15] = device.productIndex;
        at[16] = device.serialIndex;
        at[17] = 1;
    }

    // A printer keeps a bulk pipe each way open; a hub its interrupt pipe.
    static Bytes OpenPipes(const SimulatedUsbBus::Device& device) {
        Bytes pipes;
        auto add = [&pipes](std::uint8_t endpoint, std::uint8_t kind, std::uint16_t size,
                            std::uint8_t interval) {
            const std::uint8_t record[kPipeRecordSize] = {7,
                                                          5,
                                                          endpoint,
                                                          kind,
                                                          static_cast<std::uint8_t>(size),
                                                          static_cast<std::uint8_t>(size >> 8),
                                                          interval,
                                                          0,
                                                          0,
                                                          0,
                                                          0};
            pipes.insert(pipes.end(), record, record + kPipeRecordSize);
        };
        if (device.hub) {
            add(0x81, 3, 1, 12);
        } else {
            add(0x01, 2, 64, 0);
            add(0x82, 2, 64, 0);
        }
        return pipes;
    }

    bool ConnectionInformation(const Bytes& input, std::uint32_t outSize, Bytes* answer) const {
        bool exists = false;
        const SimulatedUsbBus::Device* device = PortOf(input, &exists);
        if (!exists) return false;
        answer->assign(kConnectionInformationHead, 0);
        std::uint8_t* at = answer->data();
        PutWord(at, WordAt(input, 0));
        if (device == nullptr) return true;  // nothing connected: status 0
        PutWord(at + kConnectionStatus, device->status);
        if (device->status != kConnected) return true;
        PutDeviceDescriptor(*device, at + kDeviceDescriptor);
        at[kConfigurationValue] = 1;
        at[kDeviceIsHub] = device->hub ? 1 : 0;
        PutHalf(at + kDeviceAddress, device->address);
        // Only whole pipe records that fit are given, and counted.
        Bytes pipes = OpenPipes(*device);
        const std::uint32_t room = (outSize - kConnectionInformationHead) / kPipeRecordSize;
        const auto count = std::min<std::uint32_t>(
            room, static_cast<std::uint32_t>(pipes.size() / kPipeRecordSize));
        PutWord(answer->data() + kOpenPipes, count);
        answer->insert(answer->end(), pipes.begin(), pipes.begin() + count * kPipeRecordSize);
        return true;
    }

    bool Descriptor(const Bytes& input, std::uint32_t outSize, Bytes* answer) const {
        if (input.size() < kDescriptorRequestHead) return false;
        bool exists = false;
        const SimulatedUsbBus::Device* device = PortOf(input, &exists);
        if (device == nullptr || device->status != kConnected) return false;
        const std::uint32_t value = HalfAt(input, kSetupValue);
        const std::uint8_t type = static_cast<std::uint8_t>(value >> 8);
        const std::uint8_t index = static_cast<std::uint8_t>(value);
        Bytes sent;
        if (type == kDeviceDescriptorType && index == 0) {
            sent.assign(kDeviceDescriptorSize, 0);
            PutDeviceDescriptor(*device, sent.data());
        } else if (type == kStringDescriptorType && index == 0) {
            sent = {4, kStringDescriptorType, 0x09, 0x04};
        } else if (type == kStringDescriptorType) {
            const auto found = device->strings.find(index);
            if (found == device->strings.end() || found->second.fails) return false;
            sent = found->second.bytes;
        } else {
            return false;  // the device stalls what it does not have
        }
        // The device sends no more than the setup packet asks for, the hub no more than fits.
        const std::size_t limit =
            std::min<std::size_t>(HalfAt(input, kSetupLength), outSize - kDescriptorRequestHead);
        if (sent.size() > limit) sent.resize(limit);
        answer->assign(input.begin(), input.begin() + kDescriptorRequestHead);
        answer->insert(answer->end(), sent.begin(), sent.end());
        return true;
    }

    bool ConnectionName(const Bytes& input, Bytes* answer) const {
        bool exists = false;
        const SimulatedUsbBus::Device* device = PortOf(input, &exists);
        if (device == nullptr || device->status != kConnected || !device->hub) return false;
        const Bytes name = WideName(device->hub->name);
        answer->assign(kConnectionNameHead, 0);
        PutWord(answer->data(), WordAt(input, 0));
        PutWord(answer->data() + 4, static_cast<std::uint32_t>(kConnectionNameHead + name.size()));
        answer->insert(answer->end(), name.begin(), name.end());
        return true;
    }

    std::shared_ptr<SimulatedUsbBus::Hub> m_hub;
};

}  // namespace

std::unique_ptr<platform::UsbHostDevice> SimulatedUsbBus::Open(const std::string& path) {
    m_openAttempts.push_back(path);
    static const std::string kDevicePrefix = "\\\\.\\";
    if (path.compare(0, kDevicePrefix.size(), kDevicePrefix) != 0) return nullptr;
    const std::string name = path.substr(kDevicePrefix.size());
    for (const auto& entry : m_controllers) {
        if (SameName(name, "HCD" + std::to_string(entry.first))) {
            return std::make_unique<SimulatedController>(entry.second);
        }
    }
    std::shared_ptr<Hub> hub = FindHub(name);
    if (!hub || !hub->opens) return nullptr;
    return std::make_unique<SimulatedHub>(hub);
}

std::shared_ptr<SimulatedUsbBus::Hub> SimulatedUsbBus::FindHub(const std::string& name) const {
    for (const auto& hub : m_hubs) {
        if (SameName(hub->name, name)) return hub;
    }
    return nullptr;
}
