#pragma once
/// The workstation report that commands with "requires-extra-xml-info" expand into their
/// pages: operating system, printer driver, RIP software and web browser, fifteen named
/// values in all.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_version.h"
#include "platform/installed_printers.h"
#include "platform/registry.h"
#include "platform/system_version.h"
#include "text/text_map.h"

class CSystemInfo {
public:
    /// What the report asks of the system; a test gives its own.
    struct System {
        platform::SystemVersion& version;
        platform::InstalledPrinters& printers;
        platform::FileVersionInfo& files;
        std::function<std::unique_ptr<platform::RegistryKey>(
            platform::RegistryRoot, const std::string&, platform::RegistryAccess)>
            openKey;
        /// Memory for the printer list; null when none is to be had.
        std::function<std::unique_ptr<unsigned char[]>(std::size_t)> allocate;
    };

    /// The real operating system, registry and heap.
    static System RealSystem();

    explicit CSystemInfo(const System& system) : m_system(system) {}

    /// Fills the fifteen values into a fresh table, the driver looked for by the printer's
    /// product name ("prod-name"), and merges them into `table`: they replace entries of the
    /// same name.
    void Collect(TextMap& table, const std::string& productName);

private:
    void CollectOperatingSystem(TextMap& info);
    void CollectPrinterDriver(TextMap& info, const std::string& productName);
    void CollectRip(TextMap& info);
    void CollectWebBrowser(TextMap& info);
    bool ListPrinters(std::vector<platform::InstalledPrinter>* printers);

    System m_system;
};

/// The report from the real system.
void CollectSystemInfo(TextMap& table, const std::string& productName);

/// The driver name that a product name stands for; empty for a product the table lacks.
std::string DriverNameForProduct(const std::string& productName);
