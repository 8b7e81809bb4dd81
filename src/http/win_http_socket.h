#pragma once
/// The engine's one socket class: a thin layer over the system's TCP sockets that never
/// retries, sets no options and reports every failure by throwing (by pointer):
/// `CInvalidHttpSocket` without an open socket or when `Create` fails, `CHttpSocketError`
/// with the socket error code when connect, select, recv or send fails, `CPortBusy` when
/// bind fails.

#include "http/http_socket.h"
#include "platform/socket_system.h"

/// True when a connection from `peer` that arrived at `local` comes from this computer.
bool IsLocalPeerAddress(std::uint32_t local, std::uint32_t peer);

class CWinHttpSocket : public CHttpSocket {
public:
    CWinHttpSocket() : CWinHttpSocket(platform::SocketSystem::System()) {}
    /// Over `sockets`, which must outlive the socket.
    explicit CWinHttpSocket(platform::SocketSystem& sockets) : m_sockets(sockets) {}
    /// Closes a socket still held; holding none is silent.
    ~CWinHttpSocket() override;
    CWinHttpSocket(const CWinHttpSocket&) = delete;
    CWinHttpSocket& operator=(const CWinHttpSocket&) = delete;

    std::uint32_t Create() override;
    int Connect(std::uint32_t address, std::uint16_t port) override;
    int Bind(std::uint32_t address, std::uint16_t port) override;
    int Listen() override;
    /// `target` must be a `CWinHttpSocket`.
    bool Accept(CHttpSocket& target) override;
    bool HasData(std::uint32_t timeoutMilliseconds) override;
    int Receive(char* buffer, int length) override;
    int Send(const char* buffer, int length) override;
    int Close() override;

    bool HoldsSocket() const { return m_handle != platform::kInvalidSocket; }
    /// True when the peer of this connection is this computer: a loopback address, or the
    /// address the connection arrived at.
    bool IsLocalPeer() const;

private:
    void CheckOpen() const;

    platform::SocketSystem& m_sockets;
    platform::SocketHandle m_handle = platform::kInvalidSocket;
};
