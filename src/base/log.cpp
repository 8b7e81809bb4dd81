#include "base/log.h"

#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>

#include "platform/clock.h"
#include "platform/program.h"

namespace engine_log {

namespace {

// Constant-initialised, so it is valid before any dynamic initialiser runs.
std::atomic<bool> g_loggingToFile{false};

std::string StartTimePath() {
    const platform::LocalTime now = platform::CurrentLocalTime();
    char name[64];
    std::snprintf(name, sizeof name, "SME%04d%02d%02d_%02d%02d%02d.log", now.year, now.month,
                  now.day, now.hour, now.minute, now.second);
    return std::string("log") + platform::PathSeparator() + name;
}

// A function-local static, so a caller from another file's static initialiser still finds
// the path built; the fixer below makes sure it is built at start-up even if nobody logs.
std::string& PathStorage() {
    static std::string path = StartTimePath();
    return path;
}

struct PathFixer {
    PathFixer() { PathStorage(); }
};
const PathFixer g_pathFixer;

bool Dropped(Line line) {
    return line == Line::Optional && !g_loggingToFile.load(std::memory_order_relaxed);
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Held only around one line's open, write and close. The Windows C runtime appends by seeking
// to the end and then writing, so two threads appending through their own handles at the
// same moment can overwrite each other's line; within the process this lock rules that out.
// Constant-initialised, like the switch.
std::mutex g_appendLock;

// The whole line is built before the file is opened and goes out in one write. Binary mode
// with an explicit CR LF gives the same bytes on every platform.
void WriteLine(const std::string& message) {
    const platform::LocalTime now = platform::CurrentLocalTime();
    char stamp[96];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d", now.year, now.month,
                  now.day, now.hour, now.minute, now.second);
    std::string line = stamp;
    line += '\t';
    line += message;
    line += "\r\n";

    const std::lock_guard<std::mutex> hold(g_appendLock);
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(PathStorage().c_str(), "ab"));
    if (!file) return;
    std::fwrite(line.data(), 1, line.size(), file.get());
    std::fflush(file.get());
}

void Write(const std::string& message) {
    try {
        WriteLine(message);
    } catch (...) {
    }
}

}  // namespace

const std::string& LogFilePath() { return PathStorage(); }

void SetLogFilePath(const std::string& path) { PathStorage() = path; }

void SetLoggingToFile(bool on) { g_loggingToFile.store(on, std::memory_order_relaxed); }

bool LoggingToFile() { return g_loggingToFile.load(std::memory_order_relaxed); }

std::string ReplacePlaceholder(const std::string& format, int n, const std::string& argument) {
    const std::string placeholder = "%" + std::to_string(n);
    std::string result;
    std::string::size_type from = 0;
    for (;;) {
        const std::string::size_type found = format.find(placeholder, from);
        if (found == std::string::npos) break;
        result.append(format, from, found - from);
        result += argument;
        from = found + placeholder.size();
    }
    result.append(format, from, std::string::npos);
    return result;
}

void Log(Line line, const std::string& message) {
    if (Dropped(line)) return;
    Write(message);
}

void Log(Line line, const std::string& format, const std::string& a1) {
    if (Dropped(line)) return;
    try {
        Write(ReplacePlaceholder(format, 1, a1));
    } catch (...) {
    }
}

void Log(Line line, const std::string& format, const std::string& a1, const std::string& a2) {
    if (Dropped(line)) return;
    try {
        Write(ReplacePlaceholder(ReplacePlaceholder(format, 2, a2), 1, a1));
    } catch (...) {
    }
}

void Log(Line line, const std::string& format, const std::string& a1, const std::string& a2,
         const std::string& a3) {
    if (Dropped(line)) return;
    try {
        std::string text = ReplacePlaceholder(format, 3, a3);
        text = ReplacePlaceholder(text, 2, a2);
        Write(ReplacePlaceholder(text, 1, a1));
    } catch (...) {
    }
}

void Log(Line line, const std::string& format, const std::string& a1, const std::string& a2,
         const std::string& a3, const std::string& a4) {
    if (Dropped(line)) return;
    try {
        std::string text = ReplacePlaceholder(format, 4, a4);
        text = ReplacePlaceholder(text, 3, a3);
        text = ReplacePlaceholder(text, 2, a2);
        Write(ReplacePlaceholder(text, 1, a1));
    } catch (...) {
    }
}

}  // namespace engine_log
