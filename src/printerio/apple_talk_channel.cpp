#include "printerio/apple_talk_channel.h"

#include <cstring>

#include "printerio/network_address.h"

namespace {

constexpr char kPrinterType[] = "LaserWriter";

}  // namespace

CAppleTalkChannel::CAppleTalkChannel(const CChannelAddress& address)
    : CAppleTalkChannel(address, platform::SocketSystem::System()) {}

CAppleTalkChannel::CAppleTalkChannel(const CChannelAddress& address,
                                     platform::SocketSystem& sockets)
    // A failed receive leaves the last error as it was.
    : CNetworkChannel(address, sockets, ErrorRules{false, false, false}) {}

bool CAppleTalkChannel::MakePeerAndSocket(std::int32_t mode) {
    if (mode != 0) return false;
    if (!CreateSocket(platform::SocketFamily::AppleTalk, platform::SocketType::ReliableDelivery,
                      platform::SocketProtocol::PrinterAccess))
        return false;
    // Network, node and socket 0: the system picks the local address.
    if (!Sockets().Bind(Socket(), network_address::AppleTalk(platform::AppleTalkEntity{}))) {
        RecordSocketError();
        return false;
    }
    const char* object = Address().GetAddress();
    const char* zone = Address().GetZone();
    // A longer name cannot name an entity; cutting it could reach another printer.
    if (std::strlen(object) > kMaxEntityName || std::strlen(zone) > kMaxEntityName) {
        RecordError(kInvalidParameter);
        return false;
    }
    platform::AppleTalkEntity printer;
    switch (Sockets().LookUpAppleTalkName(Socket(), object, kPrinterType, zone, printer)) {
        case platform::NameLookup::Found:
            SetPeer(network_address::AppleTalk(printer));
            return true;
        case platform::NameLookup::NotFound:
            return false;
        case platform::NameLookup::Failed:
            RecordSocketError();
            return false;
    }
    return false;
}
