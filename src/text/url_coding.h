#pragma once
/// URL decoding of query values and URL encoding for links and the start-up probe.

#include <string>

/// "+" becomes a space, "%" and the two bytes after it become the byte they name in
/// hexadecimal; a "%" near the end takes whatever bytes remain.
std::string UrlDecode(const std::string& text);

/// A space becomes "+", ASCII letters and digits stay, every other byte becomes "%xx"
/// with lowercase hexadecimal digits.
std::string UrlEncode(const std::string& text);
