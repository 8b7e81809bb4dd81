#pragma once
/// Handing a queue to the engine: the params file, then the engine's process.

#include <string>

/// Replaces the params file `path` by one holding `text`. A write that fails is not noticed:
/// the engine reports a params file it cannot read.
void WriteCallerParamsFile(const std::string& path, const std::string& text);

/// Starts `program` without a command line, at normal priority, with this process's
/// environment and `folder` as its working directory; false, with the reason left as the
/// thread's last error, when it could not be started.
bool StartCallerEngine(const std::string& program, const std::string& folder);
