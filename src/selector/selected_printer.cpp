#include "selector/selected_printer.h"

#include "text/ascii_case.h"

std::size_t PreferredRow(const std::vector<std::string>& column2Texts,
                         const std::string& preference) {
    std::size_t chosen = 0;
    for (std::size_t row = 0; row < column2Texts.size(); ++row) {
        if (column2Texts[row] == preference) chosen = row;
    }
    return chosen;
}

const PrinterEntry* FindSelectedPrinter(const PrinterEntry* first, const std::string& column2,
                                        const std::string& column1) {
    for (const PrinterEntry* entry = first; entry != nullptr; entry = entry->next) {
        const bool sameDevice = entry->address == column2 || entry->identity == column2;
        // The row shows the display name, which the supported-printer file may word apart
        // from the model: either names the printer.
        const bool sameModel = EqualsIgnoringAsciiCase(entry->model, column1) ||
                               EqualsIgnoringAsciiCase(entry->displayName, column1);
        if (sameDevice && sameModel) return entry;
    }
    return nullptr;
}

const std::string& Column2TextOf(const PrinterEntry& entry) {
    return entry.connectionType == kConnectionUsb ? entry.identity : entry.address;
}

std::string SelectorWindowTitle(const std::string& title, const std::string& versions,
                                bool versionsFound) {
    return versionsFound ? title + " [" + versions + "]" : title;
}
