#include <winsock2.h>

#include "platform/channel_socket.h"
// winsock2.h first: these use its types.
#include <atalkwsh.h>
#include <wsipx.h>
#include <wsnwlink.h>

#include <cstring>

namespace platform {
namespace {

SOCKET Native(SocketHandle socket) { return static_cast<SOCKET>(socket); }

SocketWait Wait(SocketHandle socket, bool forWriting, std::uint32_t seconds) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(Native(socket), &set);
    timeval limit{static_cast<long>(seconds), 0};
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

}  // namespace

std::uint32_t StartChannelSockets(std::uint16_t& grantedVersion) {
    WSADATA data;
    const int error = WSAStartup(MAKEWORD(1, 1), &data);
    if (error != 0) return static_cast<std::uint32_t>(error);
    grantedVersion = data.wVersion;
    return 0;
}

void StopChannelSockets() { WSACleanup(); }

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
    int nativeType = SOCK_STREAM;
    switch (type) {
        case SocketType::Stream:
            nativeType = SOCK_STREAM;
            break;
        case SocketType::Datagram:
            nativeType = SOCK_DGRAM;
            break;
        case SocketType::SequencedPacket:
            nativeType = SOCK_SEQPACKET;
            break;
        case SocketType::ReliableDelivery:
            nativeType = SOCK_RDM;
            break;
    }
    int nativeProtocol = 0;
    switch (protocol) {
        case SocketProtocol::Default:
            nativeProtocol = 0;
            break;
        case SocketProtocol::Spx:
            nativeProtocol = NSPROTO_SPX;
            break;
        case SocketProtocol::Ipx:
            nativeProtocol = NSPROTO_IPX;
            break;
        case SocketProtocol::PrinterAccess:
            nativeProtocol = ATPROTO_PAP;
            break;
    }
    const SOCKET created = socket(SocketFamilyCode(family), nativeType, nativeProtocol);
    return created == INVALID_SOCKET ? kNoSocket : static_cast<SocketHandle>(created);
}

bool BindSocket(SocketHandle socket, const SocketAddress& address) {
    return bind(Native(socket), reinterpret_cast<const sockaddr*>(address.bytes),
                static_cast<int>(address.length)) == 0;
}

bool ConnectSocket(SocketHandle socket, const SocketAddress& address) {
    return connect(Native(socket), reinterpret_cast<const sockaddr*>(address.bytes),
                   static_cast<int>(address.length)) == 0;
}

NameLookup LookUpAppleTalkName(SocketHandle socket, const char* object, const char* type,
                               const char* zone, AppleTalkEntity& first) {
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

SocketWait WaitSocketWritable(SocketHandle socket, std::uint32_t seconds) {
    return Wait(socket, true, seconds);
}

SocketWait WaitSocketReadable(SocketHandle socket, std::uint32_t seconds) {
    return Wait(socket, false, seconds);
}

int SendOnSocket(SocketHandle socket, const char* data, int length) {
    const int sent = send(Native(socket), data, length, 0);
    return sent == SOCKET_ERROR ? -1 : sent;
}

int ReceiveOnSocket(SocketHandle socket, char* buffer, int length) {
    const int received = recv(Native(socket), buffer, length, 0);
    return received == SOCKET_ERROR ? -1 : received;
}

void LingerAndCloseSocket(SocketHandle socket, std::uint16_t seconds) {
    linger option;
    option.l_onoff = 1;
    option.l_linger = seconds;
    setsockopt(Native(socket), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&option),
               sizeof option);
    closesocket(Native(socket));
}

void CloseSocket(SocketHandle socket) { closesocket(Native(socket)); }

bool ResolveHostName(const char* name, std::uint8_t (&address)[4]) {
    const hostent* host = gethostbyname(name);
    if (host == nullptr || host->h_addrtype != AF_INET || host->h_addr_list == nullptr ||
        host->h_addr_list[0] == nullptr)
        return false;
    std::memcpy(address, host->h_addr_list[0], 4);
    return true;
}

std::uint32_t LastSocketError() { return static_cast<std::uint32_t>(WSAGetLastError()); }

SocketHandle ListenOnSocketAddress(const SocketAddress& address) {
    const SocketHandle listening =
        CreateChannelSocket(SocketFamily::Inet, SocketType::Stream, SocketProtocol::Default);
    if (listening == kNoSocket) return kNoSocket;
    const BOOL on = TRUE;
    setsockopt(Native(listening), SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&on),
               sizeof on);
    if (!BindSocket(listening, address) || listen(Native(listening), 4) != 0) {
        const int error = WSAGetLastError();
        closesocket(Native(listening));
        WSASetLastError(error);
        return kNoSocket;
    }
    return listening;
}

SocketHandle AcceptOnSocket(SocketHandle listening) {
    const SOCKET accepted = accept(Native(listening), nullptr, nullptr);
    return accepted == INVALID_SOCKET ? kNoSocket : static_cast<SocketHandle>(accepted);
}

}  // namespace platform
