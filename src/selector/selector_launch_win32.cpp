#include "selector/selector_launch_win32.h"

#include "selector/engine_start_win32.h"
#include "selector/installation_path.h"
#include "selector/printer_list.h"
#include "selector/selected_printer.h"
#include "selector/selector_log.h"
#include "selector/selector_messages_win32.h"
#include "selector/selector_params.h"
#include "selector/selector_string_ids.h"

LaunchOutcome LaunchSelectedPrinter(HWND owner, const LaunchRequest& request, PrinterList& printers,
                                    SelectorLog& log) {
    log.Write("Going to launch engine");
    std::string installationPath;
    if (!ReadInstallationPath(request.installationKey, &installationPath)) {
        log.Write("Failed to query registry\n");
        ShowSelectorMessage(owner, selector_text::kStartupFailure);
        return LaunchOutcome::EndProgram;
    }
    std::string column1;
    std::string column2;
    if (!request.selectedTexts(&column1, &column2)) {
        log.Write("Retrieval of an entry has failed.");
        return LaunchOutcome::EndProgram;
    }
    // A USB printer may have been unplugged or moved to another port since it was listed.
    // The fresh entries are checked against the supported printers again, as the listed ones
    // were: that gives them the display names the rows show.
    if (request.usbShown) {
        printers.Empty();
        printers.ListUsbPrinters();
        log.Write("Got USB information on USB selection.");
        const bool validated = printers.Validate(request.startPage, [owner] {
            ShowSelectorMessage(owner, selector_text::kInternalError);
        });
        if (!validated) {
            log.Write("Printers can not be validated.");
            return LaunchOutcome::EndProgram;
        }
    }
    const PrinterEntry* printer = FindSelectedPrinter(printers.First(), column2, column1);
    if (printer == nullptr) {
        log.Write("Failed to retrieve Information for the respective selection");
        ShowSelectorMessage(owner, request.usbChecked ? selector_text::kUsbPrinterNotAccessible
                                                      : selector_text::kPrinterNotAccessible);
        return LaunchOutcome::StayInDialog;
    }
    WriteParamsFile(ParamsFilePath(installationPath),
                    SelectorParamsText(*printer, request.startPage), log);
    if (!StartEngine(installationPath)) {
        log.Write("Failed to launch executable\n");
        ShowSelectorMessage(owner, selector_text::kMissingFile);
        return LaunchOutcome::EndProgram;
    }
    log.Write("Engine successfully launched");
    return LaunchOutcome::Launched;
}
