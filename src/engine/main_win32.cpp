#include <windows.h>

#include "engine/program_entry.h"
#include "platform/program.h"

// The engine is windowless; its arguments are not used, the program name is read from the
// command line itself.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return RunEngineProgram(platform::ProgramNameFromCommandLine(nullptr));
}
