#pragma once
/// Letter case of ASCII text; other bytes are left as they are.

#include <cstddef>
#include <string>

inline char ToLowerAscii(char ch) {
    return (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch;
}

inline char ToUpperAscii(char ch) {
    return (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch;
}

inline std::string ToLowerAscii(std::string text) {
    for (char& ch : text) ch = ToLowerAscii(ch);
    return text;
}

inline std::string ToUpperAscii(std::string text) {
    for (char& ch : text) ch = ToUpperAscii(ch);
    return text;
}

/// True when `text` begins with `prefix`, ASCII letters compared without case.
inline bool StartsWithIgnoringAsciiCase(const std::string& text, const std::string& prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (ToLowerAscii(text[i]) != ToLowerAscii(prefix[i])) return false;
    }
    return true;
}

inline bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && StartsWithIgnoringAsciiCase(a, b);
}
