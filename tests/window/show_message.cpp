// Shows an error message box as the engine does (no owner, error icon, OK button) and prints
// which button closed it: the window the desktop helper's tests find, read and press.

#include <windows.h>

#include <string>
#include <vector>

#include "platform/wide_text_win32.h"

using platform::PrintRaw;
using platform::ProgramArguments;
using platform::Utf8;
using platform::Wide;

int main() {
    const std::vector<std::string> arguments = ProgramArguments();
    if (arguments.size() != 2) {
        PrintRaw("usage: show_message TITLE TEXT\n");
        return 2;
    }
    const int button = MessageBoxW(nullptr, Wide(arguments[1]).c_str(), Wide(arguments[0]).c_str(),
                                   MB_OK | MB_ICONERROR);
    PrintRaw("button " + std::to_string(button) + "\n");
    return 0;
}
