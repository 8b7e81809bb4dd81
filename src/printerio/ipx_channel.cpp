#include "printerio/ipx_channel.h"

#include <cstdint>
#include <new>

#include "printerio/network_address.h"
#include "printerio/spx_framing.h"

namespace {

constexpr std::uint16_t kSpxPrinterSocket = 0x400C;
constexpr std::uint16_t kIpxPrinterSocket = 0x900F;
constexpr std::uint32_t kNotEnoughMemory = 8;
constexpr std::uint32_t kReplySize = 1024;
constexpr int kFurtherReplies = 8;

}  // namespace

CIpxChannel::CIpxChannel(const CChannelAddress& address)
    : CIpxChannel(address, platform::SocketSystem::System()) {}

CIpxChannel::CIpxChannel(const CChannelAddress& address, platform::SocketSystem& sockets)
    // 87 for bad arguments, the socket error after every wait; a failed Read ends as 87.
    : CNetworkChannel(address, sockets, ErrorRules{true, true, false}) {}

bool CIpxChannel::MakePeerAndSocket(std::int32_t mode) {
    if (mode != 0 && mode != 1) return false;
    std::uint8_t network[4];
    std::uint8_t node[6];
    if (!network_address::ParseIpx(Address().GetAddress(), network, node)) {
        RecordError(kInvalidParameter);
        return false;
    }
    if (mode == 0) {
        SetPeer(network_address::Ipx(network, node, kSpxPrinterSocket));
        return CreateSocket(platform::SocketFamily::Ipx, platform::SocketType::SequencedPacket,
                            platform::SocketProtocol::Spx);
    }
    SetPeer(network_address::Ipx(network, node, kIpxPrinterSocket));
    return CreateSocket(platform::SocketFamily::Ipx, platform::SocketType::Datagram,
                        platform::SocketProtocol::Ipx);
}

bool CIpxChannel::AfterConnect(std::int32_t mode) {
    if (mode != 0) return true;
    const char* message = spx_framing::kHandshake;
    int remaining = static_cast<int>(spx_framing::kHandshakeSize);
    while (remaining > 0) {
        // The handshake is tiny and must go whole: a send that may wait, unlike the write loop.
        const int sent = Sockets().Send(Socket(), message, remaining, platform::SendMode::All);
        if (sent <= 0) {
            RecordSocketError();
            return false;
        }
        message += sent;
        remaining -= sent;
    }
    // The first reply that answers the handshake decides; after eight further replies
    // that do not, the last one decides.
    char reply[kReplySize];
    for (int further = 0;; ++further) {
        std::uint32_t size = kReplySize;
        if (!Read(reply, size)) {
            RecordSocketError();
            return false;
        }
        if (spx_framing::IsHandshakeReply(reply, size) || further == kFurtherReplies)
            return spx_framing::Accepts(reply, size);
    }
}

bool CIpxChannel::Read(char* buffer, std::uint32_t& size) {
    if (CNetworkChannel::Read(buffer, size)) return true;
    RecordError(kInvalidParameter);
    return false;
}

bool CIpxChannel::Write(const char* buffer, std::uint32_t length) {
    if (buffer == nullptr) {
        RecordError(kInvalidParameter);
        return false;
    }
    if (Address().GetMode() != 0) return SendAll(buffer, length);
    if (length > UINT32_MAX - spx_framing::kDataHeaderSize) {
        RecordError(kInvalidParameter);
        return false;
    }
    const std::size_t framed = spx_framing::kDataHeaderSize + length;
    if (m_sendBuffer.size() < framed) {
        try {
            m_sendBuffer.resize(framed);
        } catch (const std::bad_alloc&) {
            RecordError(kNotEnoughMemory);
            return false;
        }
    }
    spx_framing::Frame(buffer, length, m_sendBuffer.data());
    return SendAll(m_sendBuffer.data(), static_cast<std::uint32_t>(framed));
}
