#include <sys/stat.h>

#include "platform/file_time.h"

namespace platform {

std::int64_t FileModificationTime(const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) return 0;
    return static_cast<std::int64_t>(status.st_mtime);
}

}  // namespace platform
