#pragma once
/// The proxy bypass list of the user's Internet settings ("a;b;c") and what the engine adds
/// to it so the browser reaches this computer and the printer without the proxy.

#include <cstddef>
#include <string>
#include <vector>

/// The registry buffer the list is read into and extended in, NUL included.
constexpr std::size_t kProxyBypassListCapacity = 260;

struct ProxyBypassAddition {
    std::string entry;
    const char* logLine;  // the forced line that tells of it
};

/// The entries missing from `list`, in the order they are appended: the local address, the
/// printer address (when not empty), "127.0.0.1", "localhost". An entry counts as present
/// when it occurs anywhere in the list text, even inside a longer entry.
std::vector<ProxyBypassAddition> MissingProxyBypassEntries(const std::string& list,
                                                           const std::string& localAddress,
                                                           const std::string& printerAddress);

/// `list` with `additions` appended, each after a ";" unless the list is empty so far.
std::string WithProxyBypassEntries(std::string list,
                                   const std::vector<ProxyBypassAddition>& additions);
