#pragma once
/// Which request paths may name a file of the module.

#include <string>

/// True when `path` stays inside the folder it is resolved against: no ".." segment (also
/// once URL-decoded), no backslash, drive or stream colon, NUL, or device name such as "CON"
/// or "LPT1.txt" in any segment.
bool IsConfinedRequestPath(const std::string& path);
