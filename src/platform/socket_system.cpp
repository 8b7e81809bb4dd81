#include "platform/socket_system.h"

#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <sys/socket.h>
#endif

namespace platform {

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

SocketAddress InetSocketAddress(std::uint32_t address, std::uint16_t port) {
    SocketAddress inet;
    const std::uint16_t family = SocketFamilyCode(SocketFamily::Inet);
    std::memcpy(inet.bytes, &family, sizeof family);
    const unsigned char rest[6] = {
        static_cast<unsigned char>(port >> 8),     static_cast<unsigned char>(port & 0xFF),
        static_cast<unsigned char>(address >> 24), static_cast<unsigned char>(address >> 16),
        static_cast<unsigned char>(address >> 8),  static_cast<unsigned char>(address & 0xFF)};
    std::memcpy(inet.bytes + 2, rest, sizeof rest);
    inet.length = 16;
    return inet;
}

std::string LocalHostAddress(SocketSystem& sockets) {
    const char* const kLoopback = "127.0.0.1";
    std::string name;
    std::uint8_t bytes[4];
    if (!sockets.HostName(name) || !sockets.ResolveHostName(name.c_str(), bytes)) return kLoopback;
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", bytes[0], bytes[1], bytes[2], bytes[3]);
    return text;
}

}  // namespace platform
