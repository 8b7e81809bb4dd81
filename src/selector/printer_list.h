#pragma once
/// The printers the selector can offer, newest first: USB printers read from the host
/// controllers, and the print queues on parallel and network ports.

#include <functional>
#include <string>
#include <vector>

#include "platform/installed_printers.h"
#include "platform/usb_host.h"
#include "printerio/selector_port_lookup.h"
#include "selector/printer_entry.h"
#include "selector/supported_printers.h"

class SelectorLog;

class PrinterList {
public:
    /// What the list asks of the system; a test gives its own.
    struct System {
        platform::InstalledPrinters& printers;
        platform::UsbHost& usb;
        SelectorOs os;
        SupportedPrinterDocumentFactory createDocument;
        /// Below HKEY_LOCAL_MACHINE: holds "PRINTERSELXMLPATH".
        std::string installationKey;
    };
    static System SystemDefaults();

    explicit PrinterList(SelectorLog& log, System system = SystemDefaults());
    ~PrinterList();
    PrinterList(const PrinterList&) = delete;
    PrinterList& operator=(const PrinterList&) = delete;

    /// Frees every entry.
    void Empty();
    /// Queues on "LPT1:", "LPT2:" or "LPT3:".
    void ListParallelPrinters();
    /// Queues on ports that name neither "LPT" nor "USB" and map to a network address.
    void ListNetworkPrinters();
    /// Devices on the root hubs, with the device path of each one's printer interface.
    void ListUsbPrinters();
    /// False when supportedprinters.xml cannot be read; `showInternalError` is called for an
    /// unreadable printer element.
    bool Validate(const std::string& startPage, const std::function<void()>& showInternalError);

    const PrinterEntry* First() const { return m_head; }
    /// Entries in the list.
    int Count() const { return m_count; }

private:
    bool ReadQueues(std::vector<platform::InstalledPrinter>* queues);
    void Add(PrinterEntry entry);

    SelectorLog& m_log;
    System m_system;
    PrinterEntry* m_head = nullptr;
    int m_count = 0;
};
