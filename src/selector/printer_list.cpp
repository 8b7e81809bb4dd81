#include "selector/printer_list.h"

#include <new>

#include "printerio/usb_bus_printers.h"
#include "selector/selector_log.h"
#include "selector/selector_preferences.h"

PrinterList::System PrinterList::SystemDefaults() {
    return System{platform::InstalledPrinters::System(), platform::UsbHost::System(),
                  SystemSelectorOs(), [] { return SupportedPrinterDocument::Create(); },
                  kSelectorInstallationKey};
}

PrinterList::PrinterList(SelectorLog& log, System system)
    : m_log(log), m_system(std::move(system)) {}

PrinterList::~PrinterList() { Empty(); }

void PrinterList::Empty() {
    while (m_head != nullptr) {
        PrinterEntry* next = m_head->next;
        delete m_head;
        m_head = next;
    }
    m_count = 0;
}

void PrinterList::Add(PrinterEntry entry) {
    auto* added = new PrinterEntry(std::move(entry));
    added->model = EntryText(added->model);
    added->address = EntryText(added->address);
    added->identity = EntryText(added->identity);
    added->queueName = EntryText(added->queueName);
    added->next = m_head;
    m_head = added;
    ++m_count;
}

bool PrinterList::ReadQueues(std::vector<platform::InstalledPrinter>* queues) {
    std::vector<unsigned char> buffer;
    std::uint32_t needed = 0;
    platform::PrinterListStatus status = m_system.printers.Enumerate(nullptr, 0, &needed, queues);
    // The list can grow between the two calls; ask again with the newer size.
    while (status == platform::PrinterListStatus::InsufficientBuffer) {
        try {
            buffer.assign(needed, 0);
        } catch (const std::bad_alloc&) {
            m_log.Write("Failed to allocate memory for list of printers\n");
            return false;
        }
        status = m_system.printers.Enumerate(buffer.data(), needed, &needed, queues);
    }
    return status == platform::PrinterListStatus::Ok;
}

void PrinterList::ListParallelPrinters() {
    std::vector<platform::InstalledPrinter> queues;
    if (!ReadQueues(&queues)) return;
    for (const platform::InstalledPrinter& queue : queues) {
        if (queue.portName != "LPT1:" && queue.portName != "LPT2:" && queue.portName != "LPT3:") {
            continue;
        }
        PrinterEntry entry;
        entry.connectionType = kConnectionParallel;
        entry.model = queue.driverName;
        entry.address = queue.portName.substr(0, queue.portName.size() - 1);
        entry.queueName = queue.name;
        Add(std::move(entry));
    }
}

void PrinterList::ListNetworkPrinters() {
    std::vector<platform::InstalledPrinter> queues;
    if (!ReadQueues(&queues)) return;
    const PortDiscoveryLog log = [this](const std::string& line) { m_log.Write(line); };
    for (const platform::InstalledPrinter& queue : queues) {
        if (queue.portName.find("LPT") != std::string::npos ||
            queue.portName.find("USB") != std::string::npos) {
            continue;
        }
        std::string address;
        if (FindNetworkAddressOfPort(queue.portName, &address, log) != 1) {
            m_log.Write(
                "Can not map Port Name to the Device Name. Make sure that the device is "
                "connected to your system directly.");
            continue;
        }
        PrinterEntry entry;
        entry.connectionType = kConnectionNetwork;
        entry.model = queue.driverName;
        entry.address = address;
        entry.queueName = queue.name;
        Add(std::move(entry));
    }
}

void PrinterList::ListUsbPrinters() {
    const PortDiscoveryLog log = [this](const std::string& line) { m_log.Write(line); };
    for (const UsbBusPrinter& device : ListUsbBusPrinters(m_system.usb)) {
        PrinterEntry entry;
        entry.connectionType = kConnectionUsb;
        entry.model = device.product;
        // A printer whose interface is not found keeps an empty path; the engine reports it.
        FindDevicePathOf(device.serialNumber, m_system.os, &entry.address, log);
        entry.identity = device.serialNumber;
        Add(std::move(entry));
    }
}

bool PrinterList::Validate(const std::string& startPage,
                           const std::function<void()>& showInternalError) {
    std::string path;
    if (!SupportedPrintersPath(m_system.installationKey, &path, m_log)) return false;
    return ValidateSupportedPrinters(path, startPage, m_system.createDocument, &m_head, &m_count,
                                     m_log, showInternalError);
}
