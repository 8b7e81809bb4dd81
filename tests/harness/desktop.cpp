#include "harness/desktop.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "harness/child_process.h"
#include "harness/wait.h"

namespace fs = std::filesystem;

namespace harness {

namespace {

const double kStartGuardSeconds = 30;  // a program's own start, apart from what it waits on

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string WorkingDirectory() { return fs::temp_directory_path().string(); }

/// Starts Xvfb on display `number`; its process id, or -1. `*ready` is the end of a pipe that
/// gets the display number once the server accepts connections, and is closed when it fails.
pid_t StartXvfb(int number, int* ready) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return -1;
    fcntl(pipeFds[0], F_SETFD, FD_CLOEXEC);
    const pid_t pid = fork();
    if (pid == 0) {
        const int devNull = open("/dev/null", O_RDWR);
        for (int fd : {0, 1, 2}) dup2(devNull, fd);
        const std::string display = ":" + std::to_string(number);
        const std::string readyFd = std::to_string(pipeFds[1]);
        execlp("Xvfb", "Xvfb", display.c_str(), "-displayfd", readyFd.c_str(), "-noreset",
               "-nolisten", "tcp", "-screen", "0", "1024x768x24", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeFds[1]);
    if (pid < 0) {
        close(pipeFds[0]);
        return -1;
    }
    *ready = pipeFds[0];
    return pid;
}

/// Reads what Xvfb writes to `fd` once it accepts connections; "" when it ended first (its
/// display was taken) or the guard passed.
std::string ReadDisplayNumber(int fd) {
    std::string number;
    const Deadline deadline(kStartGuardSeconds);
    while (!deadline.Passed()) {
        pollfd entry{fd, POLLIN, 0};
        if (poll(&entry, 1, std::max(1, deadline.MillisecondsLeft())) <= 0) continue;
        char c;
        if (read(fd, &c, 1) != 1) return "";
        if (c == '\n') return number;
        number += c;
    }
    return "";
}

/// Ends Xvfb `pid` the way that lets it remove its lock file; kills it only when it hangs.
void StopXvfb(pid_t pid) {
    kill(pid, SIGTERM);
    int status = 0;
    if (!WaitUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, kStartGuardSeconds)) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
}

/// Runs window_probe.exe of the Windows build with `arguments` on `display`.
ChildResult RunProbe(const ProgramTarget& target, const VirtualDisplay& display,
                     const std::vector<std::string>& arguments, double guardSeconds) {
    // Wine reads the probe's command line in the locale's character set: UTF-8 titles need a
    // UTF-8 locale.
    std::map<std::string, std::string> environment = display.Environment(target.Environment());
    environment["LC_ALL"] = "C.UTF-8";
    return RunChild(target.Command(target.BuiltProgram("window_probe"), arguments),
                    WorkingDirectory(), environment, guardSeconds + kStartGuardSeconds);
}

std::string Unescaped(const std::string& text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            plain += text[i];
            continue;
        }
        const char next = text[++i];
        plain += next == 'n' ? '\n' : next == 'r' ? '\r' : next == 't' ? '\t' : next;
    }
    return plain;
}

/// The X window ids of visible windows named exactly `title`, found with xdotool (whose
/// search ignores letter case and takes a pattern, so each hit is checked).
std::vector<std::string> NativeWindows(const VirtualDisplay& display, const std::string& title) {
    const std::map<std::string, std::string> environment = display.Environment();
    std::string pattern = "^";
    for (char c : title) {
        if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos) pattern += '\\';
        pattern += c;
    }
    pattern += "$";
    const ChildResult found = RunChild({"xdotool", "search", "--onlyvisible", "--name", pattern},
                                       WorkingDirectory(), environment, kStartGuardSeconds);
    std::vector<std::string> windows;
    if (found.exitCode != 0) return windows;
    // Wine's windows are X windows too, classed by their program file ("velkor.exe"): a
    // native test on the shared display must not take a Wine test's window of the same title.
    const std::string wine = RunChild({"xdotool", "search", "--classname", "\\.exe$"},
                                      WorkingDirectory(), environment, kStartGuardSeconds)
                                 .output;
    std::istringstream ids(found.output);
    for (std::string id; std::getline(ids, id);) {
        if (("\n" + wine).find("\n" + id + "\n") != std::string::npos) continue;
        const ChildResult name = RunChild({"xdotool", "getwindowname", id}, WorkingDirectory(),
                                          environment, kStartGuardSeconds);
        if (name.exitCode == 0 && name.output == title + "\n") windows.push_back(id);
    }
    return windows;
}

}  // namespace

