#include "printerio/network_address.h"

#include <cstdio>
#include <cstring>

namespace network_address {
namespace {

platform::SocketAddress Begin(platform::SocketFamily family, std::uint32_t length) {
    platform::SocketAddress address;
    const std::uint16_t code = platform::SocketFamilyCode(family);
    std::memcpy(address.bytes, &code, sizeof code);
    address.length = length;
    return address;
}

void PutNetworkOrder(unsigned char* target, std::uint16_t value) {
    target[0] = static_cast<unsigned char>(value >> 8);
    target[1] = static_cast<unsigned char>(value & 0xFF);
}

}  // namespace

bool ParseDotted(const char* text, std::uint8_t (&address)[4]) {
    int parts[4];
    if (std::sscanf(text, "%d.%d.%d.%d", &parts[0], &parts[1], &parts[2], &parts[3]) != 4)
        return false;
    for (int i = 0; i < 4; ++i) address[i] = static_cast<std::uint8_t>(parts[i] & 0xFF);
    return true;
}

bool ParseIpx(const char* text, std::uint8_t (&network)[4], std::uint8_t (&node)[6]) {
    unsigned int b[10];
    if (std::sscanf(text, "%2x%2x%2x%2x.%2x%2x%2x%2x%2x%2x", &b[0], &b[1], &b[2], &b[3], &b[4],
                    &b[5], &b[6], &b[7], &b[8], &b[9]) != 10)
        return false;
    for (int i = 0; i < 4; ++i) network[i] = static_cast<std::uint8_t>(b[i]);
    for (int i = 0; i < 6; ++i) node[i] = static_cast<std::uint8_t>(b[4 + i]);
    return true;
}

platform::SocketAddress Inet(const std::uint8_t (&address)[4], std::uint16_t port) {
    return platform::InetSocketAddress(static_cast<std::uint32_t>(address[0]) << 24 |
                                           static_cast<std::uint32_t>(address[1]) << 16 |
                                           static_cast<std::uint32_t>(address[2]) << 8 | address[3],
                                       port);
}

platform::SocketAddress Ipx(const std::uint8_t (&network)[4], const std::uint8_t (&node)[6],
                            std::uint16_t socketNumber) {
    platform::SocketAddress result = Begin(platform::SocketFamily::Ipx, 14);
    std::memcpy(result.bytes + 2, network, 4);
    std::memcpy(result.bytes + 6, node, 6);
    PutNetworkOrder(result.bytes + 12, socketNumber);
    return result;
}

platform::SocketAddress AppleTalk(const platform::AppleTalkEntity& entity) {
    platform::SocketAddress result = Begin(platform::SocketFamily::AppleTalk, 6);
    std::memcpy(result.bytes + 2, &entity.network, 2);
    result.bytes[4] = entity.node;
    result.bytes[5] = entity.socket;
    return result;
}

}  // namespace network_address
