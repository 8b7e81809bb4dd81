#pragma once
/// What the windowless engine asks of the user's desktop: open a program or address, show an
/// error message, and tell the Internet settings layer that its settings changed.

#include <string>

namespace platform {

/// ShellExecuteA's result codes that callers tell apart; any code above 32 is success.
constexpr int kShellFileNotFound = 2;
constexpr int kShellPathNotFound = 3;
constexpr int kShellAccessDenied = 5;
constexpr int kShellNoAssociation = 31;
constexpr int kShellSuccess = 42;

class UserShell {
public:
    virtual ~UserShell() = default;

    static UserShell& System();

    /// Opens `file` with the verb "open", the working directory "." and a normal window,
    /// handing it `parameters` (none when empty); returns the ShellExecuteA code. On POSIX a
    /// file without parameters is an address or document for xdg-open; otherwise it is the
    /// program to start with `parameters` as its one argument. Does not wait for the program.
    virtual int Open(const std::string& file, const std::string& parameters) = 0;
    /// A modal message box with the error icon and an OK button, without owner window; returns
    /// when it is closed. Texts are UTF-8. False when no desktop could show it (then POSIX
    /// writes it to standard error).
    virtual bool ShowErrorMessage(const std::string& caption, const std::string& text) = 0;
    /// Settings changed, then refresh; nothing to tell on POSIX.
    virtual void NotifyInternetSettingsChanged() = 0;
};

}  // namespace platform
