#include <sys/utsname.h>

#include <cstdlib>
#include <fstream>

#include "platform/system_version.h"

namespace platform {

namespace {

// The system-wide locale as the distributions keep it ("LANG=de_DE.UTF-8", maybe quoted);
// empty when the file does not set it.
std::string LangOfFile(const char* path) {
    std::ifstream in(path);
    std::string lang;
    for (std::string line; std::getline(in, line);) {
        if (line.compare(0, 5, "LANG=") != 0) continue;
        lang = line.substr(5);
        if (lang.size() >= 2 && (lang.front() == '"' || lang.front() == '\'') &&
            lang.back() == lang.front()) {
            lang = lang.substr(1, lang.size() - 2);
        }
    }
    return lang;
}

// No Windows here: the platform identifier is none of Windows' own, so the report says
// "UNKNOWN_OS" rather than pretend; the numbers and the release are the kernel's.
class PosixSystemVersion : public SystemVersion {
public:
    std::string Name() override {
        struct utsname names {};
        return uname(&names) == 0 ? names.sysname : "";
    }

    bool Query(SystemVersionInfo* info) override {
        struct utsname names {};
        if (uname(&names) != 0) return false;
        char* rest = nullptr;
        info->platformId = kPlatformNotWindows;
        info->major = static_cast<std::uint32_t>(std::strtoul(names.release, &rest, 10));
        info->minor =
            *rest == '.' ? static_cast<std::uint32_t>(std::strtoul(rest + 1, nullptr, 10)) : 0;
        // The full release ("6.1.0-18-amd64") carries the distribution's update level, which
        // is what a service pack tells on Windows.
        info->servicePack = names.release;
        return true;
    }

    // The system's default is the locale the distribution sets for every user; a system
    // without one (a container, say) leaves it to the environment it starts programs with.
    std::uint16_t DefaultLanguage() override {
        std::string lang = LangOfFile("/etc/default/locale");
        if (lang.empty()) lang = LangOfFile("/etc/locale.conf");
        if (lang.empty()) {
            const char* environment = std::getenv("LANG");
            if (environment != nullptr) lang = environment;
        }
        return LanguageIdOfLocale(lang);
    }
};

}  // namespace

SystemVersion& SystemVersion::System() {
    static PosixSystemVersion version;
    return version;
}

}  // namespace platform
