#pragma once
/// The engine's log: one file per process, "log" + separator + "SMEyyyymmdd_hhmmss.log" below
/// the current directory, named at static initialisation. Each line is opened, written and
/// closed on its own, so any thread may log and the file is complete at every moment.
/// Forced lines are always written; optional ones only while logging to file is switched on.
/// Nothing here ever throws, and the "log" folder is never created.

#include <string>

namespace engine_log {

enum class Line { Optional = 0, Forced = 1 };

/// The path fixed for this process (relative to the current directory).
const std::string& LogFilePath();
/// Replaces the path; for tests, which must not depend on the start time.
void SetLogFilePath(const std::string& path);

void SetLoggingToFile(bool on);
bool LoggingToFile();

/// Replaces every "%<n>" of `format` by `argument`, scanning on after each insertion so the
/// inserted text is never scanned again.
std::string ReplacePlaceholder(const std::string& format, int n, const std::string& argument);

void Log(Line line, const std::string& message);
void Log(Line line, const std::string& format, const std::string& a1);
void Log(Line line, const std::string& format, const std::string& a1, const std::string& a2);
void Log(Line line, const std::string& format, const std::string& a1, const std::string& a2,
         const std::string& a3);
void Log(Line line, const std::string& format, const std::string& a1, const std::string& a2,
         const std::string& a3, const std::string& a4);

}  // namespace engine_log
