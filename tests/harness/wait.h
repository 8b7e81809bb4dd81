#pragma once
// Waiting on conditions: the one place where a test polls, and a deadline that only guards
// against a hang.

#include <chrono>
#include <functional>

namespace harness {

class Deadline {
public:
    explicit Deadline(double seconds)
        : m_end(std::chrono::steady_clock::now() +
                std::chrono::milliseconds(static_cast<long long>(seconds * 1000))) {}
    bool Passed() const { return std::chrono::steady_clock::now() >= m_end; }
    double SecondsLeft() const;
    int MillisecondsLeft() const;

private:
    std::chrono::steady_clock::time_point m_end;
};

/// Checks `condition` every `intervalMilliseconds` until it holds (true) or `timeoutSeconds`
/// have passed (false). The condition is checked once more at the deadline.
bool WaitUntil(const std::function<bool()>& condition, double timeoutSeconds,
               int intervalMilliseconds = 10);

/// Seconds since `start` on the monotonic clock.
double SecondsSince(std::chrono::steady_clock::time_point start);

}  // namespace harness
