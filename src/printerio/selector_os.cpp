#include "printerio/selector_os.h"

SelectorOs SelectorOsOf(bool versionKnown, const platform::OsVersion& version) {
    if (!versionKnown) return SelectorOs::Other;
    if (version.platformId == platform::kPlatformWindows9x) {
        switch (version.minor) {
            case 0:
                return SelectorOs::Windows95;
            case 10:
                return SelectorOs::Windows98;
            case 90:
                return SelectorOs::WindowsMe;
            default:
                return SelectorOs::Other;
        }
    }
    if (version.platformId != platform::kPlatformNt) return SelectorOs::Other;
    if (version.major == 3) return SelectorOs::Nt3;
    if (version.major == 4) return SelectorOs::Nt4;
    if (version.major != 5) return SelectorOs::Other;
    switch (version.minor) {
        case 0:
            return SelectorOs::Windows2000;
        case 1:
            return SelectorOs::WindowsXp;
        case 2:
            return SelectorOs::Server2003;
        default:
            return SelectorOs::Other;
    }
}

SelectorOs SystemSelectorOs() {
    platform::OsVersion version;
    const bool known = platform::QueryOsVersion(&version);
    return SelectorOsOf(known, version);
}
