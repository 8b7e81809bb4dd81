#include "http/win_http_socket.h"

#include "base/tavrin_exception.h"
#include "platform/trace.h"

namespace {

constexpr int kListenBacklog = 50;

[[noreturn]] void ThrowSocketError(platform::SocketSystem& sockets, const char* trace) {
    int error = static_cast<int>(sockets.LastError());
    platform::Trace(trace);
    throw new CHttpSocketError(error);
}

}  // namespace

bool IsLocalPeerAddress(std::uint32_t local, std::uint32_t peer) {
    const bool loopback = (peer >> 24) == 127;
    return loopback || peer == local;
}

CWinHttpSocket::~CWinHttpSocket() {
    try {
        Close();
    } catch (CInvalidHttpSocket* caught) {
        TakeOwnership(caught);
    }
}

void CWinHttpSocket::CheckOpen() const {
    if (m_handle == platform::kInvalidSocket) throw new CInvalidHttpSocket;
}

std::uint32_t CWinHttpSocket::Create() {
    m_handle = m_sockets.Create(platform::SocketFamily::Inet, platform::SocketType::Stream,
                                platform::SocketProtocol::Default);
    if (m_handle == platform::kInvalidSocket) throw new CInvalidHttpSocket;
    return static_cast<std::uint32_t>(m_handle);
}

int CWinHttpSocket::Connect(std::uint32_t address, std::uint16_t port) {
    CheckOpen();
    if (!m_sockets.Connect(m_handle, platform::InetSocketAddress(address, port))) {
        ThrowSocketError(m_sockets, "(CWinHttpSocket::Connect) --> connect error\r\n");
    }
    return 0;
}

int CWinHttpSocket::Bind(std::uint32_t address, std::uint16_t port) {
    CheckOpen();
    if (!m_sockets.Bind(m_handle, platform::InetSocketAddress(address, port))) {
        throw new CPortBusy;
    }
    return 0;
}

int CWinHttpSocket::Listen() {
    CheckOpen();
    return m_sockets.ListenNonBlocking(m_handle, kListenBacklog);
}

bool CWinHttpSocket::Accept(CHttpSocket& target) {
    CheckOpen();
    platform::SocketHandle accepted = platform::kInvalidSocket;
    platform::AcceptOutcome outcome = m_sockets.Accept(m_handle, accepted);
    if (outcome == platform::AcceptOutcome::NothingPending) return false;
    // Any other failure hands over a socket that holds nothing; its first use throws.
    static_cast<CWinHttpSocket&>(target).m_handle =
        outcome == platform::AcceptOutcome::Accepted ? accepted : platform::kInvalidSocket;
    return true;
}

bool CWinHttpSocket::HasData(std::uint32_t timeoutMilliseconds) {
    CheckOpen();
    platform::SocketWait ready = m_sockets.WaitReadable(m_handle, timeoutMilliseconds);
    if (ready == platform::SocketWait::Failed) {
        ThrowSocketError(m_sockets, "(CWinHttpSocket::HasData) --> select error\r\n");
    }
    return ready == platform::SocketWait::Ready;
}

int CWinHttpSocket::Receive(char* buffer, int length) {
    CheckOpen();
    int received = m_sockets.Receive(m_handle, buffer, length);
    if (received < 0) ThrowSocketError(m_sockets, "(CWinHttpSocket::Receive) --> recv error\r\n");
    return received;
}

int CWinHttpSocket::Send(const char* buffer, int length) {
    CheckOpen();
    int sent = m_sockets.Send(m_handle, buffer, length, platform::SendMode::All);
    if (sent < 0) ThrowSocketError(m_sockets, "(CWinHttpSocket::Send) --> send error\r\n");
    return sent;
}

int CWinHttpSocket::Close() {
    CheckOpen();
    int result = m_sockets.Close(m_handle);
    m_handle = platform::kInvalidSocket;
    return result;
}

bool CWinHttpSocket::IsLocalPeer() const {
    if (m_handle == platform::kInvalidSocket) return false;
    std::uint32_t local = 0;
    std::uint32_t peer = 0;
    if (!m_sockets.ConnectionAddresses(m_handle, local, peer)) return false;
    return IsLocalPeerAddress(local, peer);
}
