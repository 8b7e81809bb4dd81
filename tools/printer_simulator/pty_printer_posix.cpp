#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "printer_transports.h"
#include "ready_signal.h"

namespace {

int Fail(const char* what) {
    std::fprintf(stderr, "printer_simulator: %s: %s\n", what, std::strerror(errno));
    return 1;
}

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t count = write(fd, bytes.data() + written, bytes.size() - written);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return false;
        written += static_cast<std::size_t>(count);
    }
    return true;
}

}  // namespace

int ServePty(const SimulatorOptions& options, CPrinterBehaviour& behaviour) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0) return Fail("posix_openpt");
    if (grantpt(master) != 0 || unlockpt(master) != 0) return Fail("grantpt");
    const char* slaveName = ptsname(master);
    if (slaveName == nullptr) return Fail("ptsname");
    const std::string slave = slaveName;
    // Kept open for the whole run: while no slave is open the master reads fail, and the
    // port's settings would be lost between two users.
    const int held = open(slave.c_str(), O_RDWR | O_NOCTTY);
    if (held < 0) return Fail("open pty");
    termios settings{};
    if (tcgetattr(held, &settings) != 0) return Fail("tcgetattr");
    cfmakeraw(&settings);
    if (tcsetattr(held, TCSANOW, &settings) != 0) return Fail("tcsetattr");
    if (!options.linkPath.empty()) {
        unlink(options.linkPath.c_str());
        if (symlink(slave.c_str(), options.linkPath.c_str()) != 0) return Fail("symlink");
    }
    if (!SignalReady(options.readyPath, slave)) return Fail("ready file");

    behaviour.BeginConnection();
    behaviour.StallBeforeReading();
    char buffer[65536];
    for (;;) {
        const ssize_t count = read(master, buffer, behaviour.ReadAllowance(sizeof buffer));
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return Fail("read pty");
        if (count == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        const std::string answer = behaviour.Receive(buffer, static_cast<std::size_t>(count));
        if (answer.empty()) continue;
        behaviour.DelayAnswer();
        if (!WriteAll(master, answer)) return Fail("write pty");
    }
}
