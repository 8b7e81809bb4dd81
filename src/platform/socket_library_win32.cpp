#include "platform/socket_library.h"

#include <winsock2.h>

namespace platform {

bool StartSocketLibrary() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return false;
    if (LOBYTE(data.wVersion) != 1 || HIBYTE(data.wVersion) != 1) {
        WSACleanup();
        return false;
    }
    return true;
}

void StopSocketLibrary() { WSACleanup(); }

}  // namespace platform
