#include "http/request_path.h"

#include "text/ascii_case.h"
#include "text/url_coding.h"

namespace {

bool IsDeviceName(const std::string& segment) {
    // Windows opens a device whatever extension follows the name.
    std::string stem = ToUpperAscii(segment.substr(0, segment.find('.')));
    while (!stem.empty() && (stem.back() == ' ')) stem.pop_back();
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* device : kDevices) {
        if (stem == device) return true;
    }
    if (stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0)) {
        return stem[3] >= '0' && stem[3] <= '9';
    }
    return false;
}

bool IsSafeText(const std::string& path) {
    if (path.find('\\') != std::string::npos || path.find(':') != std::string::npos ||
        path.find('\0') != std::string::npos) {
        return false;
    }
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        std::string segment = path.substr(start, end - start);
        std::string trimmed = segment;
        // Windows drops trailing dots and blanks, so "..." and ".. " climb too.
        while (!trimmed.empty() && (trimmed.back() == '.' || trimmed.back() == ' ')) {
            trimmed.pop_back();
        }
        if (trimmed.empty() && !segment.empty()) return false;
        if (IsDeviceName(segment)) return false;
        start = end + 1;
    }
    return true;
}

}  // namespace

bool IsConfinedRequestPath(const std::string& path) {
    // The file is opened under the raw path, but a decoded form is what some layer below may
    // see: both must be safe.
    return IsSafeText(path) && IsSafeText(UrlDecode(path));
}
