#include <windows.h>

#include "platform/file_time.h"

namespace platform {

namespace {

// FILETIME counts 100-nanosecond steps since 1601-01-01.
constexpr std::int64_t kTicksPerSecond = 10000000;
constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;

}  // namespace

std::int64_t FileModificationTime(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    FILETIME lastWrite{};
    const BOOL read = GetFileTime(file, nullptr, nullptr, &lastWrite);
    CloseHandle(file);
    if (!read) return 0;
    const std::int64_t ticks = static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(lastWrite.dwHighDateTime) << 32) | lastWrite.dwLowDateTime);
    return ticks / kTicksPerSecond - kSecondsFrom1601To1970;
}

}  // namespace platform
