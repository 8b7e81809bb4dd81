// The user's proxy must not intercept the browser's way to this engine or to the printer.

#include <cstdint>

#include "base/log.h"
#include "engine/engine.h"
#include "engine/proxy_bypass_list.h"
#include "platform/registry.h"
#include "platform/user_shell.h"

using engine_log::Line;
using engine_log::Log;

namespace {

const char* const kInternetSettingsKey =
    "Software\\Microsoft\\Windows\\currentversion\\Internet Settings";
const char* const kCannotQuery = "Proxy settings can not be queried from the registry";

// A DWORD as the registry stores it: little-endian bytes.
std::uint32_t DWordOf(const std::string& bytes) {
    std::uint32_t number = 0;
    for (std::size_t i = 0; i < bytes.size() && i < 4; ++i) {
        number |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
    }
    return number;
}

}  // namespace

bool CEngine::CheckProxyBypass() {
    using platform::RegistryStatus;
    const auto key =
        platform::RegistryKey::Open(platform::RegistryRoot::CurrentUser, kInternetSettingsKey,
                                    platform::RegistryAccess::QueryAndWrite);
    const bool settingsExist =
        key || platform::RegistryKey::Open(platform::RegistryRoot::CurrentUser,
                                           kInternetSettingsKey, platform::RegistryAccess::Read);
    if (!settingsExist) {
        // Settings nobody ever made send nothing through a proxy.
        Log(Line::Forced, "Bypass Proxy need not be added.");
        return true;
    }
    if (!key) {
        Log(Line::Forced, kCannotQuery);
        return false;
    }
    platform::RegistryValue enable;
    const RegistryStatus enableRead = key->QueryValue("ProxyEnable", 4, &enable);
    if (enableRead != RegistryStatus::Ok && enableRead != RegistryStatus::NotFound) {
        Log(Line::Forced, kCannotQuery);
        return false;
    }
    // A missing switch is a proxy never switched on.
    if (enableRead == RegistryStatus::NotFound || DWordOf(enable.data) != 1) {
        Log(Line::Forced, "Bypass Proxy need not be added.");
        return true;
    }
    platform::RegistryValue stored;
    std::string list;
    const RegistryStatus read = key->QueryValue("ProxyOverride", kProxyBypassListCapacity, &stored);
    if (read == RegistryStatus::Ok) {
        list = stored.data.substr(0, stored.data.find('\0'));
    } else if (read != RegistryStatus::NotFound) {
        Log(Line::Forced, kCannotQuery);
        return false;
    }

    const std::string printerAddress =
        GetPageVariable("prttype") == "ip" ? GetPageVariable("prtaddr") : std::string();
    const std::vector<ProxyBypassAddition> additions =
        MissingProxyBypassEntries(list, GetLocalAddress(), printerAddress);
    const std::string extended = WithProxyBypassEntries(list, additions);
    // A list cut to fit its buffer would lose or split an entry: the user's list stays as it
    // is, and the proxy page asks the user to make room.
    if (extended.size() >= kProxyBypassListCapacity) {
        Log(Line::Forced,
            "Proxy settings cannot be modified: the bypass list would not fit in 260 bytes.");
        return false;
    }
    for (const ProxyBypassAddition& addition : additions) Log(Line::Forced, addition.logLine);
    key->SetString("ProxyOverride", extended);
    platform::UserShell::System().NotifyInternetSettingsChanged();
    return true;
}
