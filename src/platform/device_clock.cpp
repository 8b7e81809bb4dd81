#include "platform/device_clock.h"

#include "platform/clock.h"

namespace platform {

namespace {

class SystemDeviceClock : public DeviceClock {
public:
    std::int64_t Seconds() override { return SecondsNow(); }
    std::uint64_t Ticks() override { return MillisecondsNow(); }
    void Sleep(std::uint32_t milliseconds) override { SleepMilliseconds(milliseconds); }
};

}  // namespace

DeviceClock& DeviceClock::System() {
    static SystemDeviceClock clock;
    return clock;
}

}  // namespace platform
