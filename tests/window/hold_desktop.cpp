// Keeps Wine's desktop on the tests' display for a whole run. Wine makes its desktop with the
// display of the first windowed program and ends it shortly after the last one, so a program
// started without a display in between would leave the desktop without one, and the windows of
// later tests would never show. This program owns a hidden window until it is ended, and says
// "ready" once the desktop is made.

#include <windows.h>

#include <cstdio>

int main() {
    const HWND window = CreateWindowExW(0, L"STATIC", L"velkor test desktop holder", 0, 0, 0, 1, 1,
                                        nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr) return 1;
    std::puts("ready");
    std::fflush(stdout);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}
