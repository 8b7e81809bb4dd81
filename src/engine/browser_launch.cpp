// The engine has no window: the user sees it through the browser registered for "http".

#include <string>

#include "base/log.h"
#include "engine/browser_command.h"
#include "engine/engine.h"
#include "http/engine_port.h"
#include "platform/registry.h"
#include "platform/user_shell.h"

using engine_log::Line;
using engine_log::Log;

namespace {

constexpr std::size_t kCommandBufferSize = 260;

// The browser's open command as a buffer of 260 bytes holds it; false when it cannot be read.
bool ReadBrowserCommand(std::string* command) {
    const auto key = platform::RegistryKey::Open(
        platform::RegistryRoot::ClassesRoot, kBrowserCommandKey, platform::RegistryAccess::Read);
    platform::RegistryValue value;
    if (!key || key->QueryValue("", kCommandBufferSize, &value) != platform::RegistryStatus::Ok) {
        return false;
    }
    *command = value.data.substr(0, value.data.find('\0'));
    return true;
}

void LogShellResult(int code, const std::string& address) {
    if (code > 32) return;
    if (code == platform::kShellFileNotFound) {
        Log(Line::Forced, "The file %1 is not installed.", address);
    } else if (code == platform::kShellPathNotFound) {
        Log(Line::Forced, "The path of file %1 does not exist.", address);
    } else {
        Log(Line::Forced, "The file %1 cannot be launched. reported error = %2", address,
            std::to_string(code));
    }
}

}  // namespace

void CEngine::LaunchBrowser() {
    const std::string noBrowser =
        "http://" + GetLocalAddress() + ":" + std::to_string(kEnginePort) + "/none";
    if (m_startAddress == noBrowser) {
        Log(Line::Optional,
            "No browser launched because the starting page was set to none in the params file.");
        return;
    }
    if (m_moduleConfig && !m_moduleConfig->GetShowUI()) {
        Log(Line::Optional, "No browser launched because show_ui is set to no in module.xmnl.");
        return;
    }
    platform::UserShell& shell = platform::UserShell::System();
    std::string command;
    int code = 0;
    if (!ReadBrowserCommand(&command)) {
        Log(Line::Forced, "The default browser couldn't be determined.");
        code = shell.Open(m_startAddress, std::string());
    } else {
        const std::string program = BrowserProgramOfCommand(command);
        Log(Line::Optional, "Using browser %1.", program);
        code = shell.Open(program, m_startAddress);
    }
    LogShellResult(code, m_startAddress);
}
