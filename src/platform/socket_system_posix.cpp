#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/socket_library.h"
#include "platform/socket_system.h"

namespace platform {
namespace {

// Kept like Winsock's per-thread error: set by failures only, so a successful call or a
// time-out leaves the previous one.
thread_local std::uint32_t g_lastError = 0;

void RecordErrno() { g_lastError = static_cast<std::uint32_t>(errno); }

int Descriptor(SocketHandle socket) {
    return socket > static_cast<SocketHandle>(INT_MAX) ? -1 : static_cast<int>(socket);
}

bool SetNonBlocking(int descriptor, bool nonBlocking) {
    int flags = fcntl(descriptor, F_GETFL, 0);
    if (flags < 0) return false;
    flags = nonBlocking ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
    return fcntl(descriptor, F_SETFL, flags) == 0;
}

SocketWait Wait(SocketHandle socket, short events, std::uint32_t milliseconds) {
    pollfd entry{Descriptor(socket), events, 0};
    const int timeout = milliseconds > static_cast<std::uint32_t>(INT_MAX)
                            ? INT_MAX
                            : static_cast<int>(milliseconds);
    int result;
    do {
        result = poll(&entry, 1, timeout);
    } while (result < 0 && errno == EINTR);
    if (result < 0) {
        RecordErrno();
        return SocketWait::Failed;
    }
    if (result == 0) return SocketWait::TimedOut;
    if ((entry.revents & POLLNVAL) != 0) {
        g_lastError = EBADF;
        return SocketWait::Failed;
    }
    return SocketWait::Ready;
}

class PosixSockets final : public SocketSystem {
public:
    std::uint32_t StartLibrary(std::uint16_t& grantedVersion) override {
        return m_library.Start(grantedVersion);
    }
    void StopLibrary() override { m_library.Stop(); }

    SocketHandle Create(SocketFamily family, SocketType type, SocketProtocol protocol) override {
        // IPX/SPX and AppleTalk have no transport here, whatever the kernel may offer.
        if (family != SocketFamily::Inet || protocol != SocketProtocol::Default) {
            g_lastError = EAFNOSUPPORT;
            return kInvalidSocket;
        }
        int socketType = SOCK_STREAM;
        if (type == SocketType::Datagram) {
            socketType = SOCK_DGRAM;
        } else if (type != SocketType::Stream) {
            g_lastError = ESOCKTNOSUPPORT;
            return kInvalidSocket;
        }
        const int descriptor = socket(AF_INET, socketType | SOCK_CLOEXEC, 0);
        if (descriptor < 0) {
            RecordErrno();
            return kInvalidSocket;
        }
        return static_cast<SocketHandle>(descriptor);
    }

