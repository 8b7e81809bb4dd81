#include "printerio/registry_reads.h"

using platform::RegistryKey;
using platform::RegistryStatus;
using platform::RegistryValue;

std::unique_ptr<RegistryKey> OpenMachineKey(const std::string& path) {
    return RegistryKey::Open(platform::RegistryRoot::LocalMachine, path,
                             platform::RegistryAccess::Full);
}

bool ReadText(RegistryKey& key, const std::string& name, std::string* text,
              std::size_t bufferSize) {
    RegistryValue value;
    if (key.QueryValue(name, bufferSize, &value) != RegistryStatus::Ok) return false;
    *text = value.data.substr(0, value.data.find('\0'));
    return true;
}

bool ReadText(const std::string& path, const std::string& name, std::string* text,
              std::size_t bufferSize) {
    const std::unique_ptr<RegistryKey> key = OpenMachineKey(path);
    return key != nullptr && ReadText(*key, name, text, bufferSize);
}

bool ReadNumber(RegistryKey& key, const std::string& name, std::uint32_t* number) {
    RegistryValue value;
    if (key.QueryValue(name, 4, &value) != RegistryStatus::Ok ||
        value.type != platform::RegistryType::DWord || value.data.size() != 4) {
        return false;
    }
    std::uint32_t read = 0;
    for (int i = 3; i >= 0; --i) read = (read << 8) | static_cast<unsigned char>(value.data[i]);
    *number = read;
    return true;
}

bool ReadNumber(const std::string& path, const std::string& name, std::uint32_t* number) {
    const std::unique_ptr<RegistryKey> key = OpenMachineKey(path);
    return key != nullptr && ReadNumber(*key, name, number);
}

bool ScanSubkeys(RegistryKey& key, const std::function<bool(const std::string&)>& visit) {
    for (std::uint32_t index = 0; index < kSubkeyScanLimit; ++index) {
        std::string name;
        const RegistryStatus status = key.EnumSubkey(index, &name);
        if (status == RegistryStatus::NoMoreItems || status == RegistryStatus::Failed ||
            status == RegistryStatus::NotFound) {
            break;
        }
        if (status == RegistryStatus::Ok && visit(name)) return true;
    }
    return false;
}
