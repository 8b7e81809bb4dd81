#pragma once
/// Whether a path names its file by the name the file system stores. Windows also opens a file
/// under aliases: its name with trailing dots or blanks, its 8.3 short name. A server that
/// decides by a file's name how to treat it must not meet the file under another name.

#include <string>

namespace platform {

/// True when every segment of `relativePath` (segments separated by the platform's path
/// separator) names an entry below `folder` exactly as stored, letter case aside. False for an
/// alias, a pattern, an empty segment or an entry that does not exist.
bool IsStoredName(const std::string& folder, const std::string& relativePath);

}  // namespace platform
