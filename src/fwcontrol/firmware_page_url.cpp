#include "firmware_page_url.h"

#include <winsock2.h>

#include <cstdio>

std::string FirmwarePageUrl(const std::string& address, const std::string& cachedPath) {
    // The engine splits its query at "&" and "=" and decodes "+" and "%xx": those bytes, "#"
    // (which ends a URL's query) and blanks are escaped, so that it reads the path it was
    // given; every other byte goes in as it is.
    std::string path;
    for (const char c : cachedPath) {
        if (std::string(" %&+#=").find(c) == std::string::npos) {
            path += c;
            continue;
        }
        char escaped[4];
        std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(c));
        path += escaped;
    }
    return "http://" + address +
           ":8190/FwDownload.html?nextpage=FwEnd.html&abs=1&file-to-send=" + path;
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
