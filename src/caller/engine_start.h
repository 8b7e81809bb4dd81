#pragma once
/// Starts the engine as its own process.

#include <string>

/// Starts `program` without arguments, with `workingDirectory` as its current directory and
/// the caller's environment, and does not wait for it. false with a message in `*problem` when
/// it could not be started (also when it cannot be executed).
bool StartEngineProgram(const std::string& program, const std::string& workingDirectory,
                        std::string* problem);
