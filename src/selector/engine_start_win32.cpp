#include "selector/engine_start_win32.h"

#include <windows.h>

#include <vector>

bool StartEngine(const std::string& installationPath) {
    const std::string program = installationPath + "\\velkor.exe";
    // The engine finds its folder in its own command line, so the name is quoted: an
    // installation folder may hold blanks.
    const std::string quoted = "\"" + program + "\"";
    std::vector<char> commandLine(quoted.begin(), quoted.end());
    commandLine.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        NORMAL_PRIORITY_CLASS, nullptr, installationPath.c_str(), &startup,
                        &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}
