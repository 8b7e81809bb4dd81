#include <winsock2.h>

#include "platform/socket_system.h"
// winsock2.h first: these use its types.
#include <atalkwsh.h>
#include <wsipx.h>
#include <wsnwlink.h>

#include <cstring>

#include "platform/socket_library.h"

namespace platform {
namespace {

SOCKET Native(SocketHandle socket) { return static_cast<SOCKET>(socket); }

SocketWait Wait(SocketHandle socket, bool forWriting, std::uint32_t milliseconds) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(Native(socket), &set);
    timeval limit;
    limit.tv_sec = static_cast<long>(milliseconds / 1000);
    limit.tv_usec = static_cast<long>((milliseconds % 1000) * 1000);
    const int result =
        select(0, forWriting ? nullptr : &set, forWriting ? &set : nullptr, nullptr, &limit);
    if (result == SOCKET_ERROR) return SocketWait::Failed;
    if (result == 0 || !FD_ISSET(Native(socket), &set)) return SocketWait::TimedOut;
    return SocketWait::Ready;
}

// Copies a name with its length byte; the caller has checked the length.
void PutEntityName(CHAR& length, CHAR (&target)[MAX_ENTITY], const char* name) {
    const std::size_t count = std::strlen(name);
    length = static_cast<CHAR>(count);
    std::memcpy(target, name, count);
}

int NativeType(SocketType type) {
    switch (type) {
        case SocketType::Stream:
            return SOCK_STREAM;
        case SocketType::Datagram:
            return SOCK_DGRAM;
        case SocketType::SequencedPacket:
            return SOCK_SEQPACKET;
        case SocketType::ReliableDelivery:
            return SOCK_RDM;
    }
    return SOCK_STREAM;
}

int NativeProtocol(SocketProtocol protocol) {
    switch (protocol) {
        case SocketProtocol::Default:
            return 0;
        case SocketProtocol::Spx:
            return NSPROTO_SPX;
        case SocketProtocol::Ipx:
            return NSPROTO_IPX;
        case SocketProtocol::PrinterAccess:
            return ATPROTO_PAP;
    }
    return 0;
}

class WinsockSockets final : public SocketSystem {
public:
    std::uint32_t StartLibrary(std::uint16_t& grantedVersion) override {
        return m_library.Start(grantedVersion);
    }
    void StopLibrary() override { m_library.Stop(); }

    SocketHandle Create(SocketFamily family, SocketType type, SocketProtocol protocol) override {
        const SOCKET created =
            socket(SocketFamilyCode(family), NativeType(type), NativeProtocol(protocol));
        return created == INVALID_SOCKET ? kInvalidSocket : static_cast<SocketHandle>(created);
    }

    bool Bind(SocketHandle socket, const SocketAddress& address) override {
        return bind(Native(socket), reinterpret_cast<const sockaddr*>(address.bytes),
                    static_cast<int>(address.length)) != SOCKET_ERROR;
    }

    bool Connect(SocketHandle socket, const SocketAddress& address) override {
        return connect(Native(socket), reinterpret_cast<const sockaddr*>(address.bytes),
                       static_cast<int>(address.length)) != SOCKET_ERROR;
    }

    int ListenNonBlocking(SocketHandle socket, int backlog) override {
        listen(Native(socket), backlog);
        u_long nonBlocking = 1;
        return ioctlsocket(Native(socket), FIONBIO, &nonBlocking);
    }

    AcceptOutcome Accept(SocketHandle listening, SocketHandle& accepted) override {
        const SOCKET connection = accept(Native(listening), nullptr, nullptr);
        if (connection == INVALID_SOCKET) {
            if (WSAGetLastError() == WSAEWOULDBLOCK) return AcceptOutcome::NothingPending;
            return AcceptOutcome::Failed;
        }
        u_long blocking = 0;
        ioctlsocket(connection, FIONBIO, &blocking);
        accepted = static_cast<SocketHandle>(connection);
        return AcceptOutcome::Accepted;
    }

    SocketWait WaitReadable(SocketHandle socket, std::uint32_t milliseconds) override {
        return Wait(socket, false, milliseconds);
    }

    SocketWait WaitWritable(SocketHandle socket, std::uint32_t milliseconds) override {
        return Wait(socket, true, milliseconds);
    }

