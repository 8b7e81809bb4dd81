#pragma once
/// POSIX only: the descriptor work that the device seams share.

#include <cstdint>
#include <string>

namespace platform {

/// Opens the POSIX name of `path` (DevicePathOnThisSystem) with `flags` plus close-on-exec and
/// no controlling terminal. A terminal is switched to raw bytes, as a printer port carries
/// them. -1 with errno set on failure.
int OpenDeviceDescriptor(const std::string& path, int flags);

/// Waits up to `milliseconds` (0xFFFFFFFF: without limit) for `events` on `fd`, going on
/// after signals. The events that came, 0 when the time ran out, -1 with errno on failure.
int WaitDescriptor(int fd, short events, std::uint32_t milliseconds);

}  // namespace platform
