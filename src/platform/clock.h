#pragma once
/// Time as the system keeps it: the calendar clock, a millisecond tick count, sleep and the
/// local calendar time. The engine, the log and the channels pace and stamp by it; a test
/// gives its own clock where a caller takes one.

#include <cstdint>

namespace platform {

struct LocalTime {
    int year, month, day, hour, minute, second;
};

class Clock {
public:
    virtual ~Clock() = default;

    /// The system's clock.
    static Clock& System();

    /// Whole seconds since the epoch, as time() counts them.
    virtual std::int64_t Seconds() = 0;
    /// A monotonic millisecond count for measuring intervals.
    virtual std::uint64_t Ticks() = 0;
    virtual void Sleep(std::uint32_t milliseconds) = 0;
    virtual LocalTime Local() = 0;
};

// Callers that never substitute the clock keep these; each is Clock::System() and nothing more.
inline LocalTime CurrentLocalTime() { return Clock::System().Local(); }
inline std::int64_t SecondsNow() { return Clock::System().Seconds(); }
inline std::uint64_t MillisecondsNow() { return Clock::System().Ticks(); }
inline void SleepMilliseconds(unsigned milliseconds) { Clock::System().Sleep(milliseconds); }

}  // namespace platform
