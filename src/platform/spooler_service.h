#pragma once
/// The service control calls that stop and start the print spooler. Windows: the service
/// control manager. POSIX has no spooler that holds a raw printer device, so every call fails.

#include <cstdint>

namespace platform {

/// A service control manager or service handle; kNoService when none.
using ServiceHandle = std::intptr_t;
constexpr ServiceHandle kNoService = 0;

/// Win32 codes the spooler wait looks at.
constexpr std::uint32_t kServiceStopped = 1;            // SERVICE_STOPPED
constexpr std::uint32_t kErrorServiceNotActive = 1062;  // ERROR_SERVICE_NOT_ACTIVE
constexpr std::uint32_t kErrorTimeout = 1460;           // ERROR_TIMEOUT

enum class ServiceRights {
    StopQueryInterrogate,  // SERVICE_STOP | SERVICE_QUERY_STATUS | SERVICE_INTERROGATE
    Start                  // SERVICE_START
};

/// What an interrogation reports (SERVICE_STATUS).
struct ServiceStatus {
    std::uint32_t currentState = 0;
    std::uint32_t checkPoint = 0;
    std::uint32_t waitHint = 0;
};

class SpoolerService {
public:
    virtual ~SpoolerService() = default;

    static SpoolerService& System();

    /// Connects to the local service control manager.
    virtual ServiceHandle OpenManager() = 0;
    virtual ServiceHandle Open(ServiceHandle manager, const char* name, ServiceRights rights) = 0;
    /// Sends the stop control.
    virtual bool Stop(ServiceHandle service) = 0;
    /// Sends the interrogate control; `*status` is what the service reported.
    virtual bool Interrogate(ServiceHandle service, ServiceStatus* status) = 0;
    virtual bool Start(ServiceHandle service) = 0;
    virtual void Close(ServiceHandle handle) = 0;
    virtual std::uint32_t LastError() = 0;
};

}  // namespace platform
