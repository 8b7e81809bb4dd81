#include <windows.h>

#include "platform/os_version.h"

namespace platform {

bool QueryOsVersion(OsVersion* version) {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info);
    if (!GetVersionExA(&info)) return false;
    version->platformId = info.dwPlatformId;
    version->major = info.dwMajorVersion;
    version->minor = info.dwMinorVersion;
    return true;
}

}  // namespace platform
