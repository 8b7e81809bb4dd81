#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "printer_transports.h"
#include "ready_signal.h"

namespace {

int Fail(const char* what) {
    std::fprintf(stderr, "printer_simulator: %s: %s\n", what, std::strerror(errno));
    return 1;
}

// MSG_NOSIGNAL: a sender that has gone away must not end the printer.
bool SendAll(int connection, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t count =
            send(connection, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return false;
        sent += static_cast<std::size_t>(count);
    }
    return true;
}

void ServeConnection(int connection, CPrinterBehaviour& behaviour) {
    behaviour.BeginConnection();
    behaviour.StallBeforeReading();
    char buffer[65536];
    for (;;) {
        const std::size_t allowance = behaviour.ReadAllowance(sizeof buffer);
        if (allowance == 0) {
            behaviour.DelayAnswer();
            return;  // hang up
        }
        const ssize_t count = recv(connection, buffer, allowance, 0);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return;
        const std::string answer = behaviour.Receive(buffer, static_cast<std::size_t>(count));
        if (answer.empty()) continue;
        behaviour.DelayAnswer();
        if (!SendAll(connection, answer)) return;
    }
}

}  // namespace

int ServeTcp(const SimulatorOptions& options, CPrinterBehaviour& behaviour) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(options.port));
    if (inet_pton(AF_INET, options.address.c_str(), &address.sin_addr) != 1) {
        std::fprintf(stderr, "printer_simulator: \"%s\" is not an IPv4 address\n",
                     options.address.c_str());
        return 2;
    }
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    if (listener < 0) return Fail("socket");
    const int on = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (behaviour.TakesSlowly()) {
        // Set before listening so the window offered to the sender is small from the start;
        // the system rounds it up to its minimum.
        const int smallest = 1;
        setsockopt(listener, SOL_SOCKET, SO_RCVBUF, &smallest, sizeof smallest);
    }
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        return Fail(("bind " + options.address).c_str());
    }
    if (listen(listener, 8) != 0) return Fail("listen");
    socklen_t length = sizeof address;
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    const std::string place = options.address + ":" + std::to_string(ntohs(address.sin_port));
    if (!SignalReady(options.readyPath, place)) return Fail("ready file");

    long served = 0;
    for (;;) {
        const int connection = accept(listener, nullptr, nullptr);
        if (connection < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            return Fail("accept");
        }
        ServeConnection(connection, behaviour);
        close(connection);
        if (options.connections > 0 && ++served >= options.connections) break;
    }
    close(listener);
    return 0;
}
