#include "launcher/selector_start_win32.h"

#include <windows.h>

#include <vector>

bool StartSelector(const SelectorLocation& location) {
    const std::string program = location.ProgramPath();
    // CreateProcessA may write into the command line, so it gets a copy of its own.
    std::vector<char> commandLine(
        kSelectorCommandLine,
        kSelectorCommandLine + std::char_traits<char>::length(kSelectorCommandLine) + 1);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        NORMAL_PRIORITY_CLASS, nullptr, location.folder.c_str(), &startup,
                        &process)) {
        return false;
    }
    // The selector runs on its own; closing the handles neither waits for it nor ends it.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}