VirtualDisplay::VirtualDisplay() {
    m_name = Variable("VELKOR_TEST_DISPLAY");
    if (!m_name.empty()) return;
    // Displays from 200 on are rarely anyone's; starting at a place of this process's own
    // keeps test programs running side by side from trying the same numbers in turn.
    const int first = 200 + static_cast<int>(getpid() % 500);
    for (int number = first; number < first + 20 && m_name.empty(); ++number) {
        int ready = -1;
        m_server = StartXvfb(number, &ready);
        if (m_server < 0) return;
        if (!ReadDisplayNumber(ready).empty()) m_name = ":" + std::to_string(number);
        close(ready);
        if (m_name.empty()) {
            StopXvfb(m_server);
            m_server = -1;
        }
    }
}

VirtualDisplay::~VirtualDisplay() {
    if (m_server > 0) StopXvfb(m_server);
}

std::map<std::string, std::string> VirtualDisplay::Environment(
    std::map<std::string, std::string> environment) const {
    environment["DISPLAY"] = m_name;
    return environment;
}

bool DesktopWindow::WaitFor(const ProgramTarget& target, const VirtualDisplay& display,
                            const std::string& title, double guardSeconds) {
    if (!display.IsUsable()) return false;
    if (target.IsWine()) {
        return RunProbe(target, display, {"wait", title, std::to_string(guardSeconds)},
                        guardSeconds)
                   .exitCode == 0;
    }
    return WaitUntil([&] { return !NativeWindows(display, title).empty(); }, guardSeconds, 100);
}

std::vector<std::string> DesktopWindow::Texts(const ProgramTarget& target,
                                              const VirtualDisplay& display,
                                              const std::string& title) {
    std::vector<std::string> texts;
    if (!display.IsUsable() || !target.IsWine()) return texts;
    const ChildResult probed = RunProbe(target, display, {"texts", title}, 0);
    if (probed.exitCode != 0) return texts;
    std::istringstream lines(probed.output);
    std::string line;
    std::getline(lines, line);  // the window's own title
    while (std::getline(lines, line)) {
        const std::size_t tab = line.find('\t');
        const std::string text = tab == std::string::npos ? "" : Unescaped(line.substr(tab + 1));
        if (!text.empty()) texts.push_back(text);
    }
    return texts;
}

bool DesktopWindow::Press(const ProgramTarget& target, const VirtualDisplay& display,
                          const std::string& title, const std::string& button) {
    if (!display.IsUsable()) return false;
    if (target.IsWine())
        return RunProbe(target, display, {"press", title, button}, 0).exitCode == 0;
    const std::vector<std::string> windows = NativeWindows(display, title);
    if (windows.empty()) return false;
    // Sent to the window itself, not typed at the keyboard focus, so tests pressing keys on
    // the one shared display cannot take each other's keys. A window that closes on the key
    // press is gone before its key release arrives, and xdotool reports that as a failure.
    const ChildResult pressed =
        RunChild({"xdotool", "key", "--window", windows[0], "Return"}, WorkingDirectory(),
                 display.Environment(), kStartGuardSeconds);
    return pressed.exitCode == 0 || NativeWindows(display, title).empty();
}

