#include "launcher/selector_location.h"

#include "platform/registry.h"

const char* const kLauncherInstallationKey = "SOFTWARE\\Orvik\\Plotara TroubleShooter";

namespace {

/// MAX_PATH: the size the registry is told for either value.
constexpr std::size_t kValueBuffer = 260;

bool ReadValue(platform::RegistryKey& key, const std::string& name, std::string* text) {
    platform::RegistryValue value;
    if (key.QueryValue(name, kValueBuffer, &value) != platform::RegistryStatus::Ok) return false;
    // The value's type is not looked at; the text ends at its first NUL, as a C string would.
    *text = value.data.substr(0, value.data.find('\0'));
    return true;
}

}  // namespace

std::string SelectorLocation::ProgramPath() const { return folder + "\\" + program; }

bool ReadSelectorLocation(const std::string& key, SelectorLocation* location,
                          std::string* failure) {
    // Write access too, as the installer's other programs open this key: a user who may not
    // write it gets the same failure as when the key is missing.
    const auto opened = platform::RegistryKey::Open(platform::RegistryRoot::LocalMachine, key,
                                                    platform::RegistryAccess::QueryAndWrite);
    if (!opened) {
        *failure = "Failed to access Path and Executable name.";
        return false;
    }
    if (!ReadValue(*opened, "PATH", &location->folder)) {
        *failure = "Failed to access Path Name";
        return false;
    }
    if (!ReadValue(*opened, "SELECTOR_EXE", &location->program)) {
        *failure = "Failed to access Executable Name.";
        return false;
    }
    return true;
}
