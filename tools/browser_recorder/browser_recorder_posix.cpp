// The browser stand-in on Linux: appends its arguments as one line to the record beside its
// own program file.

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "opened_address_line.h"

namespace {

/// The folder of this program file, with its trailing slash; "" when it cannot be told.
std::string ProgramFolder() {
    char buffer[4096];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) return "";
    const std::string program(buffer, static_cast<std::size_t>(length));
    const std::size_t slash = program.rfind('/');
    return slash == std::string::npos ? "" : program.substr(0, slash + 1);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string line = OpenedAddressLine(std::vector<std::string>(argv + 1, argv + argc));
    const std::string path = ProgramFolder() + kOpenedAddressFile;
    // O_APPEND makes each start's single write land whole at the end, even when two starts
    // race.
    const int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        std::perror(path.c_str());
        return 1;
    }
    const bool whole = write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
    if (close(fd) != 0 || !whole) {
        std::perror(path.c_str());
        return 1;
    }
    return 0;
}
