#include "selector/selector_program_win32.h"

#include <commctrl.h>
#include <objbase.h>

#include "platform/user_shell.h"
#include "selector/printer_list.h"
#include "selector/selector_dialog_win32.h"
#include "selector/selector_instance_win32.h"
#include "selector/selector_log.h"
#include "selector/selector_messages_win32.h"
#include "selector/selector_params.h"
#include "selector/selector_preferences.h"
#include "selector/selector_string_ids.h"

namespace {

/// COM for this thread for as long as the program runs.
class ComScope {
public:
    ComScope() : m_started(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComScope() {
        if (m_started) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    bool Started() const { return m_started; }

private:
    bool m_started;
};

int RunMessageLoop(HWND dialog) {
    MSG message;
    BOOL got;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
        if (IsWindow(dialog) && IsDialogMessageW(dialog, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return got == 0 ? static_cast<int>(message.wParam) : 1;
}

}  // namespace

int RunPrinterSelector(HINSTANCE instance, const std::string& commandLine, platform::UsbHost& usb) {
    ComScope com;
    if (!com.Started()) return 1;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);

    SelectorLog log;
    SelectorInstance guard;
    switch (guard.ClaimMutex(log)) {
        case SelectorInstance::Claim::Failed:
            return 1;
        case SelectorInstance::Claim::AnotherRuns:
            if (!BringWindowToFront(SelectorString(selector_text::kTitle))) {
                log.Write("Unable to bring the window in foreground.");
            }
            return 0;
        case SelectorInstance::Claim::First:
            break;
    }

    PrinterList::System defaults = PrinterList::SystemDefaults();
    PrinterList printers(
        log, PrinterList::System{defaults.printers, usb, defaults.os, defaults.createDocument,
                                 defaults.installationKey});
    SelectorPreferences preferences;
    SelectorDialog dialog(
        SelectorDialog::Context{instance, log, printers, preferences, platform::UserShell::System(),
                                kSelectorInstallationKey, StartPageOf(commandLine)});
    const HWND window = dialog.Create();
    if (window == nullptr) {
        log.Write("Failed to create dialog box\n");
        return 1;
    }
    const int code = RunMessageLoop(window);
    if (IsWindow(window)) DestroyWindow(window);
    return code;
}
