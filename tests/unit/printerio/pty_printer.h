#pragma once
// POSIX only: a pseudo-terminal whose slave stands in for a printer port; the test plays
// the printer on the master.

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <string>

class PtyPrinter {
public:
    PtyPrinter() {
        m_master = posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) return;
        const char* name = ptsname(m_master);
        if (name != nullptr) m_port = name;
        termios settings{};
        tcgetattr(m_master, &settings);
        cfmakeraw(&settings);
        tcsetattr(m_master, TCSANOW, &settings);
    }
    ~PtyPrinter() { HangUp(); }
    PtyPrinter(const PtyPrinter&) = delete;
    PtyPrinter& operator=(const PtyPrinter&) = delete;

    /// The slave's path, empty when no pty could be made.
    const std::string& Port() const { return m_port; }

    void Answer(const std::string& bytes) {
        if (write(m_master, bytes.data(), bytes.size()) < 0) m_port.clear();
    }

    /// What the channel sent: reads until `count` bytes came or nothing came for 500 ms.
    std::string Received(std::size_t count) {
        std::string bytes;
        char buffer[4096];
        while (bytes.size() < count) {
            pollfd entry{m_master, POLLIN, 0};
            if (poll(&entry, 1, 500) <= 0) break;
            const ssize_t got = read(m_master, buffer, sizeof(buffer));
            if (got <= 0) break;
            bytes.append(buffer, static_cast<std::size_t>(got));
        }
        return bytes;
    }

    void HangUp() {
        if (m_master >= 0) close(m_master);
        m_master = -1;
    }

private:
    int m_master = -1;
    std::string m_port;
};
