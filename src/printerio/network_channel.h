#pragma once
/// What the TCP/IP, IPX/SPX and AppleTalk channels share: the opening steps around the
/// socket library and the connect, the write loop, the read rule and the closing linger.
/// Each channel says how its peer address and socket are made and how long it waits.

#include <cstdint>

#include "platform/socket_system.h"
#include "printerio/channel_address.h"
#include "printerio/io_channel.h"

class CNetworkChannel : public CIOChannel {
public:
    /// ERROR_INVALID_PARAMETER, which the IPX channel records for bad arguments.
    static constexpr std::uint32_t kInvalidParameter = 87;

    /// Closes an open socket with a 60 s linger, so a finished job still drains to the
    /// printer; after a failed write at once (see CloseSocket).
    ~CNetworkChannel() override;
    CNetworkChannel(const CNetworkChannel&) = delete;
    CNetworkChannel& operator=(const CNetworkChannel&) = delete;

    std::uint32_t GetLastErrorCode() override { return m_lastError; }
    bool Open(std::int32_t mode) override;
    bool Read(char* buffer, std::uint32_t& size) override;
    bool Write(const char* buffer, std::uint32_t length) override;
    std::uint32_t GetSize() override { return 0; }
    /// Keeps whole seconds, rounded down.
    bool SetTimeout(std::uint32_t milliseconds) override;
    bool IsNetworkChannel() override { return true; }
    bool DeleteTarget() override { return false; }
    bool CreateTarget() override { return false; }

protected:
    /// How a channel records its errors where the channels differ.
    struct ErrorRules {
        /// Bad arguments and a socket that is not open record 87.
        bool invalidParameterRecorded;
        /// The socket error is recorded after every wait before a send, not only failed ones.
        bool errorRecordedAfterEveryWait;
        /// A failed receive records the socket error.
        bool receiveErrorRecorded;
    };

    CNetworkChannel(const CChannelAddress& address, platform::SocketSystem& sockets,
                    ErrorRules rules);

    /// Builds the peer address and creates the socket for `mode`; false leaves the channel
    /// without a peer or without a socket.
    virtual bool MakePeerAndSocket(std::int32_t mode) = 0;
    /// Runs after a successful connect; the result is Open's.
    virtual bool AfterConnect(std::int32_t /*mode*/) { return true; }
    virtual std::uint32_t SendWaitSeconds() = 0;
    virtual std::uint32_t ReceiveWaitSeconds() = 0;

    /// The write loop: send what fits, and wait for room (up to the send wait) only when
    /// nothing did, until nothing remains.
    bool SendAll(const char* data, std::uint32_t length);
    /// Creates the socket, closing one left by an earlier attempt; records a failure.
    bool CreateSocket(platform::SocketFamily family, platform::SocketType type,
                      platform::SocketProtocol protocol);
    void SetPeer(const platform::SocketAddress& peer) { m_peer = peer; }
    void RecordError(std::uint32_t code) { m_lastError = code; }
    void RecordSocketError() { m_lastError = m_sockets.LastError(); }

    CChannelAddress& Address() { return m_address; }
    platform::SocketSystem& Sockets() { return m_sockets; }
    platform::SocketHandle Socket() const { return m_socket; }
    std::uint32_t TimeLimitSeconds() const { return m_timeLimitSeconds; }

private:
    /// Once a write has failed the printer is not taking the job, and the user waits for
    /// the failure to be reported: the close drops what is left instead of lingering.
    void CloseSocket();
    /// Records a failed transfer for CloseSocket; false, for the write to return.
    bool TransferFailed();

    CChannelAddress m_address;
    platform::SocketSystem& m_sockets;
    const ErrorRules m_rules;
    platform::SocketHandle m_socket = platform::kInvalidSocket;
    platform::SocketAddress m_peer;  // length 0 until resolved
    std::uint32_t m_lastError = 0;
    std::uint32_t m_timeLimitSeconds = 10;
    bool m_writeFailed = false;
};
