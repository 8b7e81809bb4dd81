#pragma once
/// The peer addresses of the network channels: reading the address texts and laying out
/// the socket addresses the system connects to.

#include <cstdint>

#include "platform/socket_system.h"

namespace network_address {

/// Four decimal numbers separated by points; the low byte of each. False unless all four
/// are there.
bool ParseDotted(const char* text, std::uint8_t (&address)[4]);

/// Eight hexadecimal digits, a point and twelve more, two digits a byte, in the order
/// written: the IPX network number and node. False unless all ten bytes are there.
bool ParseIpx(const char* text, std::uint8_t (&network)[4], std::uint8_t (&node)[6]);

/// IPv4: 16 bytes; the port in network order.
platform::SocketAddress Inet(const std::uint8_t (&address)[4], std::uint16_t port);
/// IPX: 14 bytes; the socket number in network order.
platform::SocketAddress Ipx(const std::uint8_t (&network)[4], const std::uint8_t (&node)[6],
                            std::uint16_t socketNumber);
/// AppleTalk: 6 bytes; the network as the name look-up gave it.
platform::SocketAddress AppleTalk(const platform::AppleTalkEntity& entity);

}  // namespace network_address
