#pragma once
/// The file "supportedprinters.xml" as the selector reads it: a root element whose children
/// are printers, each with at least three children whose texts are, by position, the model,
/// the display name and "yes" when the printer serves the colour start page.

#include <memory>
#include <string>

/// The three texts of one printer element.
struct SupportedPrinterTexts {
    std::string model;
    std::string displayName;
    std::string colorStart;
};

/// Why one printer element could not be read; each has its own log line.
enum class SupportedPrinterRead {
    Ok,
    NoChildList,   // "XML Children List can not be queried."
    NoFirstChild,  // "Unable to access the first child of XML"
    NoNodeValue    // "Failed to access XML Node Value."
};

class SupportedPrinterDocument {
public:
    virtual ~SupportedPrinterDocument() = default;

    /// The platform's document object; null when it cannot be created. On Windows this holds
    /// COM open for the calling thread until it is destroyed.
    static std::unique_ptr<SupportedPrinterDocument> Create();

    /// Loads the file synchronously, without validating it; false when it cannot be read or
    /// is not well formed.
    virtual bool Load(const std::string& path) = 0;
    /// The number of the root element's children; false when it cannot be told.
    virtual bool CountPrinters(long* count) = 0;
    /// The texts of the root element's child number `index` (from 0): the value of the first
    /// child of each of its first three children.
    virtual SupportedPrinterRead ReadPrinter(long index, SupportedPrinterTexts* texts) = 0;
};
