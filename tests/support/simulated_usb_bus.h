#pragma once
/// USB host controllers, hubs and devices in memory, answering the controller and hub
/// requests byte for byte as a host controller driver lays out its answers, so that the code
/// that reads the bus runs unchanged against printers that are not there.
///
/// A bus is described in a small line-based text. Each line is a keyword and its words,
/// separated by blanks; blank lines and lines starting with '#' are ignored. Numbers are
/// decimal, or hexadecimal after "0x".
///
///   controller <n> [roothub=<name>] [ports=<count>] [hub=open|closed|unnamed]
///       Host controller "\\.\HCD<n>", n from 0 to 9. Its root hub opens as "\\.\<name>"
///       (default "USB#ROOT_HUB#<n>") and has <count> ports (default 4, at most 255).
///       hub=closed: the root hub does not open; hub=unnamed: the controller does not answer
///       the root hub name request. The port lines after it belong to its root hub.
///   device <port> [product=<i>] [serial=<i>] [status=<code>] [vendor=<id>] [id=<id>]
///       A device on <port> of the current hub. <i>: the string index its device descriptor
///       gives (default 0, none). <code>: the connection status the hub reports (default 1,
///       connected; 0 nothing connected, 2 enumeration failed, 3 general failure, ...).
///   hub <port> [name=<name>] [ports=<count>]
///       A device that is a hub on <port> of the current hub, with <count> ports (default 4).
///       Without a name, the k-th such hub is "USB#HUB#<k>". Hub names are printable ASCII.
///       The port lines up to its "end" belong to it.
///   end
///       Closes the innermost open "hub".
///   string <i> text <text>
///       String <i> of the last device or hub: <text> is the rest of the line, UTF-8, sent as
///       a UTF-16 string descriptor.
///   string <i> bytes <byte> ...
///       String <i> as exactly these bytes (hexadecimal, at most 255), whatever they claim.
///   string <i> fails
///       The device stalls when string <i> is asked for.
///
/// Ports not named have nothing connected. A string that is not described stalls as well;
/// string 0 is the device's language list (English, United States).
///
/// Example:
///   controller 0 ports=2
///   device 1 product=2 serial=3
///   string 2 text PlotJet 500
///   string 3 text SN0001
///   hub 2
///     device 1 product=1
///     string 1 text Behind The Hub
///   end

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/usb_host.h"

class SimulatedUsbBus : public platform::UsbHost {
public:
    /// The request numbers a controller or hub answers.
    static constexpr std::uint32_t kRootHubName = 0x00220408;      // asked of a controller
    static constexpr std::uint32_t kNodeInformation = 0x00220408;  // asked of a hub
    static constexpr std::uint32_t kNodeConnectionInformation = 0x0022040C;
    static constexpr std::uint32_t kDescriptorFromNodeConnection = 0x00220410;
    static constexpr std::uint32_t kNodeConnectionName = 0x00220414;

    /// The bus `text` describes; null with `*error` ("line N: ...") when it is malformed.
    static std::unique_ptr<SimulatedUsbBus> FromText(const std::string& text,
                                                     std::string* error = nullptr);
    /// The bus the file at `path` describes; null with `*error` when it cannot be read or is
    /// malformed.
    static std::unique_ptr<SimulatedUsbBus> FromFile(const std::string& path,
                                                     std::string* error = nullptr);

    /// "\\.\HCD<n>" or "\\.\<hub name>", names compared without regard to case.
    std::unique_ptr<platform::UsbHostDevice> Open(const std::string& path) override;

    /// Every path asked of Open, in order, opened or not.
    const std::vector<std::string>& OpenAttempts() const { return m_openAttempts; }

    struct Hub;

    /// What one string index of a device answers.
    struct StringDescriptor {
        std::vector<std::uint8_t> bytes;
        bool fails = false;
    };

    struct Device {
        std::uint32_t status = 1;
        std::uint8_t productIndex = 0;
        std::uint8_t serialIndex = 0;
        std::uint16_t vendorId = 0;
        std::uint16_t productId = 0;
        std::uint8_t address = 0;
        std::map<std::uint8_t, StringDescriptor> strings;
        std::shared_ptr<Hub> hub;  // set when the device is a hub
    };

    struct Hub {
        std::string name;
        int portCount = 4;
        bool opens = true;
        bool isRoot = false;
        std::map<int, Device> ports;
    };

    struct Controller {
        bool answersName = true;
        std::shared_ptr<Hub> rootHub;
    };

private:
    std::shared_ptr<Hub> FindHub(const std::string& name) const;

    std::map<int, Controller> m_controllers;
    std::vector<std::shared_ptr<Hub>> m_hubs;  // root hubs and external hubs
    std::vector<std::string> m_openAttempts;
};
