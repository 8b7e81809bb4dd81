#pragma once
/// Which row the list selects, and which printer a selected row stands for.

#include <cstddef>
#include <string>
#include <vector>

#include "selector/printer_entry.h"

/// The row to select when a group is shown: the last row whose column-2 text is exactly
/// `preference`, else the first row. Undefined for an empty list: the caller selects nothing.
std::size_t PreferredRow(const std::vector<std::string>& column2Texts,
                         const std::string& preference);

/// The first entry from `first` on whose address or identity is exactly `column2` and whose
/// model or display name is `column1` without regard to case; null when none is.
const PrinterEntry* FindSelectedPrinter(const PrinterEntry* first, const std::string& column2,
                                        const std::string& column1);

/// The text a row shows in column 2: the serial number of a USB printer, the address of others.
const std::string& Column2TextOf(const PrinterEntry& entry);

/// The dialog's title: `title`, or "title [versions]" when installed versions were found.
std::string SelectorWindowTitle(const std::string& title, const std::string& versions,
                                bool versionsFound);
