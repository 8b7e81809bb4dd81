#pragma once
/// Windows only: UTF-8 inside the programs, UTF-16 towards Win32 (the wide API shows text in
/// every language, whatever the ANSI code page).

#include <string>
#include <vector>

namespace platform {

/// `text` as UTF-8.
std::string Utf8(const std::wstring& text);
/// UTF-8 `text` as UTF-16.
std::wstring Wide(const std::string& text);
/// This program's arguments after its name, as UTF-8.
std::vector<std::string> ProgramArguments();
/// Writes `text` to standard output as it is: no CR is added before LF.
void PrintRaw(const std::string& text);

}  // namespace platform
