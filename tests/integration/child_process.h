#pragma once
// Runs a program to its end as a child process, with a working directory and a time limit.

#include <map>
#include <string>
#include <vector>

namespace integration {

struct ChildResult {
    bool started = false;
    bool timedOut = false;
    int exitCode = -1;  // valid when the child exited on its own
    std::string output;  // standard output and standard error together
};

/// Runs `argv` in `workingDirectory` with `environment` added to this process's own, and
/// kills it after `timeoutSeconds`.
ChildResult RunChild(const std::vector<std::string>& argv, const std::string& workingDirectory,
                     const std::map<std::string, std::string>& environment, int timeoutSeconds);

}  // namespace integration
