#include "selector/installation_path.h"

#include "platform/registry.h"

namespace {

/// The engine's folder is read into a MAX_PATH buffer.
constexpr std::size_t kPathBuffer = 260;

}  // namespace

bool ReadInstallationPath(const std::string& installationKey, std::string* path) {
    const auto key = platform::RegistryKey::Open(platform::RegistryRoot::LocalMachine,
                                                 installationKey, platform::RegistryAccess::Read);
    if (!key) return false;
    platform::RegistryValue value;
    if (key->QueryValue("PATH", kPathBuffer, &value) != platform::RegistryStatus::Ok ||
        value.type != platform::RegistryType::String) {
        return false;
    }
    *path = value.data.substr(0, value.data.find('\0'));
    return true;
}
