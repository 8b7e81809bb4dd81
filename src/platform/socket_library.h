#pragma once
/// Start-up and shut-down of the system's socket library (Windows Sockets 1.1; nothing to do
/// on POSIX).

namespace platform {

/// Asks for version 1.1; true when the library started with exactly that version. When it
/// reports another version it has already been shut down again.
bool StartSocketLibrary();
void StopSocketLibrary();

}  // namespace platform
