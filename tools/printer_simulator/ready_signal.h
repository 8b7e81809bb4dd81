#pragma once
/// Tells whoever waits that the printer can be reached, and where.

#include <string>

/// Writes `place` into `readyPath` (whole or not at all) when a path is given, then prints
/// "ready PLACE" on standard output. False when the file could not be written.
bool SignalReady(const std::string& readyPath, const std::string& place);
