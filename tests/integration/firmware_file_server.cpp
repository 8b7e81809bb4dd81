#include "integration/firmware_file_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <utility>

namespace integration {

FirmwareFileServer::FirmwareFileServer(std::string bytes) : m_bytes(std::move(bytes)) {
    m_socket = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    if (bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        listen(m_socket, 8) != 0 ||
        getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return;
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { Serve(); });
}

FirmwareFileServer::~FirmwareFileServer() {
    // Shutting the listening socket down ends the accept the serving thread waits in.
    shutdown(m_socket, SHUT_RDWR);
    close(m_socket);
    if (m_thread.joinable()) m_thread.join();
}

std::string FirmwareFileServer::Address() const {
    return "http://127.0.0.1:" + std::to_string(m_port) + "/firmware.fmw";
}

void FirmwareFileServer::Serve() {
    for (;;) {
        const int connection = accept(m_socket, nullptr, nullptr);
        if (connection < 0) return;
        std::string request;
        char buffer[1024];
        ssize_t got;
        while (request.find("\r\n\r\n") == std::string::npos &&
               (got = recv(connection, buffer, sizeof(buffer), 0)) > 0)
            request.append(buffer, static_cast<std::size_t>(got));
        ++m_requests;
        const bool known = request.rfind("GET /firmware.fmw ", 0) == 0;
        const std::string body = known ? m_bytes : "";
        const std::string answer =
            std::string(known ? "HTTP/1.0 200 OK" : "HTTP/1.0 404 Not Found") +
            "\r\nContent-Type: application/x-fmw\r\nContent-Length: " +
            std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
        send(connection, answer.data(), answer.size(), MSG_NOSIGNAL);
        close(connection);
    }
}

}  // namespace integration
