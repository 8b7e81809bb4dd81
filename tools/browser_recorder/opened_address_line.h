#pragma once
/// What the browser stand-in records of one start: one line in a file beside its program.

#include <string>
#include <vector>

/// The file, in the folder of the recorder's own program, that every start appends to.
extern const char* const kOpenedAddressFile;

/// The arguments after the program name joined by single spaces, then "\n". Written with one
/// call, so a reader never sees half a line.
std::string OpenedAddressLine(const std::vector<std::string>& arguments);
