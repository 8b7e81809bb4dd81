#include <windows.h>

#include "platform/system_version.h"

namespace platform {

namespace {

static_assert(sizeof(OSVERSIONINFOA) == 148, "the version query uses the 148-byte structure");

class Win32SystemVersion : public SystemVersion {
public:
    std::string Name() override { return "Microsoft Windows"; }

    bool Query(SystemVersionInfo* info) override {
        OSVERSIONINFOA version{};
        version.dwOSVersionInfoSize = sizeof version;
        if (!GetVersionExA(&version)) return false;
        info->platformId = version.dwPlatformId;
        info->major = version.dwMajorVersion;
        info->minor = version.dwMinorVersion;
        info->servicePack = version.szCSDVersion;
        return true;
    }

    std::uint16_t DefaultLanguage() override { return GetSystemDefaultLangID(); }
};

}  // namespace

SystemVersion& SystemVersion::System() {
    static Win32SystemVersion version;
    return version;
}

}  // namespace platform
