#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "caller/caller_program_win32.h"

// The arguments as the ANSI code page gives them: the queue name goes to the spooler's ANSI
// calls unchanged.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    std::vector<std::string> arguments;
    for (int i = 1; i < __argc; ++i) arguments.emplace_back(__argv[i]);
    return RunCaller(arguments);
}
