#include "printerio/spx_framing.h"

#include <cstring>

namespace spx_framing {

const char kHandshake[kHandshakeSize] = {0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0};

void Frame(const char* data, std::uint32_t length, char* target) {
    const char header[kDataHeaderSize] = {0x12, 0, 0, 0, 0, 0};
    std::memcpy(target, header, kDataHeaderSize);
    if (length > 0) std::memcpy(target + kDataHeaderSize, data, length);
}

bool IsHandshakeReply(const char* reply, std::uint32_t size) {
    return size >= 1 && reply[0] == 0x10;
}

bool Accepts(const char* reply, std::uint32_t size) { return size >= 2 && reply[1] == 0x00; }

}  // namespace spx_framing
