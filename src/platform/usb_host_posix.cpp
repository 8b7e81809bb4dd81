#include "platform/usb_host.h"

namespace platform {

namespace {

// Linux shows its USB buses through sysfs and usbfs, not as host controller devices that
// answer the Windows requests: nothing here opens.
class PosixUsbHost : public UsbHost {
public:
    std::unique_ptr<UsbHostDevice> Open(const std::string& /*path*/) override { return nullptr; }
};

}  // namespace

UsbHost& UsbHost::System() {
    static PosixUsbHost host;
    return host;
}

}  // namespace platform
