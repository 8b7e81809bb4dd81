#pragma once
/// The clocks and the sleep that the local channels pace their loops by. A test gives its own.

#include <cstdint>

namespace platform {

class DeviceClock {
public:
    virtual ~DeviceClock() = default;

    /// The system's clock (platform/clock.h).
    static DeviceClock& System();

    /// Whole seconds of the calendar clock.
    virtual std::int64_t Seconds() = 0;
    /// A millisecond tick count.
    virtual std::uint64_t Ticks() = 0;
    virtual void Sleep(std::uint32_t milliseconds) = 0;
};

}  // namespace platform
