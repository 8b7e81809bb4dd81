#include <winsock2.h>

#include <cstring>

#include "platform/tcp_socket.h"

namespace platform {

namespace {

SOCKET Native(SocketHandle socket) { return static_cast<SOCKET>(socket); }

sockaddr_in InetAddress(std::uint32_t address, std::uint16_t port) {
    sockaddr_in inet;
    std::memset(&inet, 0, sizeof inet);
    inet.sin_family = AF_INET;
    inet.sin_addr.s_addr = htonl(address);
    inet.sin_port = htons(port);
    return inet;
}

}  // namespace

int LastTcpSocketError() { return WSAGetLastError(); }

SocketHandle OpenTcpSocket() {
    SOCKET created = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    return created == INVALID_SOCKET ? kInvalidSocket : static_cast<SocketHandle>(created);
}

bool ConnectTcpSocket(SocketHandle socket, std::uint32_t address, std::uint16_t port) {
    sockaddr_in peer = InetAddress(address, port);
    return ::connect(Native(socket), reinterpret_cast<sockaddr*>(&peer), sizeof peer) !=
           SOCKET_ERROR;
}

bool BindTcpSocket(SocketHandle socket, std::uint32_t address, std::uint16_t port) {
    sockaddr_in local = InetAddress(address, port);
    return ::bind(Native(socket), reinterpret_cast<sockaddr*>(&local), sizeof local) !=
           SOCKET_ERROR;
}

int ListenNonBlocking(SocketHandle socket, int backlog) {
    ::listen(Native(socket), backlog);
    u_long nonBlocking = 1;
    return ::ioctlsocket(Native(socket), FIONBIO, &nonBlocking);
}

AcceptOutcome AcceptTcpConnection(SocketHandle listening, SocketHandle& accepted) {
    sockaddr_in peer;
    int length = sizeof peer;
    SOCKET connection = ::accept(Native(listening), reinterpret_cast<sockaddr*>(&peer), &length);
    if (connection == INVALID_SOCKET) {
        if (WSAGetLastError() == WSAEWOULDBLOCK) return AcceptOutcome::NothingPending;
        return AcceptOutcome::Failed;
    }
    u_long blocking = 0;
    ::ioctlsocket(connection, FIONBIO, &blocking);
    accepted = static_cast<SocketHandle>(connection);
    return AcceptOutcome::Accepted;
}

int WaitReadable(SocketHandle socket, std::uint32_t timeoutMilliseconds) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(Native(socket), &readable);
    timeval limit;
    limit.tv_sec = static_cast<long>(timeoutMilliseconds / 1000);
    limit.tv_usec = static_cast<long>((timeoutMilliseconds % 1000) * 1000);
    int ready = ::select(0, &readable, nullptr, nullptr, &limit);
    if (ready == SOCKET_ERROR) return -1;
    return ready == 1 ? 1 : 0;
}

int ReceiveBytes(SocketHandle socket, char* buffer, int length) {
    int received = ::recv(Native(socket), buffer, length, 0);
    return received == SOCKET_ERROR ? -1 : received;
}

int SendBytes(SocketHandle socket, const char* buffer, int length) {
    int sent = ::send(Native(socket), buffer, length, 0);
    return sent == SOCKET_ERROR ? -1 : sent;
}

int CloseTcpSocket(SocketHandle socket) { return ::closesocket(Native(socket)); }

bool ConnectionAddresses(SocketHandle socket, std::uint32_t& local, std::uint32_t& peer) {
    sockaddr_in localAddress;
    sockaddr_in peerAddress;
    int localLength = sizeof localAddress;
    int peerLength = sizeof peerAddress;
    if (::getsockname(Native(socket), reinterpret_cast<sockaddr*>(&localAddress), &localLength) ==
            SOCKET_ERROR ||
        ::getpeername(Native(socket), reinterpret_cast<sockaddr*>(&peerAddress), &peerLength) ==
            SOCKET_ERROR ||
        localAddress.sin_family != AF_INET || peerAddress.sin_family != AF_INET) {
        return false;
    }
    local = ntohl(localAddress.sin_addr.s_addr);
    peer = ntohl(peerAddress.sin_addr.s_addr);
    return true;
}

}  // namespace platform
