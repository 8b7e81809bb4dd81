#include "integration/local_address.h"

#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

namespace integration {

std::string LocalAddress() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) return "127.0.0.1";
    const hostent* host = gethostbyname(name);
    if (host == nullptr || host->h_addrtype != AF_INET || host->h_addr_list[0] == nullptr)
        return "127.0.0.1";
    const auto* bytes = reinterpret_cast<const unsigned char*>(host->h_addr_list[0]);
    return std::to_string(bytes[0]) + "." + std::to_string(bytes[1]) + "." +
           std::to_string(bytes[2]) + "." + std::to_string(bytes[3]);
}

std::string EngineAddress(const std::string& page) {
    return "http://" + LocalAddress() + ":8190/" + page;
}

}  // namespace integration
