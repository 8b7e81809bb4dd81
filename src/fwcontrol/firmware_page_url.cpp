#include "firmware_page_url.h"

#include <winsock2.h>

#include <cstdio>

std::string FirmwarePageUrl(const std::string& address, const std::string& cachedPath) {
    return "http://" + address +
           ":8190/FwDownload.html?nextpage=FwEnd.html&abs=1&file-to-send=" + cachedPath;
}

std::string WorkstationAddress() {
    std::string address = "127.0.0.1";
    WSADATA data;
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return address;
    char name[255] = {};
    if (gethostname(name, sizeof(name)) == 0) {
        hostent* host = gethostbyname(name);
        if (host != nullptr && host->h_addr_list != nullptr && host->h_addr_list[0] != nullptr) {
            const unsigned char* bytes =
                reinterpret_cast<const unsigned char*>(host->h_addr_list[0]);
            char text[16];
            std::snprintf(text, sizeof(text), "%u.%u.%u.%u", bytes[0], bytes[1], bytes[2],
                          bytes[3]);
            address = text;
        }
    }
    WSACleanup();
    return address;
}
