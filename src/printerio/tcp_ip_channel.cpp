#include "printerio/tcp_ip_channel.h"

#include <cctype>

#include "printerio/network_address.h"

namespace {

constexpr std::uint16_t kRawPrintingPort = 9100;
constexpr std::uint16_t kDatagramPort = 161;

}  // namespace

CTcpIpChannel::CTcpIpChannel(const CChannelAddress& address)
    : CTcpIpChannel(address, platform::SocketSystem::System()) {}

CTcpIpChannel::CTcpIpChannel(const CChannelAddress& address, platform::SocketSystem& sockets)
    // Only a failed receive adds its socket error to the common rules.
    : CNetworkChannel(address, sockets, ErrorRules{false, false, true}) {}

bool CTcpIpChannel::MakePeerAndSocket(std::int32_t mode) {
    const char* text = Address().GetAddress();
    std::uint8_t host[4];
    // A name that begins with a digit is taken for dotted numbers, so it never resolves.
    if (std::isalpha(static_cast<unsigned char>(text[0])) != 0) {
        if (!Sockets().ResolveHostName(text, host)) {
            RecordSocketError();
            return false;
        }
    } else if (!network_address::ParseDotted(text, host)) {
        return false;
    }
    if (mode == 0) {
        SetPeer(network_address::Inet(host, kRawPrintingPort));
        return CreateSocket(platform::SocketFamily::Inet, platform::SocketType::Stream,
                            platform::SocketProtocol::Default);
    }
    if (mode == 1) {
        SetPeer(network_address::Inet(host, kDatagramPort));
        return CreateSocket(platform::SocketFamily::Inet, platform::SocketType::Datagram,
                            platform::SocketProtocol::Default);
    }
    return false;
}
