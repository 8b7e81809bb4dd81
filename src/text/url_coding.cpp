#include "text/url_coding.h"

#include <cstdio>
#include <cstdlib>

namespace {

bool IsAsciiAlphanumeric(unsigned char byte) {
    return (byte >= '0' && byte <= '9') || (byte >= 'a' && byte <= 'z') ||
           (byte >= 'A' && byte <= 'Z');
}

// As strtol(base 16) reads "0x" followed by up to two bytes: digits are taken while they are
// hexadecimal, anything else ends the number.
unsigned char HexByte(const std::string& text, std::size_t from) {
    std::string digits = "0x" + text.substr(from, 2);
    return static_cast<unsigned char>(std::strtol(digits.c_str(), nullptr, 16));
}

}  // namespace

std::string UrlDecode(const std::string& text) {
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char byte = text[i];
        if (byte == '+') {
            decoded += ' ';
        } else if (byte == '%') {
            decoded += static_cast<char>(HexByte(text, i + 1));
            i += 2;
        } else {
            decoded += byte;
        }
    }
    return decoded;
}

std::string UrlEncode(const std::string& text) {
    std::string encoded;
    encoded.reserve(text.size() * 3);
    for (char byte : text) {
        unsigned char value = static_cast<unsigned char>(byte);
        if (byte == ' ') {
            encoded += '+';
        } else if (IsAsciiAlphanumeric(value)) {
            encoded += byte;
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02x", value);
            encoded += escaped;
        }
    }
    return encoded;
}
