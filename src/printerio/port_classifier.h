#pragma once
/// The launcher's port discovery: the connection class and address of one spooler port.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/os_version.h"
#include "platform/setup_library.h"

class CPortClassifier {
public:
    enum : std::int32_t {
        kNotMapped = 0,
        kFile = 1,
        kParallel = 2,
        kSerial = 3,
        kIeee1394 = 4,
        kUsb = 5,
        kNetwork = 6
    };
    static constexpr std::size_t kAddressSize = 260;

    /// What the classifier asks of the system; a test gives its own.
    struct System {
        bool versionKnown;
        platform::OsVersion version;
        platform::SetupLibraryLoader loadSetup;
    };

    /// Over the running system.
    CPortClassifier();
    explicit CPortClassifier(System system);
    CPortClassifier(const CPortClassifier&) = delete;
    CPortClassifier& operator=(const CPortClassifier&) = delete;
    /// Releases the setup library if a port number 0 loaded it.
    ~CPortClassifier();

    /// The class of `portName`, with its address in `address` (empty for kNotMapped).
    std::int32_t Classify(const char* portName, char address[kAddressSize]);

private:
    bool IsWindows9x() const;
    bool IsNt5() const;
    std::int32_t ClassifyProductPort(const std::string& rest, std::string* address) const;
    std::int32_t ClassifyNumberedPort(bool ieee1394, int number, std::string* address);
    std::int32_t ClassifyByPortNumber(bool ieee1394, int number, std::string* address) const;
    std::int32_t ClassifyFirstPresent(bool ieee1394, std::string* address);
    std::int32_t ClassifyNetworkPort(const std::string& portName, std::string* address) const;

    System m_system;
    std::unique_ptr<platform::SetupLibrary> m_setup;  // loaded on first use, kept
};
