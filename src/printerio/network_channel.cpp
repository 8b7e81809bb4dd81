#include "printerio/network_channel.h"

#include <climits>

namespace {

constexpr std::uint16_t kWinsockVersion11 = 0x0101;
constexpr std::uint16_t kCloseLingerSeconds = 60;

int ClampToInt(std::uint32_t count) {
    return count > static_cast<std::uint32_t>(INT_MAX) ? INT_MAX : static_cast<int>(count);
}

}  // namespace

CNetworkChannel::CNetworkChannel(const CChannelAddress& address, CChannelTransport& transport,
                                 ErrorRules rules)
    : m_address(address), m_transport(transport), m_rules(rules) {}

CNetworkChannel::~CNetworkChannel() {
    if (m_socket != platform::kNoSocket) m_transport.LingerAndClose(m_socket, kCloseLingerSeconds);
}

bool CNetworkChannel::Open(std::int32_t mode) {
    if (mode != CChannelAddress::kModeNotSet) m_address.SetMode(mode);
    if (m_address.GetAddress()[0] == '\0') {
        if (m_rules.invalidParameterRecorded) RecordError(kInvalidParameter);
        return false;
    }
    // Started again on every attempt and never cleaned up here: the engine's own sockets
    // share the library.
    std::uint16_t granted = 0;
    const std::uint32_t startError = m_transport.StartLibrary(granted);
    if (startError != 0) {
        RecordError(startError);
        return false;
    }
    if (granted != kWinsockVersion11) {
        m_transport.StopLibrary();
        return false;
    }
    m_peer = platform::SocketAddress{};
    const std::int32_t current = m_address.GetMode();
    if (!MakePeerAndSocket(current)) return false;
    if (m_socket == platform::kNoSocket || m_peer.length == 0) return false;
    if (!m_transport.Connect(m_socket, m_peer)) {
        RecordSocketError();
        return false;
    }
    return AfterConnect(current);
}

bool CNetworkChannel::Read(char* buffer, std::uint32_t& size) {
    if (m_socket == platform::kNoSocket || m_peer.length == 0 || buffer == nullptr) return false;
    if (m_transport.WaitReadable(m_socket, ReceiveWaitSeconds()) != platform::SocketWait::Ready) {
        RecordSocketError();
        return false;
    }
    const int received = m_transport.Receive(m_socket, buffer, ClampToInt(size));
    if (received < 0) {
        if (m_rules.receiveErrorRecorded) RecordSocketError();
        return false;
    }
    size = static_cast<std::uint32_t>(received);
    return true;
}

bool CNetworkChannel::Write(const char* buffer, std::uint32_t length) {
    if (buffer == nullptr) {
        if (m_rules.invalidParameterRecorded) RecordError(kInvalidParameter);
        return false;
    }
    return SendAll(buffer, length);
}

bool CNetworkChannel::SetTimeout(std::uint32_t milliseconds) {
    m_timeLimitSeconds = milliseconds / 1000;
    return true;
}

bool CNetworkChannel::SendAll(const char* data, std::uint32_t length) {
    std::uint32_t remaining = length;
    while (remaining > 0) {
        if (m_socket == platform::kNoSocket) {
            if (m_rules.invalidParameterRecorded) RecordError(kInvalidParameter);
            return false;
        }
        const platform::SocketWait wait = m_transport.WaitWritable(m_socket, SendWaitSeconds());
        if (m_rules.errorRecordedAfterEveryWait) RecordSocketError();
        if (wait != platform::SocketWait::Ready) return false;
        const int sent = m_transport.Send(m_socket, data, ClampToInt(remaining));
        if (sent < 0) {
            RecordSocketError();
            return false;
        }
        if (sent == 0) return false;
        const std::uint32_t count = static_cast<std::uint32_t>(sent);
        if (count >= remaining) break;
        data += count;
        remaining -= count;
    }
    return true;
}

bool CNetworkChannel::CreateSocket(platform::SocketFamily family, platform::SocketType type,
                                   platform::SocketProtocol protocol) {
    if (m_socket != platform::kNoSocket) {
        m_transport.LingerAndClose(m_socket, kCloseLingerSeconds);
        m_socket = platform::kNoSocket;
    }
    m_socket = m_transport.CreateSocket(family, type, protocol);
    if (m_socket == platform::kNoSocket) {
        RecordSocketError();
        return false;
    }
    return true;
}