    bool Bind(SocketHandle socket, const SocketAddress& address) override {
        // Linux binds a port in TIME_WAIT only with SO_REUSEADDR, which still refuses a
        // second listener on the same port.
        const int on = 1;
        setsockopt(Descriptor(socket), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        if (bind(Descriptor(socket), reinterpret_cast<const sockaddr*>(address.bytes),
                 address.length) != 0) {
            RecordErrno();
            return false;
        }
        return true;
    }

    bool Connect(SocketHandle socket, const SocketAddress& address) override {
        if (connect(Descriptor(socket), reinterpret_cast<const sockaddr*>(address.bytes),
                    address.length) != 0) {
            RecordErrno();
            return false;
        }
        return true;
    }

    int ListenNonBlocking(SocketHandle socket, int backlog) override {
        listen(Descriptor(socket), backlog);
        if (!SetNonBlocking(Descriptor(socket), true)) {
            RecordErrno();
            return -1;
        }
        return 0;
    }

    AcceptOutcome Accept(SocketHandle listening, SocketHandle& accepted) override {
        const int descriptor = accept4(Descriptor(listening), nullptr, nullptr, SOCK_CLOEXEC);
        if (descriptor < 0) {
            RecordErrno();
            if (errno == EAGAIN || errno == EWOULDBLOCK) return AcceptOutcome::NothingPending;
            return AcceptOutcome::Failed;
        }
        // Linux does not pass the listener's non-blocking mode on, but say so explicitly.
        SetNonBlocking(descriptor, false);
        accepted = static_cast<SocketHandle>(descriptor);
        return AcceptOutcome::Accepted;
    }

    SocketWait WaitReadable(SocketHandle socket, std::uint32_t milliseconds) override {
        return Wait(socket, POLLIN, milliseconds);
    }

    SocketWait WaitWritable(SocketHandle socket, std::uint32_t milliseconds) override {
        return Wait(socket, POLLOUT, milliseconds);
    }

    int Send(SocketHandle socket, const char* data, int length, SendMode mode) override {
        // A peer that has gone away must be an error, not SIGPIPE ending the program.
        const int flags = MSG_NOSIGNAL | (mode == SendMode::WhatFits ? MSG_DONTWAIT : 0);
        ssize_t sent;
        do {
            sent = send(Descriptor(socket), data, static_cast<std::size_t>(length), flags);
        } while (sent < 0 && errno == EINTR);
        if (sent < 0) {
            // Nothing fitted: not a failure, so the last error stays as it was.
            if (mode == SendMode::WhatFits && (errno == EAGAIN || errno == EWOULDBLOCK)) return 0;
            RecordErrno();
            return -1;
        }
        return static_cast<int>(sent);
    }

    int Receive(SocketHandle socket, char* buffer, int length) override {
        ssize_t received;
        do {
            received = recv(Descriptor(socket), buffer, static_cast<std::size_t>(length), 0);
        } while (received < 0 && errno == EINTR);
        if (received < 0) {
            RecordErrno();
            return -1;
        }
        return static_cast<int>(received);
    }

    int Close(SocketHandle socket) override {
        if (close(Descriptor(socket)) != 0) {
            RecordErrno();
            return -1;
        }
        return 0;
    }

    void LingerAndClose(SocketHandle socket, std::uint16_t seconds) override {
        const linger option{1, seconds};
        setsockopt(Descriptor(socket), SOL_SOCKET, SO_LINGER, &option, sizeof option);
        close(Descriptor(socket));
    }

    NameLookup LookUpAppleTalkName(SocketHandle, const char*, const char*, const char*,
                                   AppleTalkEntity&) override {
        g_lastError = EAFNOSUPPORT;
        return NameLookup::Failed;
    }

    bool HostName(std::string& name) override {
        char buffer[255];
        if (gethostname(buffer, sizeof buffer) != 0) return false;
        buffer[sizeof buffer - 1] = '\0';
        name = buffer;
        return true;
    }
    bool ResolveHostName(const char* name, std::uint8_t (&address)[4]) override {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        addrinfo* answer = nullptr;
        const int result = getaddrinfo(name, nullptr, &hints, &answer);
        if (result != 0 || answer == nullptr) {
            g_lastError = result == EAI_SYSTEM ? static_cast<std::uint32_t>(errno) : EHOSTUNREACH;
            return false;
        }
        const auto* inet = reinterpret_cast<const sockaddr_in*>(answer->ai_addr);
        std::memcpy(address, &inet->sin_addr, 4);
        freeaddrinfo(answer);
        return true;
    }

    bool ConnectionAddresses(SocketHandle socket, std::uint32_t& local,
                             std::uint32_t& peer) override {
        sockaddr_in localAddress;
        sockaddr_in peerAddress;
        socklen_t localLength = sizeof localAddress;
        socklen_t peerLength = sizeof peerAddress;
        if (getsockname(Descriptor(socket), reinterpret_cast<sockaddr*>(&localAddress),
                        &localLength) != 0 ||
            getpeername(Descriptor(socket), reinterpret_cast<sockaddr*>(&peerAddress),
                        &peerLength) != 0) {
            RecordErrno();
            return false;
        }
        if (localAddress.sin_family != AF_INET || peerAddress.sin_family != AF_INET) return false;
        local = ntohl(localAddress.sin_addr.s_addr);
        peer = ntohl(peerAddress.sin_addr.s_addr);
        return true;
    }

    std::uint32_t LastError() override { return g_lastError; }

private:
    // BSD sockets need no start-up; the count still pairs the starts and stops.
    SocketLibraryCount m_library{[](std::uint16_t& granted) -> std::uint32_t {
                                     granted = kSocketLibraryVersion;
                                     return 0;
                                 },
                                 [] {}};
};

}  // namespace

SocketSystem& SocketSystem::System() {
    static PosixSockets sockets;
    return sockets;
}

}  // namespace platform
