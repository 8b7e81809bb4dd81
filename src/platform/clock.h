#pragma once
/// Time as the system uses it: local calendar time, whole-second and millisecond clocks.

#include <cstdint>

namespace platform {

struct LocalTime {
    int year, month, day, hour, minute, second;
};

LocalTime CurrentLocalTime();

/// Seconds since the epoch, as time() counts them.
std::int64_t SecondsNow();
/// A monotonic millisecond counter for measuring intervals.
std::uint64_t MillisecondsNow();

void SleepMilliseconds(unsigned milliseconds);

}  // namespace platform
