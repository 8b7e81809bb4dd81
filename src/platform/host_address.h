#pragma once
/// This computer's own IPv4 address as the socket library's host-name look-up gives it.

#include <string>

namespace platform {

/// The host name (read into a 255-byte buffer) resolved by the host-name look-up, first
/// address as "%u.%u.%u.%u"; "127.0.0.1" when the name cannot be read or does not resolve.
std::string LocalHostAddress();

}  // namespace platform
