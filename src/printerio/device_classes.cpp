#include "printerio/device_classes.h"

#include <cstdint>
#include <memory>

#include "printerio/registry_reads.h"

const char* const kUsbPrintingClass = "{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
const char* const kMakerClasses[3] = {"{9b3f6c12-d554-11d3-8e47-00508b2c6e71}",
                                      "{4a8e2f31-7c6d-11d4-9a3b-00508b2c6e71}",
                                      "{7c1e5a20-3b9d-4f61-8e2a-5d0c9b7a4e13}"};

std::string DeviceClassKey(const std::string& interfaceClass) {
    return "SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\" + interfaceClass;
}

bool FindLinkByDeviceInstance(const std::string& interfaceClass, const std::string& text,
                              std::string* link) {
    const std::string classPath = DeviceClassKey(interfaceClass);
    const std::unique_ptr<platform::RegistryKey> classKey = OpenMachineKey(classPath);
    if (classKey == nullptr) return false;
    return ScanSubkeys(*classKey, [&](const std::string& instance) {
        const std::string instancePath = classPath + "\\" + instance;
        std::string deviceInstance;
        return ReadText(instancePath, "DeviceInstance", &deviceInstance) &&
               deviceInstance.find(text) != std::string::npos &&
               ReadText(instancePath + "\\#", "SymbolicLink", link);
    });
}
