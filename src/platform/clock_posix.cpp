#include <ctime>

#include "platform/clock.h"

namespace platform {
namespace {

class PosixClock final : public Clock {
public:
    std::int64_t Seconds() override { return static_cast<std::int64_t>(std::time(nullptr)); }

    std::uint64_t Ticks() override {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        return static_cast<std::uint64_t>(now.tv_sec) * 1000u +
               static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    }

    void Sleep(std::uint32_t milliseconds) override {
        timespec wanted{static_cast<time_t>(milliseconds / 1000),
                        static_cast<long>(milliseconds % 1000) * 1000000L};
        while (nanosleep(&wanted, &wanted) != 0) {
        }
    }

    LocalTime Local() override {
        std::time_t now = std::time(nullptr);
        std::tm parts{};
        localtime_r(&now, &parts);
        return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                parts.tm_hour,        parts.tm_min,     parts.tm_sec};
    }
};

}  // namespace

Clock& Clock::System() {
    static PosixClock clock;
    return clock;
}

}  // namespace platform
