#include "selector/supported_printers.h"

#include "platform/program.h"
#include "platform/registry.h"
#include "selector/selector_log.h"
#include "text/ascii_case.h"

namespace {

const char* LogLineOf(SupportedPrinterRead failure) {
    switch (failure) {
        case SupportedPrinterRead::NoChildList:
            return "XML Children List can not be queried.";
        case SupportedPrinterRead::NoFirstChild:
            return "Unable to access the first child of XML";
        default:
            return "Failed to access XML Node Value.";
    }
}

enum class Verdict { Accepted, Rejected, Unreadable };

Verdict Check(SupportedPrinterDocument& document, long printers, const std::string& startPage,
              PrinterEntry& entry, SelectorLog& log) {
    const bool colorStart = startPage == "ColorStart.html";
    for (long index = 0; index < printers; ++index) {
        SupportedPrinterTexts texts;
        const SupportedPrinterRead read = document.ReadPrinter(index, &texts);
        if (read != SupportedPrinterRead::Ok) {
            log.Write(LogLineOf(read));
            return Verdict::Unreadable;
        }
        if (!EqualsIgnoringAsciiCase(texts.model, entry.model)) continue;
        // A model may be listed again further down with the colour start page allowed.
        if (colorStart && texts.colorStart != "yes") continue;
        entry.displayName = EntryText(texts.displayName);
        return Verdict::Accepted;
    }
    return Verdict::Rejected;
}

}  // namespace

bool SupportedPrintersPath(const std::string& installationKey, std::string* path,
                           SelectorLog& log) {
    const auto key = platform::RegistryKey::Open(platform::RegistryRoot::LocalMachine,
                                                 installationKey, platform::RegistryAccess::Read);
    if (!key) {
        log.Write("Registry can not be opened to know the XML Path. Can not proceed.");
        return false;
    }
    platform::RegistryValue value;
    if (key->QueryValue("PRINTERSELXMLPATH", 260, &value) != platform::RegistryStatus::Ok) {
        log.Write("Registry can not be queried to know the XML Path. Can not proceed.");
        return false;
    }
    const std::string folder = value.data.substr(0, value.data.find('\0'));
    *path = platform::WithPlatformSeparators(folder + "\\supportedprinters.xml");
    return true;
}

bool ValidateSupportedPrinters(const std::string& path, const std::string& startPage,
                               const SupportedPrinterDocumentFactory& createDocument,
                               PrinterEntry** head, int* count, SelectorLog& log,
                               const std::function<void()>& showInternalError) {
    const std::unique_ptr<SupportedPrinterDocument> document = createDocument();
    if (!document) {
        log.Write("XML version incompatibility.Can not proceed.");
        return false;
    }
    if (!document->Load(path)) {
        log.Write("XML File can not be loaded.");
        return false;
    }
    long printers = 0;
    if (!document->CountPrinters(&printers)) {
        log.Write("Total Node count can not be obtained.");
        return false;
    }
    PrinterEntry** link = head;
    while (*link != nullptr) {
        PrinterEntry* entry = *link;
        const Verdict verdict = Check(*document, printers, startPage, *entry, log);
        if (verdict == Verdict::Unreadable && showInternalError) showInternalError();
        if (verdict == Verdict::Rejected) {
            *link = entry->next;
            delete entry;
            --*count;
        } else {
            link = &entry->next;
        }
    }
    return true;
}