    int Send(SocketHandle socket, const char* data, int length, SendMode mode) override {
        if (mode == SendMode::All) {
            const int sent = send(Native(socket), data, length, 0);
            return sent == SOCKET_ERROR ? -1 : sent;
        }
        // Winsock has no per-call flag for a send that must not wait, so the socket is
        // non-blocking for this one send only. Nothing fitting is no failure: the last error
        // is left as it was, as on POSIX.
        const int previousError = WSAGetLastError();
        u_long nonBlocking = 1;
        if (ioctlsocket(Native(socket), FIONBIO, &nonBlocking) == SOCKET_ERROR) return -1;
        const int sent = send(Native(socket), data, length, 0);
        const int error = sent == SOCKET_ERROR ? WSAGetLastError() : 0;
        u_long blocking = 0;
        ioctlsocket(Native(socket), FIONBIO, &blocking);
        if (sent != SOCKET_ERROR) return sent;
        if (error != WSAEWOULDBLOCK) {
            WSASetLastError(error);
            return -1;
        }
        WSASetLastError(previousError);
        return 0;
    }

    int Receive(SocketHandle socket, char* buffer, int length) override {
        const int received = recv(Native(socket), buffer, length, 0);
        return received == SOCKET_ERROR ? -1 : received;
    }

    int Close(SocketHandle socket) override { return closesocket(Native(socket)); }

    void LingerAndClose(SocketHandle socket, std::uint16_t seconds) override {
        linger option;
        option.l_onoff = 1;
        option.l_linger = seconds;
        setsockopt(Native(socket), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&option),
                   sizeof option);
        closesocket(Native(socket));
    }

    NameLookup LookUpAppleTalkName(SocketHandle socket, const char* object, const char* type,
                                   const char* zone, AppleTalkEntity& first) override {
        // The request goes in, the reply (count, then the entities found) comes back in place.
        union {
            WSH_LOOKUP_NAME request;
            char bytes[512];
        } area;
        std::memset(&area, 0, sizeof area);
        WSH_NBP_NAME& name = area.request.LookupTuple.NbpName;
        PutEntityName(name.ObjectNameLen, name.ObjectName, object);
        PutEntityName(name.TypeNameLen, name.TypeName, type);
        PutEntityName(name.ZoneNameLen, name.ZoneName, zone);
        int length = sizeof area;
        if (getsockopt(Native(socket), SOL_APPLETALK, SO_LOOKUP_NAME, area.bytes, &length) != 0)
            return NameLookup::Failed;
        if (area.request.NoTuples == 0) return NameLookup::NotFound;
        WSH_NBP_TUPLE tuple;
        std::memcpy(&tuple, area.bytes + sizeof(WSH_LOOKUP_NAME), sizeof tuple);
        first.network = tuple.Address.Network;
        first.node = tuple.Address.Node;
        first.socket = tuple.Address.Socket;
        return NameLookup::Found;
    }

    bool HostName(std::string& name) override {
        char buffer[255];
        if (gethostname(buffer, sizeof buffer) == SOCKET_ERROR) return false;
        name = buffer;
        return true;
    }
    bool ResolveHostName(const char* name, std::uint8_t (&address)[4]) override {
        const hostent* host = gethostbyname(name);
        if (host == nullptr || host->h_addrtype != AF_INET || host->h_addr_list == nullptr ||
            host->h_addr_list[0] == nullptr)
            return false;
        std::memcpy(address, host->h_addr_list[0], 4);
        return true;
    }

    bool ConnectionAddresses(SocketHandle socket, std::uint32_t& local,
                             std::uint32_t& peer) override {
        sockaddr_in localAddress;
        sockaddr_in peerAddress;
        int localLength = sizeof localAddress;
        int peerLength = sizeof peerAddress;
        if (getsockname(Native(socket), reinterpret_cast<sockaddr*>(&localAddress), &localLength) ==
                SOCKET_ERROR ||
            getpeername(Native(socket), reinterpret_cast<sockaddr*>(&peerAddress), &peerLength) ==
                SOCKET_ERROR ||
            localAddress.sin_family != AF_INET || peerAddress.sin_family != AF_INET) {
            return false;
        }
        local = ntohl(localAddress.sin_addr.s_addr);
        peer = ntohl(peerAddress.sin_addr.s_addr);
        return true;
    }

    std::uint32_t LastError() override { return static_cast<std::uint32_t>(WSAGetLastError()); }

private:
    SocketLibraryCount m_library{[](std::uint16_t& granted) -> std::uint32_t {
                                     WSADATA data;
                                     const int error = WSAStartup(MAKEWORD(1, 1), &data);
                                     if (error != 0) return static_cast<std::uint32_t>(error);
                                     granted = data.wVersion;
                                     return 0;
                                 },
                                 [] { WSACleanup(); }};
};

}  // namespace

SocketSystem& SocketSystem::System() {
    static WinsockSockets sockets;
    return sockets;
}

}  // namespace platform
