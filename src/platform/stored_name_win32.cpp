#include <windows.h>

#include "platform/stored_name.h"
#include "text/ascii_case.h"

namespace platform {

namespace {

/// The stored name of the entry at `path`; false when the system finds none.
bool StoredNameOf(const std::string& path, std::string& name) {
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    name = found.cFileName;
    return true;
}

}  // namespace

bool IsStoredName(const std::string& folder, const std::string& relativePath) {
    std::string path = folder;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = relativePath.find('\\', start);
        if (end == std::string::npos) end = relativePath.size();
        const std::string segment = relativePath.substr(start, end - start);
        if (segment.empty()) return false;
        path += '\\';
        path += segment;
        // The search resolves aliases and patterns to the entry's own name.
        std::string stored;
        if (!StoredNameOf(path, stored) || !EqualsIgnoringAsciiCase(stored, segment)) {
            return false;
        }
        if (end == relativePath.size()) return true;
        start = end + 1;
    }
}

}  // namespace platform
