#include "caller/caller_messages_win32.h"

#include <windows.h>

#include "caller/caller_string_ids.h"
#include "platform/program_strings.h"
#include "platform/wide_text_win32.h"

void ShowSystemErrorMessage(unsigned long code) {
    wchar_t* text = nullptr;
    FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    MessageBoxW(nullptr, text != nullptr ? text : L"", L"Error", MB_OK | MB_ICONINFORMATION);
    LocalFree(text);
}

void ShowUnusablePortMessage() {
    // The text is longer than the usual 255 characters in some languages.
    const std::wstring text =
        platform::Wide(platform::LoadProgramString(kCallerUnusablePort, 1024));
    const std::wstring caption = platform::Wide(platform::LoadProgramString(kCallerCaption));
    MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}
