#pragma once
/// "Next...": the selected printer's params file, then the engine.

#include <windows.h>

#include <functional>
#include <string>

class PrinterList;
class SelectorLog;

enum class LaunchOutcome {
    /// The engine runs: the dialog closes.
    Launched,
    /// The printer is gone: the user may refresh and pick again.
    StayInDialog,
    /// A fault the user cannot mend here: the program ends.
    EndProgram
};

struct LaunchRequest {
    /// Below HKEY_LOCAL_MACHINE: holds "PATH".
    std::string installationKey;
    std::string startPage;
    /// The Local tab shows USB printers: the USB list is read again before the look-up.
    bool usbShown = false;
    /// The USB option is checked: a vanished printer is reported as a USB printer.
    bool usbChecked = false;
    /// The selected row's name (column 1) and address (column 2); false when there is none.
    std::function<bool(std::string* column1, std::string* column2)> selectedTexts;
};

/// Writes the params file for the selected printer and starts the engine, showing the error
/// messages over `owner`.
LaunchOutcome LaunchSelectedPrinter(HWND owner, const LaunchRequest& request, PrinterList& printers,
                                    SelectorLog& log);
