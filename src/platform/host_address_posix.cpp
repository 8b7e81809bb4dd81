#include "platform/host_address.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace platform {

std::string LocalHostAddress() {
    char name[255];
    if (gethostname(name, sizeof name) != 0) return "127.0.0.1";
    name[sizeof name - 1] = '\0';
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* result = nullptr;
    // getaddrinfo is the thread-safe form of the host-name look-up.
    if (getaddrinfo(name, nullptr, &hints, &result) != 0 || result == nullptr) return "127.0.0.1";
    unsigned char bytes[4];
    std::memcpy(bytes, &reinterpret_cast<sockaddr_in*>(result->ai_addr)->sin_addr, 4);
    freeaddrinfo(result);
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", bytes[0], bytes[1], bytes[2], bytes[3]);
    return text;
}

}  // namespace platform
