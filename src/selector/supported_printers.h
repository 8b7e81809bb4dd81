#pragma once
/// Keeping only the printers that "supportedprinters.xml" names, with the display names it
/// gives them.

#include <functional>
#include <memory>
#include <string>

#include "selector/printer_entry.h"
#include "selector/supported_printer_document.h"

class SelectorLog;

/// Makes the document object; the system's by default.
using SupportedPrinterDocumentFactory = std::function<std::unique_ptr<SupportedPrinterDocument>()>;

/// The file's path: the installation's "PRINTERSELXMLPATH" and "supportedprinters.xml", with
/// the platform's separators; false (logged) when the registry does not say.
bool SupportedPrintersPath(const std::string& installationKey, std::string* path, SelectorLog& log);

/// Checks each entry of the list starting at `*head` against the file at `path`. An entry is
/// kept when a printer element has its model (ignoring case) and, for the start page
/// "ColorStart.html", "yes" as third text; its display name is then the element's. Other
/// entries are removed and freed, and `*count` goes down with them. An element that cannot be
/// read calls `showInternalError` and leaves the entry under test in the list. False (logged)
/// when the file cannot be used at all.
bool ValidateSupportedPrinters(const std::string& path, const std::string& startPage,
                               const SupportedPrinterDocumentFactory& createDocument,
                               PrinterEntry** head, int* count, SelectorLog& log,
                               const std::function<void()>& showInternalError);
