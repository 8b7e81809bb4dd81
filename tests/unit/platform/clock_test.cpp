// The system clock behind platform::Clock and the free functions that stand for it.

#include "platform/clock.h"

#include <gtest/gtest.h>

#include <array>
#include <ctime>

namespace {

using Fields6 = std::array<int, 6>;

Fields6 Fields(const platform::LocalTime& t) {
    return {t.year, t.month, t.day, t.hour, t.minute, t.second};
}

Fields6 Fields(const std::tm& t) {
    return {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
}

// The C library's local time of a second in which `read` ran from start to end; the
// clock is read again until a reading fits in one second.
template <typename Read>
std::tm ReadLocalTimeWithin(Read read) {
    for (;;) {
        const std::time_t before = std::time(nullptr);
        read();
        if (std::time(nullptr) != before) continue;
        std::tm parts{};
#ifdef _WIN32
        localtime_s(&parts, &before);
#else
        localtime_r(&before, &parts);
#endif
        return parts;
    }
}

TEST(SystemClock, TicksNeverGoBackAndSleepLastsAtLeastItsTime) {
    platform::Clock& clock = platform::Clock::System();
    for (std::uint32_t milliseconds : {0u, 1u, 30u}) {
        const std::uint64_t before = clock.Ticks();
        clock.Sleep(milliseconds);
        const std::uint64_t after = clock.Ticks();
        ASSERT_GE(after, before);
        // Tick counts may be coarse; a 30 ms sleep still shows at least 15 ms.
        EXPECT_GE(after - before, milliseconds / 2) << milliseconds;
    }
}

TEST(SystemClock, SecondsAreTheCalendarClock) {
    const std::int64_t before = static_cast<std::int64_t>(std::time(nullptr));
    const std::int64_t seconds = platform::Clock::System().Seconds();
    const std::int64_t after = static_cast<std::int64_t>(std::time(nullptr));
    EXPECT_GE(seconds, before);
    EXPECT_LE(seconds, after);
}

// The free functions and the interface read the same clock.
TEST(SystemClock, FreeFunctionsForwardToTheSystemClock) {
    platform::Clock& clock = platform::Clock::System();
    const std::uint64_t ticksBefore = clock.Ticks();
    const std::uint64_t ticks = platform::MillisecondsNow();
    EXPECT_GE(ticks, ticksBefore);
    EXPECT_GE(clock.Ticks(), ticks);

    const std::int64_t secondsBefore = clock.Seconds();
    const std::int64_t seconds = platform::SecondsNow();
    EXPECT_GE(seconds, secondsBefore);
    EXPECT_GE(clock.Seconds(), seconds);

    platform::LocalTime viaFunction{};
    platform::LocalTime viaClock{};
    ReadLocalTimeWithin([&] {
        viaFunction = platform::CurrentLocalTime();
        viaClock = clock.Local();
    });
    EXPECT_EQ(Fields(viaFunction), Fields(viaClock));
}

TEST(SystemClock, LocalTimeMatchesTheCalendarClock) {
    platform::LocalTime local{};
    const std::tm expected =
        ReadLocalTimeWithin([&] { local = platform::Clock::System().Local(); });
    EXPECT_EQ(Fields(local), Fields(expected));
}

}  // namespace
