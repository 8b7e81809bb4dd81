#pragma once
/// The caller program: one print queue handed to the engine.

#include <string>
#include <vector>

/// Serves the queue named in `arguments` (the program's arguments after its name) and returns
/// the program's exit code (caller/caller_params.h).
int RunCaller(const std::vector<std::string>& arguments);
