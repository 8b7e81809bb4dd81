#include "printerio/network_channel.h"

#include <climits>

namespace {

constexpr std::uint16_t kCloseLingerSeconds = 60;
constexpr std::uint16_t kCloseAtOnce = 0;

int ClampToInt(std::uint32_t count) {
    return count > static_cast<std::uint32_t>(INT_MAX) ? INT_MAX : static_cast<int>(count);
}

}  // namespace

CNetworkChannel::CNetworkChannel(const CChannelAddress& address, platform::SocketSystem& sockets,
                                 ErrorRules rules)
    : m_address(address), m_sockets(sockets), m_rules(rules) {}

CNetworkChannel::~CNetworkChannel() { CloseSocket(); }

void CNetworkChannel::CloseSocket() {
    if (m_socket == platform::kInvalidSocket) return;
    m_sockets.LingerAndClose(m_socket, m_writeFailed ? kCloseAtOnce : kCloseLingerSeconds);
    m_socket = platform::kInvalidSocket;
    m_writeFailed = false;
}

bool CNetworkChannel::TransferFailed() {
    m_writeFailed = true;
    return false;
}

bool CNetworkChannel::Open(std::int32_t mode) {
    if (mode != CChannelAddress::kModeNotSet) m_address.SetMode(mode);
    if (m_address.GetAddress()[0] == '\0') {
        if (m_rules.invalidParameterRecorded) RecordError(kInvalidParameter);
        return false;
    }
    // Counted again on every attempt and never stopped here: the engine's own sockets
    // share the library.
    std::uint16_t granted = 0;
    const std::uint32_t startError = m_sockets.StartLibrary(granted);
    if (startError != 0) {
        RecordError(startError);
        return false;
    }
    if (granted != platform::kSocketLibraryVersion) {
        m_sockets.StopLibrary();
        return false;
    }
    m_peer = platform::SocketAddress{};
    const std::int32_t current = m_address.GetMode();
    if (!MakePeerAndSocket(current)) return false;
    if (m_socket == platform::kInvalidSocket || m_peer.length == 0) return false;
    if (!m_sockets.Connect(m_socket, m_peer)) {
        RecordSocketError();
        return false;
    }
    return AfterConnect(current);
}

bool CNetworkChannel::Read(char* buffer, std::uint32_t& size) {
    if (m_socket == platform::kInvalidSocket || m_peer.length == 0 || buffer == nullptr)
        return false;
    if (m_sockets.WaitReadable(m_socket, ReceiveWaitSeconds() * 1000) !=
        platform::SocketWait::Ready) {
        RecordSocketError();
        return false;
    }
    const int received = m_sockets.Receive(m_socket, buffer, ClampToInt(size));
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
    // Trying the send first spares a wait on every piece while the printer keeps up.
    bool waited = false;
    while (remaining > 0) {
        if (m_socket == platform::kInvalidSocket) {
            if (m_rules.invalidParameterRecorded) RecordError(kInvalidParameter);
            return false;
        }
        const int sent =
            m_sockets.Send(m_socket, data, ClampToInt(remaining), platform::SendMode::WhatFits);
        if (sent < 0) {
            RecordSocketError();
            return TransferFailed();
        }
        if (sent == 0) {
            // Room was reported and still nothing fits: give up rather than spin past the
            // limit.
            if (waited) return TransferFailed();
            const platform::SocketWait wait =
                m_sockets.WaitWritable(m_socket, SendWaitSeconds() * 1000);
            if (m_rules.errorRecordedAfterEveryWait) RecordSocketError();
            if (wait != platform::SocketWait::Ready) return TransferFailed();
            waited = true;
            continue;
        }
        waited = false;
        const std::uint32_t count = static_cast<std::uint32_t>(sent);
        if (count >= remaining) break;
        data += count;
        remaining -= count;
    }
    return true;
}

bool CNetworkChannel::CreateSocket(platform::SocketFamily family, platform::SocketType type,
                                   platform::SocketProtocol protocol) {
    CloseSocket();
    m_socket = m_sockets.Create(family, type, protocol);
    if (m_socket == platform::kInvalidSocket) {
        RecordSocketError();
        return false;
    }
    return true;
}
