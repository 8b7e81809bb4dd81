#pragma once
/// The operating system's version information, as GetVersionExA reports it.

#include <cstdint>

namespace platform {

/// Platform identifiers of the version information.
constexpr std::uint32_t kPlatformWindows9x = 1;  // VER_PLATFORM_WIN32_WINDOWS
constexpr std::uint32_t kPlatformNt = 2;         // VER_PLATFORM_WIN32_NT

struct OsVersion {
    std::uint32_t platformId = 0;
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
};

/// False when the version cannot be told. POSIX systems are no Windows version: always false.
bool QueryOsVersion(OsVersion* version);

}  // namespace platform
