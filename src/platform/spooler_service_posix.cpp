#include <cerrno>

#include "platform/spooler_service.h"

namespace platform {

namespace {

// CUPS never holds a raw parallel or USB device open, so there is nothing to stop or start:
// the manager cannot be reached and the channels carry on without it.
class PosixSpoolerService : public SpoolerService {
public:
    ServiceHandle OpenManager() override { return kNoService; }
    ServiceHandle Open(ServiceHandle, const char*, ServiceRights) override { return kNoService; }
    bool Stop(ServiceHandle) override { return false; }
    bool Interrogate(ServiceHandle, ServiceStatus*) override { return false; }
    bool Start(ServiceHandle) override { return false; }
    void Close(ServiceHandle) override {}
    std::uint32_t LastError() override { return ENOSYS; }
};

}  // namespace

SpoolerService& SpoolerService::System() {
    static PosixSpoolerService service;
    return service;
}

}  // namespace platform
