// selector_launcher: starts the printer selector from the installation folder with the colour
// start page. It has no window of its own; a failure before the start is only logged, a failed
// start is shown too. It always ends with 0.
#include <windows.h>

#include "launcher/launcher_log.h"
#include "launcher/selector_location.h"
#include "launcher/selector_start_win32.h"
#include "platform/program_strings.h"
#include "platform/wide_text_win32.h"

namespace {

// The message box's texts in the program's string table, with their buffer sizes.
constexpr unsigned kMissingFileText = 1;
constexpr unsigned kCaption = 2;
constexpr std::size_t kTextBuffer = 1024;
constexpr std::size_t kCaptionBuffer = 260;

void ShowStartFailure() {
    const std::wstring text =
        platform::Wide(platform::LoadProgramString(kMissingFileText, kTextBuffer));
    const std::wstring caption =
        platform::Wide(platform::LoadProgramString(kCaption, kCaptionBuffer));
    MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_ICONERROR);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    LauncherLog log;
    SelectorLocation location;
    std::string failure;
    if (!ReadSelectorLocation(kLauncherInstallationKey, &location, &failure)) {
        log.Write(failure);
        return 0;
    }
    if (!StartSelector(location)) {
        log.Write("Failed to Launch Printer Selector Executable.");
        ShowStartFailure();
    }
    return 0;
}
