#include "printerio/channel_address.h"

#include <cstring>

namespace {

void CopyText(char (&target)[CChannelAddress::kMaxText + 1], const char* text) {
    std::size_t length = text == nullptr ? 0 : std::strlen(text);
    if (length > static_cast<std::size_t>(CChannelAddress::kMaxText)) {
        length = CChannelAddress::kMaxText;
    }
    if (length > 0) std::memcpy(target, text, length);
    target[length] = '\0';
}

}  // namespace

CChannelAddress::CChannelAddress(const char* address, std::int32_t kind, std::int32_t mode)
    : m_kind(kind), m_mode(mode) {
    CopyText(m_address, address);
    m_zone[0] = '\0';
}

void CChannelAddress::SetAddress(const char* address) { CopyText(m_address, address); }

void CChannelAddress::SetZone(const char* zone) { CopyText(m_zone, zone); }
