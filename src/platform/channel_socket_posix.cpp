#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/channel_socket.h"

namespace platform {
namespace {

// Kept like Winsock's per-thread error: set by failures only, so a successful call or a
// time-out leaves the previous one.
thread_local std::uint32_t g_lastError = 0;

bool Failed() {
    g_lastError = static_cast<std::uint32_t>(errno);
    return false;
}

int Descriptor(SocketHandle socket) {
    return socket > static_cast<SocketHandle>(INT_MAX) ? -1 : static_cast<int>(socket);
}

SocketWait Wait(SocketHandle socket, short events, std::uint32_t seconds) {
    pollfd entry{Descriptor(socket), events, 0};
    const std::uint32_t limit = seconds > INT_MAX / 1000 ? INT_MAX / 1000 : seconds;
    const int result = poll(&entry, 1, static_cast<int>(limit * 1000));
    if (result < 0) {
        Failed();
        return SocketWait::Failed;
    }
    if (result == 0) return SocketWait::TimedOut;
    if ((entry.revents & POLLNVAL) != 0) {
        g_lastError = EBADF;
        return SocketWait::Failed;
    }
    // Errors and hang-ups count as ready, as select reports them: the send or receive that
    // follows then tells what happened.
    return SocketWait::Ready;
}

}  // namespace

std::uint32_t StartChannelSockets(std::uint16_t& grantedVersion) {
    grantedVersion = 0x0101;
    return 0;
}

void StopChannelSockets() {}

std::uint16_t SocketFamilyCode(SocketFamily family) {
    switch (family) {
        case SocketFamily::Inet:
            return AF_INET;
        case SocketFamily::Ipx:
            return AF_IPX;
        case SocketFamily::AppleTalk:
            return AF_APPLETALK;
    }
    return AF_UNSPEC;
}

SocketHandle CreateChannelSocket(SocketFamily family, SocketType type, SocketProtocol protocol) {
    // IPX/SPX and AppleTalk have no transport here, whatever the kernel may offer.
    if (family != SocketFamily::Inet || protocol != SocketProtocol::Default) {
        g_lastError = EAFNOSUPPORT;
        return kNoSocket;
    }
    int socketType = SOCK_STREAM;
    if (type == SocketType::Datagram) {
        socketType = SOCK_DGRAM;
    } else if (type != SocketType::Stream) {
        g_lastError = ESOCKTNOSUPPORT;
        return kNoSocket;
    }
    const int descriptor = socket(AF_INET, socketType | SOCK_CLOEXEC, 0);
    if (descriptor < 0) {
        Failed();
        return kNoSocket;
    }
    return static_cast<SocketHandle>(descriptor);
}

bool BindSocket(SocketHandle socket, const SocketAddress& address) {
    if (bind(Descriptor(socket), reinterpret_cast<const sockaddr*>(address.bytes),
             address.length) != 0)
        return Failed();
    return true;
}

bool ConnectSocket(SocketHandle socket, const SocketAddress& address) {
    if (connect(Descriptor(socket), reinterpret_cast<const sockaddr*>(address.bytes),
                address.length) != 0)
        return Failed();
    return true;
}

NameLookup LookUpAppleTalkName(SocketHandle, const char*, const char*, const char*,
                               AppleTalkEntity&) {
    g_lastError = EAFNOSUPPORT;
    return NameLookup::Failed;
}

SocketWait WaitSocketWritable(SocketHandle socket, std::uint32_t seconds) {
    return Wait(socket, POLLOUT, seconds);
}

SocketWait WaitSocketReadable(SocketHandle socket, std::uint32_t seconds) {
    return Wait(socket, POLLIN, seconds);
}

int SendOnSocket(SocketHandle socket, const char* data, int length) {
    // Without MSG_DONTWAIT a blocking send waits for room for all of the rest, without a
    // limit, when the printer stops reading; the caller's loop sends what did not fit.
    const ssize_t sent = send(Descriptor(socket), data, static_cast<std::size_t>(length),
                              MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent < 0) {
        Failed();
        return -1;
    }
    return static_cast<int>(sent);
}

int ReceiveOnSocket(SocketHandle socket, char* buffer, int length) {
    const ssize_t received = recv(Descriptor(socket), buffer, static_cast<std::size_t>(length), 0);
    if (received < 0) {
        Failed();
        return -1;
    }
    return static_cast<int>(received);
}

void LingerAndCloseSocket(SocketHandle socket, std::uint16_t seconds) {
    const linger option{1, seconds};
    setsockopt(Descriptor(socket), SOL_SOCKET, SO_LINGER, &option, sizeof option);
    close(Descriptor(socket));
}

void CloseSocket(SocketHandle socket) { close(Descriptor(socket)); }

bool ResolveHostName(const char* name, std::uint8_t (&address)[4]) {
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

std::uint32_t LastSocketError() { return g_lastError; }

SocketHandle ListenOnSocketAddress(const SocketAddress& address) {
    const SocketHandle listening =
        CreateChannelSocket(SocketFamily::Inet, SocketType::Stream, SocketProtocol::Default);
    if (listening == kNoSocket) return kNoSocket;
    const int on = 1;
    setsockopt(Descriptor(listening), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (!BindSocket(listening, address) || listen(Descriptor(listening), 4) != 0) {
        Failed();
        close(Descriptor(listening));
        return kNoSocket;
    }
    return listening;
}

SocketHandle AcceptOnSocket(SocketHandle listening) {
    const int descriptor = accept4(Descriptor(listening), nullptr, nullptr, SOCK_CLOEXEC);
    if (descriptor < 0) {
        Failed();
        return kNoSocket;
    }
    return static_cast<SocketHandle>(descriptor);
}

}  // namespace platform
