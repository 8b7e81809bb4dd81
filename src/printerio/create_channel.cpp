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
            case 0:
                return std::make_unique<CTcpIpChannel>(address);
            case 1:
                return std::make_unique<CIpxChannel>(address);
            case 3:
                return std::make_unique<CAppleTalkChannel>(address);
            case 4:
                return std::make_unique<CParallelChannel>(address);
            case 6:
                return std::make_unique<CWinUSBChannel>(address);
            case 8:
                return std::make_unique<CFileChannel>(address);
            default:
                return nullptr;
        }
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
