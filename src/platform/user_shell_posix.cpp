#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/user_shell.h"

extern char** environ;

namespace platform {
namespace {

// Starts `argv` (a bare name is looked up on PATH); the errno of a failed start, or 0.
int Spawn(const std::vector<std::string>& argv, pid_t* pid) {
    std::vector<char*> pointers;
    for (const std::string& argument : argv)
        pointers.push_back(const_cast<char*>(argument.c_str()));
    pointers.push_back(nullptr);
    return posix_spawnp(pid, pointers[0], nullptr, nullptr, pointers.data(), environ);
}

int ExitCodeOf(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool FolderExists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Runs a dialog program to its end: -1 when it is not installed, else its exit code (0 once
// its button was pressed).
int RunDialog(const std::vector<std::string>& argv) {
    pid_t pid = 0;
    if (Spawn(argv, &pid) != 0) return -1;
    return ExitCodeOf(pid);
}

class PosixUserShell : public UserShell {
public:
    int Open(const std::string& file, const std::string& parameters) override {
        const std::vector<std::string> argv = parameters.empty()
                                                  ? std::vector<std::string>{"xdg-open", file}
                                                  : std::vector<std::string>{file, parameters};
        pid_t pid = 0;
        const int error = Spawn(argv, &pid);
        if (error == 0) {
            // Nobody waits for a browser; this only keeps it from lingering as a zombie.
            std::thread([pid] { ExitCodeOf(pid); }).detach();
            return kShellSuccess;
        }
        if (error == ENOENT || error == ENOTDIR) {
            const std::string& program = argv[0];
            const std::string::size_type slash = program.rfind('/');
            if (slash != std::string::npos && slash > 0 &&
                !FolderExists(program.substr(0, slash))) {
                return kShellPathNotFound;
            }
            return kShellFileNotFound;
        }
        return error == EACCES ? kShellAccessDenied : kShellNoAssociation;
    }

    bool ShowErrorMessage(const std::string& caption, const std::string& text) override {
        const char* display = std::getenv("DISPLAY");
        if (display != nullptr && display[0] != '\0') {
            // One dialog only: a box the user closed is not shown again by the other program.
            int shown = RunDialog(
                {"zenity", "--error", "--no-markup", "--title=" + caption, "--text=" + text});
            if (shown < 0) {
                shown = RunDialog({"xmessage", "-title", caption, "-center", "-buttons", "OK:0",
                                   "-default", "OK", text});
            }
            if (shown == 0) return true;
        }
        std::fprintf(stderr, "%s\n%s\n", caption.c_str(), text.c_str());
        return false;
    }

    void NotifyInternetSettingsChanged() override {}
};

}  // namespace

UserShell& UserShell::System() {
    static PosixUserShell shell;
    return shell;
}

}  // namespace platform
