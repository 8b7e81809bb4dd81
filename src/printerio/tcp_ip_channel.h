#pragma once
/// Channel of kind 0: the printer's raw printing port over TCP (mode 0, port 9100), or UDP
/// port 161 (mode 1). The address is a dotted IPv4 address or a host name that begins with
/// a letter. Sends and receives wait the time limit, 10 s unless set.

#include <cstdint>

#include "printerio/network_channel.h"

class CTcpIpChannel : public CNetworkChannel {
public:
    explicit CTcpIpChannel(const CChannelAddress& address);
    /// Over `sockets`, which must outlive the channel.
    CTcpIpChannel(const CChannelAddress& address, platform::SocketSystem& sockets);

    std::uint32_t GetMaxChunkSize() override { return 46720; }

protected:
    bool MakePeerAndSocket(std::int32_t mode) override;
    std::uint32_t SendWaitSeconds() override { return TimeLimitSeconds(); }
    std::uint32_t ReceiveWaitSeconds() override { return TimeLimitSeconds(); }
};
