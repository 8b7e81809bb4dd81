#include "platform/clock.h"

#include <windows.h>

#include <ctime>

namespace platform {

LocalTime CurrentLocalTime() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

std::int64_t SecondsNow() { return static_cast<std::int64_t>(std::time(nullptr)); }

std::uint64_t MillisecondsNow() { return GetTickCount64(); }

void SleepMilliseconds(unsigned milliseconds) { Sleep(milliseconds); }

}  // namespace platform
