#pragma once
/// Channel of kind 1: a NetWare printer over SPX (mode 0, destination socket 0x400C, with a
/// handshake at open and a 6-byte header before every message) or IPX datagrams (mode 1,
/// socket 0x900F). The address is "nnnnnnnn.hhhhhhhhhhhh": network number and node in
/// hexadecimal. Sends wait 60 s, receives 5 s. Bad arguments record 87.

#include <cstdint>
#include <vector>

#include "printerio/network_channel.h"

class CIpxChannel : public CNetworkChannel {
public:
    explicit CIpxChannel(const CChannelAddress& address);
    /// Over `sockets`, which must outlive the channel.
    CIpxChannel(const CChannelAddress& address, platform::SocketSystem& sockets);

    std::uint32_t GetMaxChunkSize() override { return 1024; }
    /// Every failure ends with 87 recorded.
    bool Read(char* buffer, std::uint32_t& size) override;
    bool Write(const char* buffer, std::uint32_t length) override;

protected:
    bool MakePeerAndSocket(std::int32_t mode) override;
    /// The SPX handshake in mode 0.
    bool AfterConnect(std::int32_t mode) override;
    std::uint32_t SendWaitSeconds() override { return 60; }
    std::uint32_t ReceiveWaitSeconds() override { return 5; }

private:
    /// Grows to the largest message sent plus its header; kept until the channel goes.
    std::vector<char> m_sendBuffer;
};
