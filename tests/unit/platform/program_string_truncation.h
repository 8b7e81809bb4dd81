#pragma once
// The buffer rule both platforms' string tables share: a string is cut to the buffer's size in
// UTF-16 units, NUL included, and a character is never cut in half.

#include <cstddef>

/// The text the cases cut: a character beyond the Basic Multilingual Plane takes two units.
constexpr const char* kTruncatedText = "Größe \xF0\x9D\x84\x9E ok";

struct TruncationCase {
    std::size_t maxCharacters;
    const char* expected;
};

constexpr TruncationCase kTruncationCases[] = {
    {0, ""},
    {1, ""},
    {3, "Gr"},
    {4, "Grö"},
    {5, "Größ"},
    {7, "Größe "},
    {8, "Größe "},  // the next character needs two units, one is left
    {9, "Größe \xF0\x9D\x84\x9E"},
    {11, "Größe \xF0\x9D\x84\x9E o"},
    {12, "Größe \xF0\x9D\x84\x9E ok"},
    {255, "Größe \xF0\x9D\x84\x9E ok"},
};
