#pragma once
/// The Windows command-line rule for the program name, kept portable so both builds test it.

#include <string>

namespace platform {

/// The first token of a command line: double quotes toggle quoting and are removed, and an
/// unquoted blank or tab ends the name.
std::string FirstCommandLineToken(const std::string& commandLine);

}  // namespace platform
