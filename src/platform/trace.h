#pragma once
/// Debugger trace output: OutputDebugStringA on Windows, stderr on POSIX when the build's
/// VELKOR_TRACE switch is on. Never part of the log file.

namespace platform {

void Trace(const char* text);

}  // namespace platform
