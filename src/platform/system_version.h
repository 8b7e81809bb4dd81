#pragma once
/// What the operating system says of itself for the workstation report: its name, its version
/// as GetVersionExA reports it, and its default language.

#include <cstdint>
#include <string>

namespace platform {

/// A platform identifier that no Windows family uses (theirs are 0, 1 and 2).
constexpr std::uint32_t kPlatformNotWindows = 0xFFFFFFFF;

struct SystemVersionInfo {
    std::uint32_t platformId = 0;
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::string servicePack;  // the service-pack text; may be empty
};

class SystemVersion {
public:
    virtual ~SystemVersion() = default;

    static SystemVersion& System();

    /// "Microsoft Windows" on Windows; the kernel's name ("Linux") on POSIX.
    virtual std::string Name() = 0;
    /// False when the system will not tell its version.
    virtual bool Query(SystemVersionInfo* info) = 0;
    /// The system default language identifier (GetSystemDefaultLangID); 0 when the system
    /// names none that maps to one.
    virtual std::uint16_t DefaultLanguage() = 0;
};

/// The Windows language identifier of a POSIX locale name such as "de_DE.UTF-8": the exact
/// language and territory when known, else the language alone (sublanguage neutral), else 0.
std::uint16_t LanguageIdOfLocale(const std::string& locale);

}  // namespace platform
