#include "integration/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <cstdlib>

namespace integration {

ChildResult RunChild(const std::vector<std::string>& argv, const std::string& workingDirectory,
                     const std::map<std::string, std::string>& environment, int timeoutSeconds) {
    ChildResult result;
    // Output goes to a file, not a pipe: Wine's own services outlive the program and would
    // keep a pipe open long after it ended.
    std::string pathTemplate =
        (std::filesystem::temp_directory_path() / "velkor-child-XXXXXX").string();
    char* outputPath = pathTemplate.data();
    const int outputFd = mkstemp(outputPath);
    if (outputFd < 0) return result;
    const pid_t pid = fork();
    if (pid < 0) {
        close(outputFd);
        unlink(outputPath);
        return result;
    }
    if (pid == 0) {
        setpgid(0, 0);  // so a time-out can kill the child with everything it started
        dup2(outputFd, 1);
        dup2(outputFd, 2);
        close(outputFd);
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
    result.started = true;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    int status = 0;
    for (;;) {
        if (waitpid(pid, &status, WNOHANG) == pid) {
            if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            result.timedOut = true;
            kill(-pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        usleep(20 * 1000);
    }
    char buffer[4096];
    lseek(outputFd, 0, SEEK_SET);
    ssize_t count;
    while ((count = read(outputFd, buffer, sizeof buffer)) > 0)
        result.output.append(buffer, static_cast<size_t>(count));
    close(outputFd);
    unlink(outputPath);
    return result;
}

}  // namespace integration
