#pragma once
/// Channel of kind 3: a printer on AppleTalk over the Printer Access Protocol (mode 0 only),
/// found by the name look-up of its object name, the type "LaserWriter" and its zone (the
/// address's zone text). Sends wait 60 s, receives 10 s.

#include <cstddef>
#include <cstdint>

#include "printerio/network_channel.h"

class CAppleTalkChannel : public CNetworkChannel {
public:
    /// Longest object, type or zone name.
    static constexpr std::size_t kMaxEntityName = 32;

    explicit CAppleTalkChannel(const CChannelAddress& address);
    /// Over `sockets`, which must outlive the channel.
    CAppleTalkChannel(const CChannelAddress& address, platform::SocketSystem& sockets);

    std::uint32_t GetMaxChunkSize() override { return 4096; }

protected:
    bool MakePeerAndSocket(std::int32_t mode) override;
    std::uint32_t SendWaitSeconds() override { return 60; }
    std::uint32_t ReceiveWaitSeconds() override { return 10; }
};
