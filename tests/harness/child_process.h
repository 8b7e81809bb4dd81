#pragma once
// Runs a program as a child process with a working directory: to its end, or in the
// background while a test talks to it. Time limits only guard against a hang.

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

namespace harness {

struct ChildResult {
    bool started = false;
    bool timedOut = false;
    int exitCode = -1;   // valid when the child exited on its own
    std::string output;  // standard output and standard error together
};

/// A child started in its own process group; killed with everything it started when it is
/// destroyed before it ended.
class BackgroundChild {
public:
    BackgroundChild() = default;
    ~BackgroundChild();
    BackgroundChild(const BackgroundChild&) = delete;
    BackgroundChild& operator=(const BackgroundChild&) = delete;

    /// Starts `argv` in `workingDirectory` with `environment` added to this process's own; a
    /// child object whose child ended may start another.
    bool Start(const std::vector<std::string>& argv, const std::string& workingDirectory,
               const std::map<std::string, std::string>& environment);
    /// True while the child has not ended.
    bool IsRunning();
    /// Blocks until the child ends or `guardSeconds` pass; true when it ended.
    bool WaitForEnd(double guardSeconds);
    /// Ends the child and everything it started at once.
    ChildResult Kill();
    /// Waits for the child to end, killing it when `guardSeconds` pass first (timedOut).
    ChildResult Wait(double guardSeconds);

private:
    ChildResult Result(bool timedOut);
    std::string CollectOutput();

    pid_t m_pid = -1;
    int m_outputFd = -1;
    bool m_ended = false;
    int m_status = 0;
};

/// Runs `argv` to its end, killing it after `guardSeconds`.
ChildResult RunChild(const std::vector<std::string>& argv, const std::string& workingDirectory,
                     const std::map<std::string, std::string>& environment, double guardSeconds);

}  // namespace harness
