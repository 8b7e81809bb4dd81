#pragma once
/// Line ends at the end of a printer's answer, which carry nothing of the answer itself.

#include <string>

/// `text` without every CR and LF at its end.
inline std::string WithoutTrailingLineEnds(std::string text) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
    return text;
}
