#pragma once
/// The TCP socket calls of the engine's HTTP server: Winsock 1.1 on Windows, BSD sockets on
/// POSIX. Addresses are IPv4 numbers and ports in host byte order. Failing calls return the
/// socket library's failure value; LastTcpSocketError then tells why.

#include <cstdint>

namespace platform {

using SocketHandle = std::uintptr_t;
/// All bits set, as INVALID_SOCKET.
constexpr SocketHandle kInvalidSocket = ~SocketHandle{0};

enum class AcceptOutcome { Accepted, NothingPending, Failed };

/// The error code of the last failed socket call of this thread (WSAGetLastError / errno).
int LastTcpSocketError();

/// socket(AF_INET, SOCK_STREAM, IPPROTO_TCP); kInvalidSocket on failure.
SocketHandle OpenTcpSocket();
bool ConnectTcpSocket(SocketHandle socket, std::uint32_t address, std::uint16_t port);
bool BindTcpSocket(SocketHandle socket, std::uint32_t address, std::uint16_t port);
/// listen, then switches the socket to non-blocking mode; the result of the second call.
int ListenNonBlocking(SocketHandle socket, int backlog);
/// On `Accepted` the new socket is in `accepted`, already switched to blocking mode.
AcceptOutcome AcceptTcpConnection(SocketHandle listening, SocketHandle& accepted);
/// 1 when readable within the time-out, 0 when the time ran out, -1 on failure.
int WaitReadable(SocketHandle socket, std::uint32_t timeoutMilliseconds);
/// Bytes received, 0 when the peer has closed, -1 on failure.
int ReceiveBytes(SocketHandle socket, char* buffer, int length);
/// Bytes handed to the system in one call, -1 on failure.
int SendBytes(SocketHandle socket, const char* buffer, int length);
int CloseTcpSocket(SocketHandle socket);
/// The connection's two ends; false when the system cannot tell.
bool ConnectionAddresses(SocketHandle socket, std::uint32_t& local, std::uint32_t& peer);

}  // namespace platform
