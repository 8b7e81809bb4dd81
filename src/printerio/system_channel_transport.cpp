#include "printerio/channel_transport.h"

namespace {

class CSystemChannelTransport final : public CChannelTransport {
public:
    std::uint32_t StartLibrary(std::uint16_t& grantedVersion) override {
        return platform::StartChannelSockets(grantedVersion);
    }
    void StopLibrary() override { platform::StopChannelSockets(); }
    platform::SocketHandle CreateSocket(platform::SocketFamily family, platform::SocketType type,
                                        platform::SocketProtocol protocol) override {
        return platform::CreateChannelSocket(family, type, protocol);
    }
    bool Bind(platform::SocketHandle socket, const platform::SocketAddress& address) override {
        return platform::BindSocket(socket, address);
    }
    bool Connect(platform::SocketHandle socket, const platform::SocketAddress& address) override {
        return platform::ConnectSocket(socket, address);
    }
    platform::NameLookup LookUpAppleTalkName(platform::SocketHandle socket, const char* object,
                                             const char* type, const char* zone,
                                             platform::AppleTalkEntity& first) override {
        return platform::LookUpAppleTalkName(socket, object, type, zone, first);
    }
    platform::SocketWait WaitWritable(platform::SocketHandle socket,
                                      std::uint32_t seconds) override {
        return platform::WaitSocketWritable(socket, seconds);
    }
    platform::SocketWait WaitReadable(platform::SocketHandle socket,
                                      std::uint32_t seconds) override {
        return platform::WaitSocketReadable(socket, seconds);
    }
    int Send(platform::SocketHandle socket, const char* data, int length) override {
        return platform::SendOnSocket(socket, data, length);
    }
    int Receive(platform::SocketHandle socket, char* buffer, int length) override {
        return platform::ReceiveOnSocket(socket, buffer, length);
    }
    void LingerAndClose(platform::SocketHandle socket, std::uint16_t seconds) override {
        platform::LingerAndCloseSocket(socket, seconds);
    }
    bool ResolveHostName(const char* name, std::uint8_t (&address)[4]) override {
        return platform::ResolveHostName(name, address);
    }
    std::uint32_t LastError() override { return platform::LastSocketError(); }
};

}  // namespace

CChannelTransport& SystemChannelTransport() {
    static CSystemChannelTransport transport;
    return transport;
}
