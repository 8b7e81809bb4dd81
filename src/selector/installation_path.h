#pragma once
/// Where the engine is installed: the "PATH" text of the installation key.

#include <string>

/// Reads "PATH" below HKEY_LOCAL_MACHINE `installationKey`; false when the key or a text
/// value of that name cannot be read.
bool ReadInstallationPath(const std::string& installationKey, std::string* path);
