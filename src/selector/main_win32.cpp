#include <windows.h>

#include "selector/selector_program_win32.h"

// The whole command line after the program name: the selector launcher passes the start page.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    return RunPrinterSelector(instance, commandLine != nullptr ? commandLine : "",
                              platform::UsbHost::System());
}
