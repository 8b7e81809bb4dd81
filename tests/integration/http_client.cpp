#include "integration/http_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>

namespace integration {

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

bool ParseHead(const std::string& head, HttpAnswer& answer) {
    std::size_t lineEnd = head.find("\r\n");
    answer.statusLine = head.substr(0, lineEnd);
    std::size_t firstSpace = answer.statusLine.find(' ');
    if (firstSpace == std::string::npos) return false;
    answer.status = std::atoi(answer.statusLine.c_str() + firstSpace + 1);
    std::size_t secondSpace = answer.statusLine.find(' ', firstSpace + 1);
    if (secondSpace != std::string::npos) answer.reason = answer.statusLine.substr(secondSpace + 1);
    std::size_t start = lineEnd + 2;
    while (start < head.size()) {
        std::size_t end = head.find("\r\n", start);
        if (end == std::string::npos) end = head.size();
        std::string line = head.substr(start, end - start);
        std::size_t colon = line.find(": ");
        if (colon != std::string::npos)
            answer.headers[line.substr(0, colon)] = line.substr(colon + 2);
        start = end + 2;
    }
    return true;
}

}  // namespace

HttpConnection::HttpConnection(const std::string& address, int port) {
    m_fd = socket(AF_INET, SOCK_STREAM, 0);
    if (m_fd < 0) return;
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, address.c_str(), &peer.sin_addr);
    if (connect(m_fd, reinterpret_cast<sockaddr*>(&peer), sizeof peer) != 0) {
        close(m_fd);
        m_fd = -1;
    }
}

HttpConnection::~HttpConnection() {
    if (m_fd >= 0) close(m_fd);
}

bool HttpConnection::Send(const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t count = send(m_fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (count <= 0) return false;
        sent += static_cast<std::size_t>(count);
    }
    return true;
}

bool HttpConnection::ReadMore(double timeoutSeconds, bool& peerClosed) {
    peerClosed = false;
    pollfd entry{m_fd, POLLIN, 0};
    int ready = poll(&entry, 1, static_cast<int>(timeoutSeconds * 1000));
    if (ready <= 0) return false;
    char buffer[65536];
    ssize_t count = recv(m_fd, buffer, sizeof buffer, 0);
    if (count <= 0) {
        peerClosed = true;
        return false;
    }
    m_pending.append(buffer, static_cast<std::size_t>(count));
    return true;
}

HttpAnswer HttpConnection::ReadAnswer(double timeoutSeconds) {
    HttpAnswer answer;
    if (m_fd < 0) return answer;
    const auto start = Clock::now();
    bool peerClosed = false;
    std::size_t headEnd;
    while ((headEnd = m_pending.find("\r\n\r\n")) == std::string::npos) {
        double left = timeoutSeconds - SecondsSince(start);
        if (left <= 0) return answer;
        if (!ReadMore(left, peerClosed) && peerClosed) return answer;
    }
    answer.headerBlock = m_pending.substr(0, headEnd + 4);
    if (!ParseHead(m_pending.substr(0, headEnd), answer)) return answer;
    std::size_t length =
        static_cast<std::size_t>(std::atol(answer.Header("Content-Length").c_str()));
    while (m_pending.size() < headEnd + 4 + length) {
        double left = timeoutSeconds - SecondsSince(start);
        if (left <= 0) return answer;
        if (!ReadMore(left, peerClosed) && peerClosed) return answer;
    }
    answer.body = m_pending.substr(headEnd + 4, length);
    m_pending.erase(0, headEnd + 4 + length);
    answer.complete = true;
    return answer;
}

bool HttpConnection::FirstReadIsWholeAnswer(double timeoutSeconds) {
    bool peerClosed = false;
    if (!ReadMore(timeoutSeconds, peerClosed)) return false;
    std::size_t headEnd = m_pending.find("\r\n\r\n");
    if (headEnd == std::string::npos) return false;
    HttpAnswer answer;
    ParseHead(m_pending.substr(0, headEnd), answer);
    std::size_t length =
        static_cast<std::size_t>(std::atol(answer.Header("Content-Length").c_str()));
    return m_pending.size() == headEnd + 4 + length;
}

bool HttpConnection::ClosedByPeerWithin(double timeoutSeconds) {
    const auto start = Clock::now();
    bool peerClosed = false;
    while (SecondsSince(start) < timeoutSeconds) {
        if (ReadMore(timeoutSeconds - SecondsSince(start), peerClosed)) return false;
        if (peerClosed) return true;
    }
    return false;
}

double HttpConnection::SecondsUntilClosed(double limitSeconds) {
    const auto start = Clock::now();
    return ClosedByPeerWithin(limitSeconds) ? SecondsSince(start) : -1;
}

HttpAnswer Exchange(const std::string& request, double timeoutSeconds) {
    HttpConnection connection;
    if (!connection.IsOpen() || !connection.Send(request)) return HttpAnswer{};
    return connection.ReadAnswer(timeoutSeconds);
}

std::string GetRequest(const std::string& target, const std::string& extraHeaders,
                       const std::string& version) {
    return "GET " + target + " " + version + "\r\nHost: 127.0.0.1:8190\r\n" + extraHeaders + "\r\n";
}

}  // namespace integration
