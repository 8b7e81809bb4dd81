#pragma once
/// The sockets of the printer channels: Windows Sockets 1.1 with its TCP/IP, IPX/SPX and
/// AppleTalk families on Windows; BSD sockets on POSIX, where only the TCP/IP family exists
/// and a socket of the other two families cannot be created. Sockets are blocking; every
/// send and receive is meant to follow a wait for readiness. Failures keep the system's
/// socket error for LastSocketError, per thread, as Winsock does.

#include <cstdint>

namespace platform {

/// A socket of the system (SOCKET or file descriptor).
using SocketHandle = std::uintptr_t;
constexpr SocketHandle kNoSocket = ~SocketHandle{0};

enum class SocketFamily { Inet, Ipx, AppleTalk };
enum class SocketType { Stream, Datagram, SequencedPacket, ReliableDelivery };
/// Default lets the system pick (TCP for a stream, UDP for a datagram socket).
enum class SocketProtocol { Default, Spx, Ipx, PrinterAccess };
enum class SocketWait { Ready, TimedOut, Failed };
enum class NameLookup { Found, NotFound, Failed };

/// A socket address as the system lays it out: a 16-bit family code in host order, then
/// the family's own bytes. Length 0 means no address.
struct SocketAddress {
    unsigned char bytes[16] = {};
    std::uint32_t length = 0;
};

/// Network, node and socket of an AppleTalk entity, as the name look-up reports them.
struct AppleTalkEntity {
    std::uint16_t network = 0;
    std::uint8_t node = 0;
    std::uint8_t socket = 0;
};

/// Starts the socket library asking for version 1.1; 0 or the start-up error. On success
/// `grantedVersion` holds the version granted (major in the low byte). Nothing to start on
/// POSIX: 0 with version 1.1.
std::uint32_t StartChannelSockets(std::uint16_t& grantedVersion);
void StopChannelSockets();

/// The system's code of `family`, as it goes first into a SocketAddress.
std::uint16_t SocketFamilyCode(SocketFamily family);

/// kNoSocket on failure.
SocketHandle CreateChannelSocket(SocketFamily family, SocketType type, SocketProtocol protocol);
bool BindSocket(SocketHandle socket, const SocketAddress& address);
bool ConnectSocket(SocketHandle socket, const SocketAddress& address);

/// The AppleTalk name look-up (SO_LOOKUP_NAME at SOL_APPLETALK) of object, type and zone,
/// each at most 32 characters, with a 512-byte reply area; the first entity found.
NameLookup LookUpAppleTalkName(SocketHandle socket, const char* object, const char* type,
                               const char* zone, AppleTalkEntity& first);

/// Waits at most `seconds` (0 polls once) until a send, or a receive, will not block.
SocketWait WaitSocketWritable(SocketHandle socket, std::uint32_t seconds);
SocketWait WaitSocketReadable(SocketHandle socket, std::uint32_t seconds);

/// Bytes handed to the system, or -1.
int SendOnSocket(SocketHandle socket, const char* data, int length);
/// Bytes received, 0 when the peer has closed, or -1.
int ReceiveOnSocket(SocketHandle socket, char* buffer, int length);

/// Sets linger on with `seconds`, so closing waits that long for unsent data, and closes.
void LingerAndCloseSocket(SocketHandle socket, std::uint16_t seconds);
/// Closes at once.
void CloseSocket(SocketHandle socket);

/// The first IPv4 address of a host name; false when it does not resolve.
bool ResolveHostName(const char* name, std::uint8_t (&address)[4]);

/// The socket error of this thread's last failed call.
std::uint32_t LastSocketError();

/// A TCP socket listening on `address` (IPv4), with address reuse so that it can be bound
/// again at once; for the peers that stand in for printers in tests. kNoSocket on failure.
SocketHandle ListenOnSocketAddress(const SocketAddress& address);
/// The next connection; kNoSocket on failure.
SocketHandle AcceptOnSocket(SocketHandle listening);

}  // namespace platform
