// The browser stand-in on Windows: appends its arguments, as UTF-8, as one line to the record
// beside its own program file. A GUI program, so starting it shows no console.

#include <windows.h>

#include <string>
#include <vector>

#include "opened_address_line.h"
#include "platform/wide_text_win32.h"

namespace {

/// The record file in the folder of this program file.
std::wstring RecordPath() {
    std::wstring program(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, &program[0], static_cast<DWORD>(program.size()));
        if (length == 0) return L"";
        if (length < program.size()) {
            program.resize(length);
            break;
        }
        program.resize(program.size() * 2);
    }
    const std::size_t slash = program.find_last_of(L"\\/");
    const std::string name = kOpenedAddressFile;
    return program.substr(0, slash == std::wstring::npos ? 0 : slash + 1) +
           std::wstring(name.begin(), name.end());
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::string line = OpenedAddressLine(platform::ProgramArguments());
    // Append-only access makes the single write land whole at the end of the file.
    const HANDLE file =
        CreateFileW(RecordPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    const BOOL wrote =
        WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    const BOOL closed = CloseHandle(file);
    return wrote && closed && written == line.size() ? 0 : 1;
}
