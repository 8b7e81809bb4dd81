#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/tcp_socket.h"

namespace platform {

namespace {

int Descriptor(SocketHandle socket) { return static_cast<int>(socket); }

sockaddr_in InetAddress(std::uint32_t address, std::uint16_t port) {
    sockaddr_in inet;
    std::memset(&inet, 0, sizeof inet);
    inet.sin_family = AF_INET;
    inet.sin_addr.s_addr = htonl(address);
    inet.sin_port = htons(port);
    return inet;
}

bool SetNonBlocking(int descriptor, bool nonBlocking) {
    int flags = fcntl(descriptor, F_GETFL, 0);
    if (flags < 0) return false;
    flags = nonBlocking ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
    return fcntl(descriptor, F_SETFL, flags) == 0;
}

}  // namespace

int LastTcpSocketError() { return errno; }

SocketHandle OpenTcpSocket() {
    int descriptor = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    return descriptor < 0 ? kInvalidSocket : static_cast<SocketHandle>(descriptor);
}

bool ConnectTcpSocket(SocketHandle socket, std::uint32_t address, std::uint16_t port) {
    sockaddr_in peer = InetAddress(address, port);
    return ::connect(Descriptor(socket), reinterpret_cast<sockaddr*>(&peer), sizeof peer) == 0;
}

bool BindTcpSocket(SocketHandle socket, std::uint32_t address, std::uint16_t port) {
    // Windows binds a port whose last connections linger in TIME_WAIT; Linux does so only
    // with SO_REUSEADDR, which still refuses a second listener on the same port.
    int on = 1;
    ::setsockopt(Descriptor(socket), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in local = InetAddress(address, port);
    return ::bind(Descriptor(socket), reinterpret_cast<sockaddr*>(&local), sizeof local) == 0;
}

int ListenNonBlocking(SocketHandle socket, int backlog) {
    ::listen(Descriptor(socket), backlog);
    return SetNonBlocking(Descriptor(socket), true) ? 0 : -1;
}

AcceptOutcome AcceptTcpConnection(SocketHandle listening, SocketHandle& accepted) {
    sockaddr_in peer;
    socklen_t length = sizeof peer;
    int descriptor =
        ::accept4(Descriptor(listening), reinterpret_cast<sockaddr*>(&peer), &length, SOCK_CLOEXEC);
    if (descriptor < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK) return AcceptOutcome::NothingPending;
        return AcceptOutcome::Failed;
    }
    // Linux does not pass the listener's non-blocking mode on, but say so explicitly.
    SetNonBlocking(descriptor, false);
    accepted = static_cast<SocketHandle>(descriptor);
    return AcceptOutcome::Accepted;
}

int WaitReadable(SocketHandle socket, std::uint32_t timeoutMilliseconds) {
    pollfd entry{Descriptor(socket), POLLIN, 0};
    int timeout =
        timeoutMilliseconds > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(timeoutMilliseconds);
    int ready;
    do {
        ready = ::poll(&entry, 1, timeout);
    } while (ready < 0 && errno == EINTR);
    if (ready < 0) return -1;
    return ready > 0 ? 1 : 0;
}

int ReceiveBytes(SocketHandle socket, char* buffer, int length) {
    ssize_t received;
    do {
        received = ::recv(Descriptor(socket), buffer, static_cast<std::size_t>(length), 0);
    } while (received < 0 && errno == EINTR);
    return static_cast<int>(received);
}

int SendBytes(SocketHandle socket, const char* buffer, int length) {
    // A peer that has gone away must be an error, not SIGPIPE ending the engine.
    ssize_t sent;
    do {
        sent = ::send(Descriptor(socket), buffer, static_cast<std::size_t>(length), MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return static_cast<int>(sent);
}

int CloseTcpSocket(SocketHandle socket) { return ::close(Descriptor(socket)); }

bool ConnectionAddresses(SocketHandle socket, std::uint32_t& local, std::uint32_t& peer) {
    sockaddr_in localAddress;
    sockaddr_in peerAddress;
    socklen_t localLength = sizeof localAddress;
    socklen_t peerLength = sizeof peerAddress;
    if (::getsockname(Descriptor(socket), reinterpret_cast<sockaddr*>(&localAddress),
                      &localLength) != 0 ||
        ::getpeername(Descriptor(socket), reinterpret_cast<sockaddr*>(&peerAddress), &peerLength) !=
            0 ||
        localAddress.sin_family != AF_INET || peerAddress.sin_family != AF_INET) {
        return false;
    }
    local = ntohl(localAddress.sin_addr.s_addr);
    peer = ntohl(peerAddress.sin_addr.s_addr);
    return true;
}

}  // namespace platform
