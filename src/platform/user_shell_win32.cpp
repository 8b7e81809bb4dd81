// windows.h first: the shell and Internet headers build on its types.
#include <windows.h>

#include <shellapi.h>
#include <wininet.h>

#include <cstdint>
#include <string>

#include "platform/user_shell.h"
#include "platform/wide_text_win32.h"

namespace platform {
namespace {

class Win32UserShell : public UserShell {
public:
    int Open(const std::string& file, const std::string& parameters) override {
        const HINSTANCE result =
            ShellExecuteA(nullptr, "open", file.c_str(),
                          parameters.empty() ? nullptr : parameters.c_str(), ".", SW_SHOWNORMAL);
        return static_cast<int>(reinterpret_cast<std::intptr_t>(result));
    }

    // The wide API, so the texts show in every language whatever the ANSI code page. A box
    // that cannot be made returns 0 (Wine without a display: -1).
    bool ShowErrorMessage(const std::string& caption, const std::string& text) override {
        return MessageBoxW(nullptr, Wide(text).c_str(), Wide(caption).c_str(),
                           MB_OK | MB_ICONERROR) > 0;
    }

    void NotifyInternetSettingsChanged() override {
        InternetSetOptionA(nullptr, INTERNET_OPTION_SETTINGS_CHANGED, nullptr, 0);
        InternetSetOptionA(nullptr, INTERNET_OPTION_REFRESH, nullptr, 0);
    }
};

}  // namespace

UserShell& UserShell::System() {
    static Win32UserShell shell;
    return shell;
}

}  // namespace platform