namespace {

std::vector<std::string> SplitAtTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(Unescaped(line.substr(start, tab - start)));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

/// The probe's output lines; none when it failed or there is no Wine desktop.
std::vector<std::string> ProbeLines(const ProgramTarget& target, const VirtualDisplay& display,
                                    const std::vector<std::string>& arguments) {
    std::vector<std::string> lines;
    if (!display.IsUsable() || !target.IsWine()) return lines;
    const ChildResult probed = RunProbe(target, display, arguments, 0);
    if (probed.exitCode != 0) return lines;
    std::istringstream output(probed.output);
    for (std::string line; std::getline(output, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool ProbeDone(const ProgramTarget& target, const VirtualDisplay& display,
               const std::vector<std::string>& arguments) {
    return display.IsUsable() && target.IsWine() &&
           RunProbe(target, display, arguments, 0).exitCode == 0;
}

}  // namespace

std::vector<DialogControl> DialogWindow::Controls(const ProgramTarget& target,
                                                  const VirtualDisplay& display,
                                                  const std::string& title) {
    std::vector<DialogControl> controls;
    for (const std::string& line : ProbeLines(target, display, {"controls", title})) {
        const std::vector<std::string> fields = SplitAtTabs(line);
        if (fields.size() < 4 || fields[2].size() != 3) continue;
        DialogControl control;
        control.id = std::atoi(fields[0].c_str());
        control.className = fields[1];
        control.visible = fields[2][0] == 'v';
        control.enabled = fields[2][1] == 'e';
        control.checked = fields[2][2] == 'c';
        control.text = fields[3];
        controls.push_back(control);
    }
    return controls;
}

DialogControl DialogWindow::Control(const ProgramTarget& target, const VirtualDisplay& display,
                                    const std::string& title, int id) {
    for (const DialogControl& control : Controls(target, display, title)) {
        if (control.id == id) return control;
    }
    DialogControl none;
    none.id = -1;
    return none;
}

bool DialogWindow::ReadList(const ProgramTarget& target, const VirtualDisplay& display,
                            const std::string& title, ListViewContents* contents) {
    const std::vector<std::string> lines = ProbeLines(target, display, {"rows", title});
    if (lines.empty()) return false;
    *contents = ListViewContents();
    for (const std::string& line : lines) {
        std::vector<std::string> fields = SplitAtTabs(line);
        if (fields[0] == "header") {
            contents->headers.assign(fields.begin() + 1, fields.end());
        } else if (fields[0] == "row" && fields.size() >= 3) {
            ListViewContents::Row row;
            row.selected = fields[1] == "1";
            row.image = std::atoi(fields[2].c_str());
            row.texts.assign(fields.begin() + 3, fields.end());
            contents->rows.push_back(row);
        }
    }
    return true;
}

bool DialogWindow::SelectTab(const ProgramTarget& target, const VirtualDisplay& display,
                             const std::string& title, int index) {
    return ProbeDone(target, display, {"select-tab", title, std::to_string(index)});
}

bool DialogWindow::SelectRow(const ProgramTarget& target, const VirtualDisplay& display,
                             const std::string& title, int row) {
    return ProbeDone(target, display, {"select-row", title, std::to_string(row)});
}

bool DialogWindow::DoubleClickRow(const ProgramTarget& target, const VirtualDisplay& display,
                                  const std::string& title, int row) {
    return ProbeDone(target, display, {"double-click-row", title, std::to_string(row)});
}

RegistryFile CjkDialogFonts(RegistryFile entries) {
    for (const char* face : {"MS UI Gothic", "SimSun", "Gulim", "PMingLiU"}) {
        entries.SetString("HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements", face,
                          "WenQuanYi Micro Hei");
    }
    return entries;
}

bool TakeScreenshot(const VirtualDisplay& display, const std::string& path) {
    if (!display.IsUsable()) return false;
    std::error_code error;
    fs::create_directories(fs::path(path).parent_path(), error);
    const ChildResult taken = RunChild({"import", "-window", "root", path}, WorkingDirectory(),
                                       display.Environment(), kStartGuardSeconds);
    return taken.exitCode == 0 && fs::file_size(path, error) > 0;
}

std::string ScreenshotFolder() {
    fs::create_directories(VELKOR_SCREENSHOT_FOLDER);
    return VELKOR_SCREENSHOT_FOLDER;
}

}  // namespace harness
