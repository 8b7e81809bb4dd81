// Finds, reads and presses the windows of a program under test. Runs under Wine with the
// same prefix and wineserver as that program, so it sees the same desktop; the tests on
// Linux drive it through harness/desktop.h.
//
// What Wine 8 shows of a MessageBoxW with MB_OK | MB_ICONERROR, in this order: a Static
// without text (the icon), the Button "OK" (no "&" in it), and a Static holding the message,
// its lines joined by LF.
//
// List views and tab controls keep their texts in their own process: the probe reads and
// changes them through a buffer it places in that process, as any accessibility tool must.

#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

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
    "       window_probe controls TITLE       \"ID<TAB>CLASS<TAB>STATE<TAB>TEXT\" of each child;\n"
    "                                         STATE: v(isible) e(nabled) c(hecked), '-' if not\n"
    "       window_probe rows TITLE           its list view: \"header\" and the column titles,\n"
    "                                         then \"row\", selected 0/1, image index, the texts\n"
    "       window_probe select-tab TITLE N   selects tab N of its tab control, as a user would\n"
    "       window_probe select-row TITLE N   selects and focuses row N of its list view\n"
    "       window_probe double-click-row TITLE N   double-clicks row N of its list view\n"
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

/// The first descendant of `window` of class `className`, or null.
HWND ChildOfClass(HWND window, const wchar_t* className) {
    for (HWND child : ChildrenOf(window)) {
        if (lstrcmpiW(ClassOf(child).c_str(), className) == 0) return child;
    }
    return nullptr;
}

/// A buffer in the process that owns a window, for the messages whose arguments point at
/// memory: the control reads and writes them in its own address space.
class RemoteBuffer {
public:
    RemoteBuffer(HWND window, std::size_t size) : m_size(size) {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        m_process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                                processId);
        if (m_process != nullptr) {
            m_address =
                VirtualAllocEx(m_process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        }
    }
    ~RemoteBuffer() {
        if (m_address != nullptr) VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
        if (m_process != nullptr) CloseHandle(m_process);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    bool IsUsable() const { return m_address != nullptr; }
    char* Address(std::size_t offset = 0) const { return static_cast<char*>(m_address) + offset; }
    bool Write(std::size_t offset, const void* data, std::size_t size) const {
        return offset + size <= m_size &&
               WriteProcessMemory(m_process, Address(offset), data, size, nullptr);
    }
    bool Read(std::size_t offset, void* data, std::size_t size) const {
        return offset + size <= m_size &&
               ReadProcessMemory(m_process, Address(offset), data, size, nullptr);
    }

private:
    HANDLE m_process = nullptr;
    void* m_address = nullptr;
    std::size_t m_size;
};

constexpr int kTextChars = 512;
constexpr std::size_t kTextOffset = 512;  // room for the item structure before the text
constexpr std::size_t kRemoteSize = kTextOffset + kTextChars * sizeof(wchar_t);

/// Reads the text the control wrote at kTextOffset.
std::wstring RemoteText(const RemoteBuffer& buffer) {
    std::wstring text(kTextChars, L'\0');
    if (!buffer.Read(kTextOffset, &text[0], kTextChars * sizeof(wchar_t))) return L"";
    text.resize(wcsnlen(text.c_str(), kTextChars));
    return text;
}

std::wstring ColumnTitle(HWND list, const RemoteBuffer& buffer, int column) {
    LVCOLUMNW item{};
    item.mask = LVCF_TEXT;
    item.pszText = reinterpret_cast<wchar_t*>(buffer.Address(kTextOffset));
    item.cchTextMax = kTextChars;
    const wchar_t none = L'\0';
    buffer.Write(kTextOffset, &none, sizeof none);
    if (!buffer.Write(0, &item, sizeof item)) return L"";
    if (!SendMessageW(list, LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(buffer.Address())))
        return L"";
    return RemoteText(buffer);
}

std::wstring CellText(HWND list, const RemoteBuffer& buffer, int row, int column) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = reinterpret_cast<wchar_t*>(buffer.Address(kTextOffset));
    item.cchTextMax = kTextChars;
    if (!buffer.Write(0, &item, sizeof item)) return L"";
    const LRESULT length =
        SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(buffer.Address()));
    return length > 0 ? RemoteText(buffer) : L"";
}

int ImageOf(HWND list, const RemoteBuffer& buffer, int row) {
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    if (!buffer.Write(0, &item, sizeof item)) return -1;
    if (!SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(buffer.Address()))) return -1;
    buffer.Read(0, &item, sizeof item);
    return item.iImage;
}

