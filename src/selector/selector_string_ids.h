#pragma once
/// The ids of the printer selector's string table (resources/printer_selector_strings.rc).

namespace selector_text {

constexpr unsigned kInstruction = 1;
constexpr unsigned kUsbPrinterNotAccessible = 2;
/// The window title; a second instance finds the first by it.
constexpr unsigned kTitle = 3;
constexpr unsigned kModelHeader = 4;
constexpr unsigned kPortHeader = 5;
constexpr unsigned kAddressHeader = 6;
constexpr unsigned kSerialNumberHeader = 7;
constexpr unsigned kNext = 9;
constexpr unsigned kQuit = 10;
constexpr unsigned kSettings = 11;
constexpr unsigned kRefresh = 12;
constexpr unsigned kParallel = 18;
constexpr unsigned kInternalError = 19;
constexpr unsigned kMissingFile = 20;
constexpr unsigned kStartupFailure = 21;
constexpr unsigned kPrinterNotAccessible = 22;
constexpr unsigned kLocalTab = 23;
constexpr unsigned kNetworkTab = 24;
/// Names the registry key whose subkeys are the installed versions.
constexpr unsigned kVersionsKey = 25;

/// The buffer, in UTF-16 units with the NUL, that every string of the table fits.
constexpr unsigned kLongestText = 1024;

}  // namespace selector_text
