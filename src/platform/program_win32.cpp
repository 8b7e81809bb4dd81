#include <windows.h>

#include "platform/program.h"
#include "platform/program_command_line.h"

namespace platform {

char PathSeparator() { return '\\'; }

// The command line is what the launcher passed to CreateProcess; argv is not consulted.
std::string ProgramNameFromCommandLine(const char*) {
    const char* commandLine = GetCommandLineA();
    return FirstCommandLineToken(commandLine ? commandLine : "");
}

bool DeleteFileAt(const std::string& path) { return DeleteFileA(path.c_str()) != FALSE; }

}  // namespace platform
