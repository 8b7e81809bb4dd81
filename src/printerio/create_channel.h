#pragma once
/// The channel factory: turns an address record into a closed channel of its kind.

#include <memory>

#include "printerio/channel_address.h"
#include "printerio/io_channel.h"

/// A new channel for kinds 0, 1, 3, 4, 6 and 8, with its own copy of `address`; none for any
/// other kind or when memory runs out. The channel is not open yet.
std::unique_ptr<CIOChannel> CreateChannel(const CChannelAddress& address);
