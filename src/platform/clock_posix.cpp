#include "platform/clock.h"

#include <ctime>

namespace platform {

LocalTime CurrentLocalTime() {
    std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
            parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

std::int64_t SecondsNow() { return static_cast<std::int64_t>(std::time(nullptr)); }

std::uint64_t MillisecondsNow() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000u +
           static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
}

void SleepMilliseconds(unsigned milliseconds) {
    timespec wanted{static_cast<time_t>(milliseconds / 1000),
                    static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&wanted, &wanted) != 0) {
    }
}

}  // namespace platform
