#include "printerio/create_channel.h"

#include <new>

#include "printerio/apple_talk_channel.h"
#include "printerio/file_channel.h"
#include "printerio/ipx_channel.h"
#include "printerio/parallel_channel.h"
#include "printerio/tcp_ip_channel.h"
#include "printerio/win_usb_channel.h"

std::unique_ptr<CIOChannel> CreateChannel(const CChannelAddress& address) {
    try {
        switch (address.GetKind()) {
            case CChannelAddress::kKindTcpIp:
                return std::make_unique<CTcpIpChannel>(address);
            case CChannelAddress::kKindIpx:
                return std::make_unique<CIpxChannel>(address);
            case CChannelAddress::kKindAppleTalk:
                return std::make_unique<CAppleTalkChannel>(address);
            case CChannelAddress::kKindParallel:
                return std::make_unique<CParallelChannel>(address);
            case CChannelAddress::kKindUsb:
                return std::make_unique<CWinUSBChannel>(address);
            case CChannelAddress::kKindFile:
                return std::make_unique<CFileChannel>(address);
            default:
                return nullptr;
        }
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