/// The list view of the window named `title`, or null.
HWND ListOf(const std::string& title) {
    const HWND window = FindVisible(title);
    return window == nullptr ? nullptr : ChildOfClass(window, WC_LISTVIEWW);
}

int Controls(const std::string& title) {
    const HWND window = FindVisible(title);
    if (window == nullptr) return 1;
    std::string lines;
    for (HWND child : ChildrenOf(window)) {
        std::string state;
        state += IsWindowVisible(child) ? 'v' : '-';
        state += IsWindowEnabled(child) ? 'e' : '-';
        const bool isButton = lstrcmpiW(ClassOf(child).c_str(), L"Button") == 0;
        state += isButton && SendMessageW(child, BM_GETCHECK, 0, 0) == BST_CHECKED ? 'c' : '-';
        lines += std::to_string(GetDlgCtrlID(child)) + "\t" + Escaped(Utf8(ClassOf(child))) + "\t" +
                 state + "\t" + Escaped(Utf8(TextOf(child))) + "\n";
    }
    PrintRaw(lines);
    return 0;
}

int Rows(const std::string& title) {
    const HWND list = ListOf(title);
    if (list == nullptr) return 1;
    const RemoteBuffer buffer(list, kRemoteSize);
    if (!buffer.IsUsable()) return 1;
    const HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    const int columns =
        header == nullptr ? 0 : static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    std::string lines = "header";
    for (int column = 0; column < columns; ++column) {
        lines += "\t" + Escaped(Utf8(ColumnTitle(list, buffer, column)));
    }
    lines += "\n";
    const int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
        const bool selected = SendMessageW(list, LVM_GETITEMSTATE, row, LVIS_SELECTED) != 0;
        lines += std::string("row\t") + (selected ? "1" : "0") + "\t" +
                 std::to_string(ImageOf(list, buffer, row));
        for (int column = 0; column < columns; ++column) {
            lines += "\t" + Escaped(Utf8(CellText(list, buffer, row, column)));
        }
        lines += "\n";
    }
    PrintRaw(lines);
    return 0;
}

int SelectTab(const std::string& title, int index) {
    const HWND window = FindVisible(title);
    const HWND tabs = window == nullptr ? nullptr : ChildOfClass(window, WC_TABCONTROLW);
    if (tabs == nullptr) return 1;
    // Unlike TCM_SETCURSEL, moving the focus tells the dialog, as a click on the tab does.
    SendMessageW(tabs, TCM_SETCURFOCUS, index, 0);
    return SendMessageW(tabs, TCM_GETCURSEL, 0, 0) == index ? 0 : 1;
}

int SelectRow(const std::string& title, int row) {
    const HWND list = ListOf(title);
    if (list == nullptr) return 1;
    const RemoteBuffer buffer(list, kRemoteSize);
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    if (!buffer.Write(0, &item, sizeof item)) return 1;
    return SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(buffer.Address()))
               ? 0
               : 1;
}

int DoubleClickRow(const std::string& title, int row) {
    const HWND list = ListOf(title);
    if (list == nullptr) return 1;
    const RemoteBuffer buffer(list, kRemoteSize);
    RECT bounds{};
    bounds.left = LVIR_LABEL;
    if (!buffer.Write(0, &bounds, sizeof bounds)) return 1;
    if (!SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(buffer.Address())))
        return 1;
    buffer.Read(0, &bounds, sizeof bounds);
    const LPARAM at =
        MAKELPARAM((bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2);
    // The mouse as the list view sees it: a click, then the double click on the same spot.
    PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(list, WM_LBUTTONUP, 0, at);
    PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    return PostMessageW(list, WM_LBUTTONUP, 0, at) ? 0 : 1;
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
    if (command == "controls" && arguments.size() == 2) return Controls(arguments[1]);
    if (command == "rows" && arguments.size() == 2) return Rows(arguments[1]);
    const int number = arguments.size() == 3 ? std::atoi(arguments[2].c_str()) : 0;
    if (command == "select-tab" && arguments.size() == 3) return SelectTab(arguments[1], number);
    if (command == "select-row" && arguments.size() == 3) return SelectRow(arguments[1], number);
    if (command == "double-click-row" && arguments.size() == 3)
        return DoubleClickRow(arguments[1], number);
    PrintRaw(kUsage);
    return 2;
}
