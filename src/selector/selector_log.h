#pragma once
/// The printer selector's own log: one line per message, appended to a file that is opened
/// and closed for each line, so a crash never loses what was written before it.

#include <ctime>
#include <string>

class SelectorLog {
public:
    /// ".\Log\PrinterSelector.log", relative to the working directory, with the platform's
    /// separators.
    static std::string DefaultPath();

    explicit SelectorLog(std::string path = DefaultPath());

    /// Appends one line stamped with the local time; a line that cannot be written is dropped.
    void Write(const std::string& message);
    /// "day-month-year<TAB>hour:minute<TAB>:: message" and a line break, numbers without
    /// leading zeros.
    static std::string FormatLine(const std::tm& when, const std::string& message);
    /// The line of `message` stamped with the local time now.
    static std::string LineNow(const std::string& message);

    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};
