#pragma once
/// The last-write time of a file, for the caching headers of plain files.

#include <cstdint>
#include <string>

namespace platform {

/// Seconds since the epoch of the last write; 0 when the file cannot be opened or its time
/// cannot be read.
std::int64_t FileModificationTime(const std::string& path);

}  // namespace platform
