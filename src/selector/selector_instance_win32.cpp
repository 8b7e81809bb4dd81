#include "selector/selector_instance_win32.h"

#include "platform/wide_text_win32.h"
#include "selector/selector_log.h"

namespace {

struct TitleSearch {
    std::wstring title;
    HWND found = nullptr;
};

BOOL CALLBACK MatchTitle(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<TitleSearch*>(context);
    const int length = GetWindowTextLengthW(window);
    if (length != static_cast<int>(search->title.size())) return TRUE;
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(window, &text[0], static_cast<int>(text.size()))));
    if (text != search->title) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

SelectorInstance::~SelectorInstance() {
    if (m_mutex != nullptr) CloseHandle(m_mutex);
}

SelectorInstance::Claim SelectorInstance::ClaimMutex(SelectorLog& log) {
    m_mutex = CreateMutexA(nullptr, FALSE, "PrinterListMutex");
    if (m_mutex == nullptr) {
        log.Write("Could not create mutex");
        return Claim::Failed;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        log.Write("Another instance of launcher is running. Hence exiting...");
        return Claim::AnotherRuns;
    }
    return Claim::First;
}

bool BringWindowToFront(const std::string& title) {
    // FindWindow compares without case; the rule is the exact title.
    TitleSearch search;
    search.title = platform::Wide(title);
    EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr) return false;
    if (IsIconic(search.found)) ShowWindow(search.found, SW_RESTORE);
    // The system lets only the foreground thread hand the foreground on: borrow its input
    // state for the call.
    const DWORD self = GetCurrentThreadId();
    const HWND foreground = GetForegroundWindow();
    const DWORD owner = foreground != nullptr ? GetWindowThreadProcessId(foreground, nullptr) : 0;
    const bool attached = owner != 0 && owner != self && AttachThreadInput(self, owner, TRUE);
    const bool brought = SetForegroundWindow(search.found) != FALSE;
    if (attached) AttachThreadInput(self, owner, FALSE);
    return brought;
}
