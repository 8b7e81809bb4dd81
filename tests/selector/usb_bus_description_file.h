#pragma once
/// A simulated USB bus described by a file that a test may rewrite while the program runs: the
/// description is read again whenever a walk of the bus begins (controller 0 is opened), so
/// a printer can be plugged in or pulled out between two looks at the bus.

#include <memory>
#include <string>
#include <vector>

#include "platform/usb_host.h"
#include "support/simulated_usb_bus.h"

class UsbBusDescriptionFile : public platform::UsbHost {
public:
    /// The bus described at `path` now; null with `*error` when it cannot be read.
    static std::unique_ptr<UsbBusDescriptionFile> Load(const std::string& path, std::string* error);

    /// A walk of the bus opens controller 0 first: the description is read again then. A
    /// description that cannot be read at that moment leaves the bus as it was.
    std::unique_ptr<platform::UsbHostDevice> Open(const std::string& path) override;

private:
    explicit UsbBusDescriptionFile(std::string path) : m_path(std::move(path)) {}

    std::string m_path;
    /// Every bus read so far: a device still open keeps pointing into the bus it came from.
    std::vector<std::unique_ptr<SimulatedUsbBus>> m_buses;
};
