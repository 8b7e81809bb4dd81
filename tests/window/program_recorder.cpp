// program_recorder: stands in for a program that another program under test starts (the
// engine the selector starts, say). It records how it was started and what it was handed, then
// ends at once:
//   "started.txt" beside itself gets two lines appended: "command line: " and the whole command
//   line, "working directory: " and the current directory;
//   "params.seen" beside itself becomes a byte-for-byte copy of "params" in the working
//   directory, when there is one (the real engine deletes that file as it reads it).
// Exit code 0, or 1 when the record could not be written.

#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string OwnFolder() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    const std::size_t slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? "." : folder.substr(0, slash);
}

std::string CurrentDirectory() {
    char path[MAX_PATH];
    const DWORD length = GetCurrentDirectoryA(MAX_PATH, path);
    return std::string(path, length < MAX_PATH ? length : 0);
}

}  // namespace

int main() {
    const std::string folder = OwnFolder();
    std::ifstream params("params", std::ios::binary);
    if (params) {
        const std::string bytes((std::istreambuf_iterator<char>(params)),
                                std::istreambuf_iterator<char>());
        std::ofstream(folder + "\\params.seen", std::ios::binary) << bytes;
    }
    std::ofstream record(folder + "\\started.txt", std::ios::binary | std::ios::app);
    record << "command line: " << GetCommandLineA() << "\n"
           << "working directory: " << CurrentDirectory() << "\n";
    return record.good() ? 0 : 1;
}
