#pragma once
/// The launcher's own log: one line per failure, in the selector's line format, written to a
/// file opened for that line alone and shared with no one while it is open.

#include <string>

class LauncherLog {
public:
    /// ".\Log\PrinterSelectorLauncher.log", relative to the working directory.
    static const char* DefaultPath() { return ".\\Log\\PrinterSelectorLauncher.log"; }

    explicit LauncherLog(std::string path = DefaultPath()) : m_path(std::move(path)) {}

    /// Appends one line stamped with the local time. A line that cannot be written is dropped,
    /// and a missing folder is not made: without ".\Log" the launcher logs nothing.
    void Write(const std::string& message);

private:
    std::string m_path;
};
