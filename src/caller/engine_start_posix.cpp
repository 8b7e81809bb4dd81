#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "caller/engine_start.h"

extern char** environ;

bool StartEngineProgram(const std::string& program, const std::string& workingDirectory,
                        std::string* problem) {
    // The child reports a failed chdir or exec through this pipe; it closes on a good exec.
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) {
        *problem = std::strerror(errno);
        return false;
    }
    const pid_t child = fork();
    if (child < 0) {
        const int error = errno;
        close(report[0]);
        close(report[1]);
        *problem = std::strerror(error);
        return false;
    }
    if (child == 0) {
        close(report[0]);
        // The engine outlives the caller: its own session, so the caller's terminal or test
        // harness ending does not take it along.
        setsid();
        // Like a program started on Windows without inherited handles: the engine writes its
        // own log, and must not hold the caller's output open after the caller ended.
        const int nothing = open("/dev/null", O_RDWR);
        if (nothing >= 0) {
            dup2(nothing, 0);
            dup2(nothing, 1);
            dup2(nothing, 2);
            if (nothing > 2) close(nothing);
        }
        int error = 0;
        if (chdir(workingDirectory.c_str()) != 0) {
            error = errno;
        } else {
            char* const argv[] = {const_cast<char*>(program.c_str()), nullptr};
            execve(program.c_str(), argv, environ);
            error = errno;
        }
        ssize_t ignored = write(report[1], &error, sizeof(error));
        (void)ignored;
        _exit(127);
    }
    close(report[1]);
    int error = 0;
    ssize_t got;
    do {
        got = read(report[0], &error, sizeof(error));
    } while (got < 0 && errno == EINTR);
    close(report[0]);
    if (got == static_cast<ssize_t>(sizeof(error))) {
        waitpid(child, nullptr, 0);
        *problem = program + ": " + std::strerror(error);
        return false;
    }
    return true;
}
