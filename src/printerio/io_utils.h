#pragma once
/// What the printer I/O library knows about the system it runs on, once per process.

#include <cstdint>

#include "platform/installed_printers.h"
#include "platform/os_version.h"
#include "platform/setup_library.h"
#include "printerio/channel_address.h"

/// Told of each printer whose port the mapping can turn into an address.
class CPrinterMapCallback {
public:
    virtual ~CPrinterMapCallback() = default;
    /// `address` is the same object for every printer, filled anew each time.
    virtual void OnPrinter(const char* printerName, const CChannelAddress& address) = 0;
};

class CIOUtils {
public:
    /// Fills the version information; false when it cannot be told.
    using VersionQuery = bool (*)(platform::OsVersion* version);

    /// The process's one instance, created on first use over the system's version query.
    static CIOUtils& Instance();

    /// An instance over `query`; for tests that need another system.
    explicit CIOUtils(VersionQuery query);
    CIOUtils(const CIOUtils&) = delete;
    CIOUtils& operator=(const CIOUtils&) = delete;

    /// 0 unknown, 2 Windows 9x, 3 NT other than 5.x, 4 Windows 2000 (5.x but 5.1), 5 XP (5.1).
    static std::int32_t OsClassOf(bool known, const platform::OsVersion& version);

    std::int32_t OsClass() const { return m_osClass; }

    /// What the printer mapping asks of the system; a test gives its own.
    struct MappingSystem {
        platform::InstalledPrinters& spooler;
        platform::SetupLibraryLoader loadSetup;
    };

    /// Lists the local printers and the ports, rebuilds the process's UsbPortTable and calls
    /// `callback` for each printer, in list order, whose port maps to an address. False when
    /// either list cannot be read. Two runs never overlap.
    bool MapPrinters(CPrinterMapCallback& callback);
    bool MapPrinters(CPrinterMapCallback& callback, const MappingSystem& system);

    /// The error of the last printer mapping's spooler calls; 0 after success.
    std::uint32_t GetLastErrorCode() const { return m_lastError; }

private:
    std::int32_t m_osClass;
    std::uint32_t m_lastError = 0;
};
