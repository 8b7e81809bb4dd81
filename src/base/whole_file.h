#pragma once
/// Reading a small file whole, as the engine does for its XML files and logs.

#include <string>

/// Appends the bytes of the file at `path` to `bytes`; false when it cannot be opened.
bool ReadWholeFile(const std::string& path, std::string* bytes);
