#pragma once
/// One printer of the selector's list, as it is shown and as the params file needs it.

#include <cstdint>
#include <string>

constexpr std::int32_t kConnectionUsb = 0;
constexpr std::int32_t kConnectionParallel = 1;
constexpr std::int32_t kConnectionNetwork = 2;

/// The texts are kept to what a 260-byte field with its terminator holds.
constexpr std::size_t kPrinterEntryTextLimit = 259;

struct PrinterEntry {
    std::int32_t connectionType = kConnectionUsb;
    /// USB product string or the queue's driver name.
    std::string model;
    /// Device path (USB), port without its colon (parallel), IP address or host name (network).
    std::string address;
    /// The USB serial number; empty otherwise.
    std::string identity;
    /// From supportedprinters.xml.
    std::string displayName;
    /// The print queue's name; empty for USB.
    std::string queueName;
    PrinterEntry* next = nullptr;
};

/// `text` cut to what an entry's field holds.
inline std::string EntryText(const std::string& text) {
    return text.size() > kPrinterEntryTextLimit ? text.substr(0, kPrinterEntryTextLimit) : text;
}
