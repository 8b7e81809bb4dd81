#pragma once
/// The system's sockets, for the engine's HTTP socket and every network channel: Windows
/// Sockets 1.1 with its TCP/IP, IPX/SPX and AppleTalk families on Windows; BSD sockets on
/// POSIX, where only the TCP/IP family exists and a socket of the other two cannot be made.
/// Failures keep the system's socket error for LastError, per thread, as Winsock does.

#include <cstdint>
#include <string>

namespace platform {

/// A socket of the system (SOCKET or file descriptor).
using SocketHandle = std::uintptr_t;
/// All bits set, as INVALID_SOCKET.
constexpr SocketHandle kInvalidSocket = ~SocketHandle{0};

/// The socket library version every user asks for and expects: 1.1, major in the low byte.
constexpr std::uint16_t kSocketLibraryVersion = 0x0101;

enum class SocketFamily { Inet, Ipx, AppleTalk };
enum class SocketType { Stream, Datagram, SequencedPacket, ReliableDelivery };
/// Default lets the system pick (TCP for a stream, UDP for a datagram socket).
enum class SocketProtocol { Default, Spx, Ipx, PrinterAccess };
enum class SocketWait { Ready, TimedOut, Failed };
enum class NameLookup { Found, NotFound, Failed };
enum class AcceptOutcome { Accepted, NothingPending, Failed };

/// How long one send may wait. All blocks until the system has taken everything. WhatFits
/// never waits: it takes what fits at once and gives 0 when nothing does, so a printer
/// that stopped reading cannot hold the sender beyond the time limit of its own wait.
enum class SendMode { All, WhatFits };

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

/// The system's code of `family`, as it goes first into a SocketAddress.
std::uint16_t SocketFamilyCode(SocketFamily family);

/// An IPv4 address and port, both in host byte order, laid out as the system connects to it.
SocketAddress InetSocketAddress(std::uint32_t address, std::uint16_t port);

class SocketSystem;

/// This computer's own IPv4 address, "%u.%u.%u.%u": its host name resolved by the host-name
/// look-up, first address; "127.0.0.1" when the name cannot be read or does not resolve.
std::string LocalHostAddress(SocketSystem& sockets);

class SocketSystem {
public:
    virtual ~SocketSystem() = default;

    /// The operating system's sockets; one object for the whole process.
    static SocketSystem& System();

    /// Starts the socket library asking for version 1.1; 0 or the start-up error. Counted:
    /// only the first start of the process reaches the system, later ones count and get the
    /// version it granted (major in the low byte). Nothing to start on POSIX: 0 with 1.1.
    virtual std::uint32_t StartLibrary(std::uint16_t& grantedVersion) = 0;
    /// The stop that matches the last counted start shuts the library down.
    virtual void StopLibrary() = 0;

    /// kInvalidSocket on failure.
    virtual SocketHandle Create(SocketFamily family, SocketType type, SocketProtocol protocol) = 0;
    /// POSIX binds a port whose last connections linger in TIME_WAIT, as Windows does.
    virtual bool Bind(SocketHandle socket, const SocketAddress& address) = 0;
    virtual bool Connect(SocketHandle socket, const SocketAddress& address) = 0;
    /// listen, then switches the socket to non-blocking mode; the result of the second call
    /// (0, or -1 on failure).
    virtual int ListenNonBlocking(SocketHandle socket, int backlog) = 0;
    /// On Accepted the new socket is in `accepted`, already switched to blocking mode.
    virtual AcceptOutcome Accept(SocketHandle listening, SocketHandle& accepted) = 0;

    /// Waits at most `milliseconds` (0 looks once) until a receive, or a send, will not block.
    /// Errors and hang-ups count as ready: the call that follows tells what happened.
    virtual SocketWait WaitReadable(SocketHandle socket, std::uint32_t milliseconds) = 0;
    virtual SocketWait WaitWritable(SocketHandle socket, std::uint32_t milliseconds) = 0;

    /// Bytes handed to the system, or -1. With WhatFits, 0 means that nothing fitted (the
    /// socket would have blocked): no error, try again once WaitWritable says so. The socket
    /// stays blocking for everything else.
    virtual int Send(SocketHandle socket, const char* data, int length, SendMode mode) = 0;
    /// Bytes received, 0 when the peer has closed, or -1.
    virtual int Receive(SocketHandle socket, char* buffer, int length) = 0;

    /// Closes at once; the system's result (0, or -1 on failure).
    virtual int Close(SocketHandle socket) = 0;
    /// Sets linger on with `seconds`, so closing waits that long for unsent data, and closes.
    /// With 0 the close is abortive: unsent data is dropped, the peer gets a reset, and the
    /// call returns at once.
    virtual void LingerAndClose(SocketHandle socket, std::uint16_t seconds) = 0;

    /// The AppleTalk name look-up (SO_LOOKUP_NAME at SOL_APPLETALK) of object, type and zone,
    /// each at most 32 characters, with a 512-byte reply area; the first entity found.
    virtual NameLookup LookUpAppleTalkName(SocketHandle socket, const char* object,
                                           const char* type, const char* zone,
                                           AppleTalkEntity& first) = 0;
    /// The first IPv4 address of a host name; false when it does not resolve.
    virtual bool ResolveHostName(const char* name, std::uint8_t (&address)[4]) = 0;
    /// This computer's host name, as read into a 255-byte buffer; false when it cannot be read.
    virtual bool HostName(std::string& name) = 0;
    /// A connection's two IPv4 ends in host byte order; false when the system cannot tell.
    virtual bool ConnectionAddresses(SocketHandle socket, std::uint32_t& local,
                                     std::uint32_t& peer) = 0;

    /// The socket error of this thread's last failed call.
    virtual std::uint32_t LastError() = 0;
};

}  // namespace platform
