#include "selector/selector_messages_win32.h"

#include "platform/program_strings.h"
#include "platform/wide_text_win32.h"
#include "selector/selector_string_ids.h"

std::string SelectorString(unsigned id) {
    return platform::LoadProgramString(id, selector_text::kLongestText);
}

void ShowSelectorMessage(HWND owner, unsigned textId) {
    const std::wstring caption = platform::Wide(SelectorString(selector_text::kTitle));
    const std::wstring text = platform::Wide(SelectorString(textId));
    MessageBoxW(owner, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}
