#include <windows.h>

#include "platform/spooler_service.h"

namespace platform {

namespace {

SC_HANDLE AsHandle(ServiceHandle handle) { return reinterpret_cast<SC_HANDLE>(handle); }

class Win32SpoolerService : public SpoolerService {
public:
    ServiceHandle OpenManager() override {
        return reinterpret_cast<ServiceHandle>(
            OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    }

    ServiceHandle Open(ServiceHandle manager, const char* name, ServiceRights rights) override {
        const DWORD access = rights == ServiceRights::Start
                                 ? SERVICE_START
                                 : SERVICE_STOP | SERVICE_QUERY_STATUS | SERVICE_INTERROGATE;
        return reinterpret_cast<ServiceHandle>(OpenServiceA(AsHandle(manager), name, access));
    }

    bool Stop(ServiceHandle service) override {
        SERVICE_STATUS status{};
        return ControlService(AsHandle(service), SERVICE_CONTROL_STOP, &status) != FALSE;
    }

    bool Interrogate(ServiceHandle service, ServiceStatus* status) override {
        SERVICE_STATUS system{};
        if (!ControlService(AsHandle(service), SERVICE_CONTROL_INTERROGATE, &system)) {
            return false;
        }
        status->currentState = system.dwCurrentState;
        status->checkPoint = system.dwCheckPoint;
        status->waitHint = system.dwWaitHint;
        return true;
    }

    bool Start(ServiceHandle service) override {
        return StartServiceA(AsHandle(service), 0, nullptr) != FALSE;
    }

    void Close(ServiceHandle handle) override {
        if (handle != kNoService) CloseServiceHandle(AsHandle(handle));
    }

    std::uint32_t LastError() override { return GetLastError(); }
};

}  // namespace

SpoolerService& SpoolerService::System() {
    static Win32SpoolerService service;
    return service;
}

}  // namespace platform
