#include "platform/program.h"

namespace platform {

std::string WithPlatformSeparators(std::string path) {
    const char separator = PathSeparator();
    for (char& c : path) {
        if (c == '\\') c = separator;
    }
    return path;
}

}  // namespace platform
