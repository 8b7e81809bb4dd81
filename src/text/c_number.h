#pragma once
/// Numbers in "module.xml" are decimal text read with the usual C rules.

#include <string>

/// The value of the leading decimal digits after optional white space and sign, as strtol
/// reads them, clamped to the range of int; text without digits gives 0.
int ParseCNumber(const std::string& text);
