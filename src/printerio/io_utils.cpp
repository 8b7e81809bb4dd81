#include "printerio/io_utils.h"

CIOUtils& CIOUtils::Instance() {
    static CIOUtils instance(&platform::QueryOsVersion);
    return instance;
}

CIOUtils::CIOUtils(VersionQuery query) {
    platform::OsVersion version;
    const bool known = query(&version);
    m_osClass = OsClassOf(known, version);
}

std::int32_t CIOUtils::OsClassOf(bool known, const platform::OsVersion& version) {
    if (!known) return 0;
    if (version.platformId == platform::kPlatformWindows9x) return 2;
    if (version.platformId != platform::kPlatformNt) return 0;
    if (version.major != 5) return 3;
    return version.minor == 1 ? 5 : 4;
}
