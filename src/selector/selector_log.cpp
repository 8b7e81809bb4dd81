#include "selector/selector_log.h"

#include <cstdio>
#include <vector>

#include "platform/clock.h"
#include "platform/program.h"

std::string SelectorLog::DefaultPath() {
    const char separator = platform::PathSeparator();
    return std::string(".") + separator + "Log" + separator + "PrinterSelector.log";
}

SelectorLog::SelectorLog(std::string path) : m_path(std::move(path)) {}

std::string SelectorLog::FormatLine(const std::tm& when, const std::string& message) {
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%d-%d-%d\t%d:%d", when.tm_mday, when.tm_mon + 1,
                  when.tm_year + 1900, when.tm_hour, when.tm_min);
    std::string line = stamp;
    line += "\t:: ";
    line += message;
    line += '\n';
    return line;
}

std::string SelectorLog::LineNow(const std::string& message) {
    const platform::LocalTime now = platform::CurrentLocalTime();
    std::tm when{};
    when.tm_year = now.year - 1900;
    when.tm_mon = now.month - 1;
    when.tm_mday = now.day;
    when.tm_hour = now.hour;
    when.tm_min = now.minute;
    when.tm_sec = now.second;
    return FormatLine(when, message);
}

void SelectorLog::Write(const std::string& message) {
    const std::string line = LineNow(message);
    // Text mode on purpose: on Windows the line ends in CR LF like every other text log there.
    std::FILE* file = std::fopen(m_path.c_str(), "a");
    if (file == nullptr) return;
    std::fwrite(line.data(), 1, line.size(), file);
    std::fflush(file);
    std::fclose(file);
}
