#pragma once
/// Starting the maintenance engine from its installation folder.

#include <string>

/// Starts "<installationPath>\velkor.exe" at normal priority with this process's environment
/// and `installationPath` as its working directory, and lets it run on its own; false when it
/// could not be started.
bool StartEngine(const std::string& installationPath);
