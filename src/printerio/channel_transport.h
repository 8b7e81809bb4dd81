#pragma once
/// The socket operations a network channel uses. The channels run on the system's sockets
/// (SystemChannelTransport); tests give them a scripted one.

#include <cstdint>

#include "platform/channel_socket.h"

class CChannelTransport {
public:
    virtual ~CChannelTransport() = default;

    /// 0 or the start-up error; `grantedVersion` has the major version in its low byte.
    virtual std::uint32_t StartLibrary(std::uint16_t& grantedVersion) = 0;
    virtual void StopLibrary() = 0;
    virtual platform::SocketHandle CreateSocket(platform::SocketFamily family,
                                                platform::SocketType type,
                                                platform::SocketProtocol protocol) = 0;
    virtual bool Bind(platform::SocketHandle socket, const platform::SocketAddress& address) = 0;
    virtual bool Connect(platform::SocketHandle socket, const platform::SocketAddress& address) = 0;
    virtual platform::NameLookup LookUpAppleTalkName(platform::SocketHandle socket,
                                                     const char* object, const char* type,
                                                     const char* zone,
                                                     platform::AppleTalkEntity& first) = 0;
    virtual platform::SocketWait WaitWritable(platform::SocketHandle socket,
                                              std::uint32_t seconds) = 0;
    virtual platform::SocketWait WaitReadable(platform::SocketHandle socket,
                                              std::uint32_t seconds) = 0;
    /// Bytes sent or -1.
    virtual int Send(platform::SocketHandle socket, const char* data, int length) = 0;
    /// Bytes received, 0 when the peer closed, or -1.
    virtual int Receive(platform::SocketHandle socket, char* buffer, int length) = 0;
    virtual void LingerAndClose(platform::SocketHandle socket, std::uint16_t seconds) = 0;
    virtual bool ResolveHostName(const char* name, std::uint8_t (&address)[4]) = 0;
    virtual std::uint32_t LastError() = 0;
};

/// The transport over the system's sockets; one object for the whole process.
CChannelTransport& SystemChannelTransport();
