#pragma once
/// Counts connections refused because they come from another computer, and writes the log
/// line for them at most once a second, so a flood of refusals cannot grow the log without
/// bound. The first refusal after a quiet second is written at once; the ones after it are
/// counted and written with their number once the second has passed.

#include <cstdint>

class CRefusalTally {
public:
    static constexpr std::uint64_t kLineIntervalMilliseconds = 1000;

    /// One more refusal at `nowMilliseconds`.
    void Refused(std::uint64_t nowMilliseconds);
    /// Writes the counted refusals when the interval since the last line has passed.
    void Tick(std::uint64_t nowMilliseconds);
    /// Writes the counted refusals whatever the time: the server is stopping.
    void Flush();

private:
    void WriteLine(std::uint64_t nowMilliseconds);

    std::uint64_t m_counted = 0;
    std::uint64_t m_lastLine = 0;
    bool m_wroteLine = false;
};
