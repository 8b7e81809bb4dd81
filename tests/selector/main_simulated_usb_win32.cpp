// The printer selector on a simulated USB bus: the bus is described by
// "simulated-usb-bus.txt" beside this program (format: support/simulated_usb_bus.h), read
// again at every walk of the bus, so that tests under Wine can show, plug and pull USB
// printers. Everything else is the real program.

#include <windows.h>

#include <string>

#include "selector/selector_program_win32.h"
#include "usb_bus_description_file.h"

namespace {

/// A bus description that cannot be read ends the program at once: a test must not run on a
/// bus it did not describe.
constexpr int kNoBusDescription = 3;

std::string DescriptionPath() {
    char program[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, program, MAX_PATH);
    std::string path(program, length);
    const auto folderEnd = path.find_last_of("\\/");
    path.resize(folderEnd == std::string::npos ? 0 : folderEnd + 1);
    return path + "simulated-usb-bus.txt";
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    std::string error;
    const auto bus = UsbBusDescriptionFile::Load(DescriptionPath(), &error);
    if (!bus) {
        OutputDebugStringA(("simulated-usb-bus.txt: " + error + "\n").c_str());
        return kNoBusDescription;
    }
    return RunPrinterSelector(instance, commandLine != nullptr ? commandLine : "", *bus);
}
