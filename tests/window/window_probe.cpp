// Finds, reads and presses the windows of a program under test. Runs under Wine with the
// same prefix and wineserver as that program, so it sees the same desktop; the tests on
// Linux drive it through harness/desktop.h.
//
// What Wine 8 shows of a MessageBoxW with MB_OK | MB_ICONERROR, in this order: a Static
// without text (the icon), the Button "OK" (no "&" in it), and a Static holding the message,
// its lines joined by LF.

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/wide_text_win32.h"

using platform::PrintRaw;
using platform::ProgramArguments;
using platform::Utf8;
using platform::Wide;

namespace {

const char* const kUsage =
    "usage: window_probe wait TITLE SECONDS   until a visible top-level window TITLE exists\n"
    "       window_probe texts TITLE          its title, then \"CLASS<TAB>TEXT\" of each child\n"
    "       window_probe press TITLE BUTTON   clicks its child button BUTTON\n"
    "Texts are UTF-8; a backslash, tab, CR or LF in a text is written \\\\ \\t \\r \\n.\n"
    "Exits 0 when done, 1 when there is no such window or button, 2 on a usage error.\n";

std::wstring TextOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    const int length = GetWindowTextW(window, &text[0], static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256];
    const int length = GetClassNameW(window, name, 256);
    return std::wstring(name, static_cast<std::size_t>(length > 0 ? length : 0));
}

struct Search {
    std::wstring title;
    HWND found = nullptr;
};

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM context) {
    Search* search = reinterpret_cast<Search*>(context);
    if (!IsWindowVisible(window) || TextOf(window) != search->title) return TRUE;
    search->found = window;
    return FALSE;
}

/// The visible top-level window with exactly this title, or null.
HWND FindVisible(const std::string& title) {
    Search search;
    search.title = Wide(title);
    EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM context) {
    reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
    return TRUE;
}

/// Every descendant of `window`, in Z order, parents before their children.
std::vector<HWND> ChildrenOf(HWND window) {
    std::vector<HWND> children;
    EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

/// One text per line, whatever it holds.
std::string Escaped(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        if (c == '\\')
            escaped += "\\\\";
        else if (c == '\t')
            escaped += "\\t";
        else if (c == '\r')
            escaped += "\\r";
        else if (c == '\n')
            escaped += "\\n";
        else
            escaped += c;
    }
    return escaped;
}

/// A button caption as the user reads it: "&OK" and "OK" are the same button.
std::wstring WithoutAccelerator(const std::wstring& text) {
    std::wstring plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size()) ++i;
        plain += text[i];
    }
    return plain;
}

int Wait(const std::string& title, double seconds) {
    // Polling is the only way to see another process's window appear; the bound only guards
    // against a window that never comes.
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    for (;;) {
        if (FindVisible(title) != nullptr) return 0;
        if (GetTickCount64() >= end) return 1;
        Sleep(50);
    }
}

int Texts(const std::string& title) {
    const HWND window = FindVisible(title);
    if (window == nullptr) return 1;
    std::string lines = Escaped(Utf8(TextOf(window))) + "\n";
    for (HWND child : ChildrenOf(window)) {
        lines += Escaped(Utf8(ClassOf(child))) + "\t" + Escaped(Utf8(TextOf(child))) + "\n";
    }
    PrintRaw(lines);
    return 0;
}

int Press(const std::string& title, const std::string& button) {
    const HWND window = FindVisible(title);
    if (window == nullptr) return 1;
    const std::wstring wanted = WithoutAccelerator(Wide(button));
    for (HWND child : ChildrenOf(window)) {
        if (lstrcmpiW(ClassOf(child).c_str(), L"Button") != 0) continue;
        if (WithoutAccelerator(TextOf(child)) != wanted) continue;
        // Posted, not sent: the click ends a modal loop, and the probe must not wait on it.
        return PostMessageW(child, BM_CLICK, 0, 0) ? 0 : 1;
    }
    return 1;
}

}  // namespace

int main() {
    const std::vector<std::string> arguments = ProgramArguments();
    const std::string command = arguments.empty() ? "" : arguments[0];
    if (command == "wait" && arguments.size() == 3) {
        return Wait(arguments[1], std::strtod(arguments[2].c_str(), nullptr));
    }
    if (command == "texts" && arguments.size() == 2) return Texts(arguments[1]);
    if (command == "press" && arguments.size() == 3) return Press(arguments[1], arguments[2]);
    PrintRaw(kUsage);
    return 2;
}
