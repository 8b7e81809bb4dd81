#pragma once
/// The operating-system classes the printer selector tells apart.

#include "platform/os_version.h"

enum class SelectorOs : int {
    Other = 0,
    Windows95 = 1,
    Windows98 = 3,
    WindowsMe = 4,
    Nt3 = 5,
    Nt4 = 6,
    Windows2000 = 7,
    WindowsXp = 8,
    Server2003 = 9
};

/// The class of a version: 9x by its minor version (0, 10, 90), NT by major and minor.
SelectorOs SelectorOsOf(bool versionKnown, const platform::OsVersion& version);
/// The class of the running system.
SelectorOs SystemSelectorOs();
