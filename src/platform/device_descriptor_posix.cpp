#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>

#include "platform/device_descriptor.h"
#include "platform/device_file.h"  // DevicePathOnThisSystem

namespace platform {

int OpenDeviceDescriptor(const std::string& path, int flags) {
    const int fd = open(DevicePathOnThisSystem(path).c_str(), flags | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) return -1;
    termios settings{};
    if (isatty(fd) && tcgetattr(fd, &settings) == 0) {
        cfmakeraw(&settings);
        tcsetattr(fd, TCSANOW, &settings);
    }
    return fd;
}

int WaitDescriptor(int fd, short events, std::uint32_t milliseconds) {
    using Clock = std::chrono::steady_clock;
    const bool forever = milliseconds == 0xFFFFFFFFu;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        int wait = -1;
        if (!forever) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now())
                    .count();
            wait = left <= 0 ? 0 : (left > INT_MAX ? INT_MAX : static_cast<int>(left));
        }
        pollfd entry{fd, events, 0};
        const int result = poll(&entry, 1, wait);
        if (result > 0) return entry.revents;
        if (result == 0) {
            if (forever || Clock::now() >= deadline) return 0;
            continue;
        }
        if (errno != EINTR) return -1;
    }
}

}  // namespace platform
