#pragma once
/// The printer selector program: one instance, one modeless dialog, one message loop.

#include <windows.h>

#include <string>

#include "platform/usb_host.h"

/// Runs the selector until its dialog closes. `commandLine` is the program's command line
/// after its name; `usb` is the bus the USB printers are read from (the system's, or a
/// simulated one in tests). Returns the exit code.
int RunPrinterSelector(HINSTANCE instance, const std::string& commandLine, platform::UsbHost& usb);
