#pragma once
/// The engine program: build the engine, start it, serve, and end with exit code 0.

#include <string>

/// `programName` is the program name as the command line gives it; the installation
/// directory is everything before its last path separator.
int RunEngineProgram(const std::string& programName);

/// The installation directory for a program name (the whole name without a separator).
std::string InstallationDirectoryOf(const std::string& programName);
