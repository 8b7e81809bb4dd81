#include "platform/host_address.h"

#include <winsock2.h>

#include <cstdio>

namespace platform {

std::string LocalHostAddress() {
    char name[255];
    if (gethostname(name, sizeof name) == SOCKET_ERROR) return "127.0.0.1";
    const hostent* host = gethostbyname(name);
    if (host == nullptr || host->h_addr_list == nullptr || host->h_addr_list[0] == nullptr)
        return "127.0.0.1";
    const auto* bytes = reinterpret_cast<const unsigned char*>(host->h_addr_list[0]);
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", bytes[0], bytes[1], bytes[2], bytes[3]);
    return text;
}

}  // namespace platform
