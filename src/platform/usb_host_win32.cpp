#include <windows.h>

#include "platform/usb_host.h"

namespace platform {

namespace {

class Win32UsbHostDevice : public UsbHostDevice {
public:
    explicit Win32UsbHostDevice(HANDLE handle) : m_handle(handle) {}
    Win32UsbHostDevice(const Win32UsbHostDevice&) = delete;
    Win32UsbHostDevice& operator=(const Win32UsbHostDevice&) = delete;
    ~Win32UsbHostDevice() override { CloseHandle(m_handle); }

    bool DeviceControl(std::uint32_t code, const void* in, std::uint32_t inSize, void* out,
                       std::uint32_t outSize, std::uint32_t* returned) override {
        DWORD count = 0;
        const BOOL ok = DeviceIoControl(m_handle, code, const_cast<void*>(in), inSize, out, outSize,
                                        &count, nullptr);
        *returned = count;
        return ok != FALSE;
    }

private:
    HANDLE m_handle;
};

class Win32UsbHost : public UsbHost {
public:
    std::unique_ptr<UsbHostDevice> Open(const std::string& path) override {
        HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return nullptr;
        return std::make_unique<Win32UsbHostDevice>(handle);
    }
};

}  // namespace

UsbHost& UsbHost::System() {
    static Win32UsbHost host;
    return host;
}

}  // namespace platform
