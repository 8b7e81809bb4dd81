#include "launcher/launcher_log.h"

#include <windows.h>

#include "selector/selector_log.h"

void LauncherLog::Write(const std::string& message) {
    const std::string line = SelectorLog::LineNow(message);
    // No sharing: a second launcher writing at the same moment fails to open and drops its
    // line rather than interleaving with this one. The bytes go out as formatted, LF and all.
    const HANDLE file = CreateFileA(m_path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    SetFilePointer(file, 0, nullptr, FILE_END);
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    FlushFileBuffers(file);
    CloseHandle(file);
}
