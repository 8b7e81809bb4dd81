#pragma once
/// Letter case of ASCII text; other bytes are left as they are.

#include <string>

inline std::string ToLowerAscii(std::string text) {
    for (char& byte : text) {
        if (byte >= 'A' && byte <= 'Z') byte = static_cast<char>(byte - 'A' + 'a');
    }
    return text;
}

inline std::string ToUpperAscii(std::string text) {
    for (char& byte : text) {
        if (byte >= 'a' && byte <= 'z') byte = static_cast<char>(byte - 'a' + 'A');
    }
    return text;
}
