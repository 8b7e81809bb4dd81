#pragma once
/// The message boxes of start-up failures that leave the module's pages untrusted.

#include <string>

/// String-table ids: the caption, and the text of kinds 1 to 8 under their own number.
constexpr unsigned kStartupMessageCaption = 11;

/// The printer series a module serves, as message 5 names it; empty for a module the table
/// lacks.
std::string PrinterSeriesOfModule(const std::string& module);

/// `text` as message 5 shows it for `module`: its first "%1" replaced by the module's printer
/// series, or removed when the module has none.
std::string ModuleNotInstalledMessage(std::string text, const std::string& module);
