#include <windows.h>

#include "selector/selector_params.h"
#include "selector/selector_program_win32.h"

// The selector launcher passes the start page as the whole command line, with no program name
// before it.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    const char* whole = GetCommandLineA();
    return RunPrinterSelector(instance,
                              SelectorCommandLine(whole != nullptr ? whole : "",
                                                  commandLine != nullptr ? commandLine : ""),
                              platform::UsbHost::System());
}
