#pragma once
/// What the engine needs to know about its own process and the file system's naming.

#include <string>

namespace platform {

/// The separator between a folder and a name ("\\" on Windows, "/" on POSIX).
char PathSeparator();

/// The program name as it stands first on the process's command line, quotes removed
/// (Windows command-line rules on Windows; argv[0] on POSIX, which must be passed).
std::string ProgramNameFromCommandLine(const char* argv0);

/// `path` with every backslash made the platform's separator: the engine writes the paths of
/// module files with backslashes.
std::string WithPlatformSeparators(std::string path);

/// Deletes a file; true when it was removed.
bool DeleteFileAt(const std::string& path);

}  // namespace platform
