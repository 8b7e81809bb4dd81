// The string table on Windows: the program's STRINGTABLE resources, in the language the
// system's resource loader picks (the user's UI language; under Wine, LANG / LC_ALL).

#include <windows.h>

#include <vector>

#include "platform/program_strings.h"
#include "platform/wide_text_win32.h"

namespace platform {

namespace {

/// A string resource holds at most 65535 UTF-16 units: a bigger buffer gains nothing.
constexpr std::size_t kLargestBuffer = 65536;

}  // namespace

void UseProgramStrings(const ProgramString*, std::size_t) {}

std::string LoadProgramString(unsigned id, std::size_t maxCharacters) {
    // A zero-size buffer would make LoadStringW hand out a pointer instead of a copy.
    if (maxCharacters < 2) return std::string();
    const int capacity =
        static_cast<int>(maxCharacters < kLargestBuffer ? maxCharacters : kLargestBuffer);
    std::vector<wchar_t> buffer(static_cast<std::size_t>(capacity));
    int length = LoadStringW(GetModuleHandleW(nullptr), id, buffer.data(), capacity);
    if (length <= 0) return std::string();
    // LoadStringW cuts by UTF-16 units and may split a surrogate pair: drop the lone half.
    if (IS_HIGH_SURROGATE(buffer[static_cast<std::size_t>(length) - 1])) --length;
    return Utf8(std::wstring(buffer.data(), static_cast<std::size_t>(length)));
}

}  // namespace platform
