#include "selector/printer_web_page.h"

#include <cstdint>

#include "platform/registry.h"
#include "selector/selector_log.h"

using platform::RegistryKey;
using platform::RegistryRoot;
using platform::RegistryStatus;

namespace {

const char* const kCannotQuery = "Proxy settings can not be queried from the registry";
// Windows keeps no limit on the list this small; a longer list is simply not read.
constexpr std::size_t kProxyListBuffer = 4096;
constexpr std::size_t kBrowserCommandBuffer = 1024;

std::uint32_t DWordOf(const std::string& bytes) {
    std::uint32_t number = 0;
    for (std::size_t i = 0; i < bytes.size() && i < 4; ++i) {
        number |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
    }
    return number;
}

// False when the list should have been updated and could not be.
bool BypassProxyFor(const std::string& printerAddress, SelectorLog& log, platform::UserShell& shell,
                    const PrinterWebPageKeys& keys) {
    const auto key = RegistryKey::Open(RegistryRoot::CurrentUser, keys.internetSettings,
                                       platform::RegistryAccess::QueryAndWrite);
    if (!key) {
        log.Write(kCannotQuery);
        return false;
    }
    platform::RegistryValue enable;
    const RegistryStatus enableRead = key->QueryValue("ProxyEnable", 4, &enable);
    if (enableRead != RegistryStatus::Ok && enableRead != RegistryStatus::NotFound) {
        log.Write(kCannotQuery);
        return false;
    }
    // A switch never set is a proxy never switched on.
    if (enableRead == RegistryStatus::NotFound || DWordOf(enable.data) != 1) {
        log.Write("Bypass Proxy need not be added.");
        return true;
    }
    platform::RegistryValue stored;
    std::string list;
    const RegistryStatus listRead = key->QueryValue("ProxyOverride", kProxyListBuffer, &stored);
    if (listRead == RegistryStatus::Ok) {
        list = stored.data.substr(0, stored.data.find('\0'));
    } else if (listRead != RegistryStatus::NotFound) {
        log.Write(kCannotQuery);
        return false;
    }
    if (list.find(printerAddress) == std::string::npos) {
        log.Write("Proxy settings have been modified to contain printer's IP Address.");
        if (!list.empty()) list += ";";
        list += printerAddress;
    }
    const bool written = key->SetString("ProxyOverride", list);
    if (!written) log.Write("Proxy settings can't be reset");
    shell.NotifyInternetSettingsChanged();
    return written;
}

bool ReadBrowserCommand(const PrinterWebPageKeys& keys, std::string* command) {
    const auto key = RegistryKey::Open(RegistryRoot::ClassesRoot, keys.browserCommand,
                                       platform::RegistryAccess::Read);
    if (!key) return false;
    platform::RegistryValue value;
    if (key->QueryValue("", kBrowserCommandBuffer, &value) != RegistryStatus::Ok) return false;
    *command = value.data.substr(0, value.data.find('\0'));
    return true;
}

}  // namespace

std::string SelectorBrowserProgram(const std::string& command) {
    if (!command.empty() && command[0] == '"') {
        // The program ends at the blank before the first option; a closing quote before that
        // ends it sooner, so a "-" within the quoted path or options without "-" still leave
        // the program whole.
        const std::size_t closing = command.find('"', 1);
        if (closing != std::string::npos) return command.substr(1, closing - 1);
        const std::size_t dash = command.find('-');
        if (dash == std::string::npos) return std::string();
        std::size_t end = dash;
        if (command[end - 1] == ' ') --end;
        return command.substr(1, end - 1);
    }
    const std::size_t dot = command.find('.');
    if (dot == std::string::npos) return std::string();
    return command.substr(0, dot + 4);
}

void OpenPrinterWebPage(const std::string& column2Text, SelectorLog& log,
                        platform::UserShell& shell, const PrinterWebPageKeys& keys) {
    const std::string address = "http://" + column2Text;
    if (!BypassProxyFor(column2Text, log, shell, keys)) {
        log.Write("Proxy settings bypass list can not be updated to contain Printer's IP Address.");
    }
    std::string command;
    const std::string program =
        ReadBrowserCommand(keys, &command) ? SelectorBrowserProgram(command) : std::string();
    if (program.empty()) {
        log.Write("The default browser couldn't be determined.");
        shell.Open(address, "");
        return;
    }
    log.Write("Using default browser");
    shell.Open(program, address);
}
