#pragma once
// The address an engine finds for this computer, for the addresses it opens in the browser.

#include <string>

namespace integration {

/// The host name's first IPv4 address, or "127.0.0.1" when it has none.
std::string LocalAddress();

/// "http://" LocalAddress() ":8190/" `page`: where an engine asks the browser to go.
std::string EngineAddress(const std::string& page);

}  // namespace integration
