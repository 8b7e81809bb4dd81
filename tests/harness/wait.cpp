#include "harness/wait.h"

#include <algorithm>
#include <thread>

namespace harness {

double Deadline::SecondsLeft() const {
    return std::max(
        0.0, std::chrono::duration<double>(m_end - std::chrono::steady_clock::now()).count());
}

int Deadline::MillisecondsLeft() const { return static_cast<int>(SecondsLeft() * 1000); }

bool WaitUntil(const std::function<bool()>& condition, double timeoutSeconds,
               int intervalMilliseconds) {
    const Deadline deadline(timeoutSeconds);
    while (!deadline.Passed()) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(
            std::min(intervalMilliseconds, std::max(1, deadline.MillisecondsLeft()))));
    }
    return condition();
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace harness
