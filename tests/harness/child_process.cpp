#include "harness/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "harness/wait.h"

namespace harness {

BackgroundChild::~BackgroundChild() {
    if (m_pid > 0 && !m_ended) {
        kill(-m_pid, SIGKILL);
        waitpid(m_pid, &m_status, 0);
    }
    if (m_outputFd >= 0) close(m_outputFd);
}

bool BackgroundChild::Start(const std::vector<std::string>& argv,
                            const std::string& workingDirectory,
                            const std::map<std::string, std::string>& environment) {
    // A child object may start again once its last child ended: forget that one.
    if (m_outputFd >= 0) close(m_outputFd);
    m_outputFd = -1;
    m_ended = false;
    m_status = 0;
    // Output goes to an unlinked file, not a pipe: Wine's own services outlive the program
    // and would keep a pipe open long after it ended.
    std::string pathTemplate =
        (std::filesystem::temp_directory_path() / "velkor-child-XXXXXX").string();
    m_outputFd = mkstemp(pathTemplate.data());
    if (m_outputFd < 0) return false;
    unlink(pathTemplate.c_str());
    m_pid = fork();
    if (m_pid < 0) return false;
    if (m_pid == 0) {
        setpgid(0, 0);
        dup2(m_outputFd, 1);
        dup2(m_outputFd, 2);
        close(m_outputFd);
        const int devNull = open("/dev/null", O_RDONLY);
        if (devNull >= 0) dup2(devNull, 0);
        for (const auto& [name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
        if (chdir(workingDirectory.c_str()) != 0) _exit(126);
        std::vector<char*> args;
        for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    setpgid(m_pid, m_pid);
    return true;
}

bool BackgroundChild::IsRunning() {
    if (m_pid <= 0 || m_ended) return false;
    if (waitpid(m_pid, &m_status, WNOHANG) == m_pid) m_ended = true;
    return !m_ended;
}

bool BackgroundChild::WaitForEnd(double guardSeconds) {
    if (!IsRunning()) return true;
    // A process file descriptor becomes readable when the child ends: no polling needed.
    const int processFd = static_cast<int>(syscall(SYS_pidfd_open, m_pid, 0));
    if (processFd < 0) return WaitUntil([this] { return !IsRunning(); }, guardSeconds);
    const Deadline deadline(guardSeconds);
    pollfd entry{processFd, POLLIN, 0};
    while (IsRunning() && !deadline.Passed()) {
        if (poll(&entry, 1, std::max(1, deadline.MillisecondsLeft())) < 0 && errno != EINTR) break;
    }
    close(processFd);
    return !IsRunning();
}

ChildResult BackgroundChild::Kill() {
    if (IsRunning()) {
        kill(-m_pid, SIGKILL);
        waitpid(m_pid, &m_status, 0);
        m_ended = true;
    }
    return Result(false);
}

ChildResult BackgroundChild::Wait(double guardSeconds) {
    if (WaitForEnd(guardSeconds) || m_pid <= 0) return Result(false);
    Kill();
    return Result(true);
}

ChildResult BackgroundChild::Result(bool timedOut) {
    ChildResult result;
    result.started = m_pid > 0;
    result.timedOut = timedOut;
    if (result.started && !timedOut && WIFEXITED(m_status)) result.exitCode = WEXITSTATUS(m_status);
    result.output = CollectOutput();
    return result;
}

std::string BackgroundChild::CollectOutput() {
    std::string output;
    if (m_outputFd < 0) return output;
    char buffer[4096];
    lseek(m_outputFd, 0, SEEK_SET);
    ssize_t count;
    while ((count = read(m_outputFd, buffer, sizeof buffer)) > 0) {
        output.append(buffer, static_cast<size_t>(count));
    }
    return output;
}

ChildResult RunChild(const std::vector<std::string>& argv, const std::string& workingDirectory,
                     const std::map<std::string, std::string>& environment, double guardSeconds) {
    BackgroundChild child;
    if (!child.Start(argv, workingDirectory, environment)) return ChildResult{};
    return child.Wait(guardSeconds);
}

}  // namespace harness
