#include "integration/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

namespace integration {

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

ChildResult BackgroundChild::Wait(double timeoutSeconds) {
    ChildResult result;
    result.started = m_pid > 0;
    if (!result.started) return result;
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::milliseconds(static_cast<long>(timeoutSeconds * 1000));
    while (IsRunning()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            result.timedOut = true;
            kill(-m_pid, SIGKILL);
            waitpid(m_pid, &m_status, 0);
            m_ended = true;
            break;
        }
        usleep(20 * 1000);
    }
    if (!result.timedOut && WIFEXITED(m_status)) result.exitCode = WEXITSTATUS(m_status);
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
                     const std::map<std::string, std::string>& environment, int timeoutSeconds) {
    BackgroundChild child;
    if (!child.Start(argv, workingDirectory, environment)) return ChildResult{};
    return child.Wait(timeoutSeconds);
}

}  // namespace integration
