#include "caller/caller_engine_location_win32.h"

#include <windows.h>

#include <cstring>

namespace {

const char* const kInstallationKey = "SOFTWARE\\Orvik\\Plotara TroubleShooter";

bool ReadText(HKEY key, const char* name, std::string* text) {
    char buffer[MAX_PATH] = {};
    DWORD type = 0;
    DWORD size = sizeof buffer;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ) {
        return false;
    }
    // A value stored without its terminating NUL fills the buffer to the end.
    *text = std::string(buffer, strnlen(buffer, size < sizeof buffer ? size : sizeof buffer));
    return true;
}

}  // namespace

bool ReadEngineLocation(std::string* folder, std::string* fileName) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kInstallationKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    const bool read = ReadText(key, "PATH", folder) && ReadText(key, "EXE", fileName);
    RegCloseKey(key);
    return read;
}
