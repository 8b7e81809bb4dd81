#pragma once
/// Where the printer selector is installed, as the installer recorded it in the registry.

#include <string>

/// The installation's key below HKEY_LOCAL_MACHINE.
extern const char* const kLauncherInstallationKey;

struct SelectorLocation {
    /// "PATH": the installation folder, also the selector's working directory.
    std::string folder;
    /// "SELECTOR_EXE": the selector's file name inside that folder.
    std::string program;

    /// The folder, one backslash and the file name, taken as they are: a folder stored with a
    /// trailing backslash gives a doubled one, an empty name a path ending in the backslash.
    std::string ProgramPath() const;
};

/// Reads both values of `key` (below HKEY_LOCAL_MACHINE); false with `*failure` set to the
/// log message of the step that failed. Each value must fit a 260-byte buffer, NUL included.
bool ReadSelectorLocation(const std::string& key, SelectorLocation* location, std::string* failure);
