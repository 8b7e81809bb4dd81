#include <cstdio>

#include "platform/program.h"

namespace platform {

char PathSeparator() { return '/'; }

std::string ProgramNameFromCommandLine(const char* argv0) { return argv0 ? argv0 : ""; }

bool DeleteFileAt(const std::string& path) { return std::remove(path.c_str()) == 0; }

}  // namespace platform
