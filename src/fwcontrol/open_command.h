#pragma once
// The open command that registration writes for ".fmw" files: the program beside the module
// with the module's base name and ".exe", in its short (8.3) form, then " %1".

#include <windows.h>

#include <functional>
#include <string>

/// GetShortPathNameA's shape: (long path, buffer, buffer size) -> length, 0 on failure.
using ShortPathFunction = std::function<DWORD(const char*, char*, DWORD)>;

/// Builds the command from the module's full path. E_OUTOFMEMORY when the short form needs
/// the whole 260-character buffer; the long form when no short form can be had.
HRESULT MakeOpenCommand(const std::string& modulePath, const ShortPathFunction& shortPath,
                        std::string* command);
