#pragma once
/// What the printer I/O library knows about the system it runs on, once per process.

#include <cstdint>

#include "platform/os_version.h"

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

    /// The error of the last printer mapping's spooler calls; 0 after success, and 0 until the
    /// mapping comes with port discovery.
    std::uint32_t GetLastErrorCode() const { return m_lastError; }

private:
    std::int32_t m_osClass;
    std::uint32_t m_lastError = 0;
};
