#include <windows.h>

#include <ctime>

#include "platform/clock.h"

namespace platform {
namespace {

class WindowsClock final : public Clock {
public:
    std::int64_t Seconds() override { return static_cast<std::int64_t>(std::time(nullptr)); }
    std::uint64_t Ticks() override { return GetTickCount64(); }
    void Sleep(std::uint32_t milliseconds) override { ::Sleep(milliseconds); }

    LocalTime Local() override {
        SYSTEMTIME now;
        GetLocalTime(&now);
        return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
    }
};

}  // namespace

Clock& Clock::System() {
    static WindowsClock clock;
    return clock;
}

}  // namespace platform
