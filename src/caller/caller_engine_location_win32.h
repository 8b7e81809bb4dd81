#pragma once
/// Where the engine is installed, as its setup recorded it for the caller.

#include <string>

/// "PATH" (the engine's folder) and "EXE" (its file name) of the key
/// "SOFTWARE\Orvik\Plotara TroubleShooter" of HKEY_LOCAL_MACHINE; false unless both are text
/// values of fewer than 260 bytes.
bool ReadEngineLocation(std::string* folder, std::string* fileName);
