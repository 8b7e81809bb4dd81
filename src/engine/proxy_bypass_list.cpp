#include "engine/proxy_bypass_list.h"

std::vector<ProxyBypassAddition> MissingProxyBypassEntries(const std::string& list,
                                                           const std::string& localAddress,
                                                           const std::string& printerAddress) {
    const ProxyBypassAddition wanted[] = {
        {localAddress, "Proxy settings have been modified to contain machine's IP Address."},
        {printerAddress, "Proxy settings have been modified to contain printer's IP Address."},
        {"127.0.0.1", "Proxy settings have been modified to contain Virtual Host."},
        {"localhost", "Proxy settings have been modified to contain localhost."},
    };
    std::vector<ProxyBypassAddition> missing;
    std::string extended = list;
    for (const ProxyBypassAddition& addition : wanted) {
        if (addition.entry.empty()) continue;
        // Searched in the list as extended so far, so an entry is never added twice.
        if (extended.find(addition.entry) != std::string::npos) continue;
        missing.push_back(addition);
        extended = WithProxyBypassEntries(extended, {addition});
    }
    return missing;
}

std::string WithProxyBypassEntries(std::string list,
                                   const std::vector<ProxyBypassAddition>& additions) {
    for (const ProxyBypassAddition& addition : additions) {
        if (!list.empty()) list += ';';
        list += addition.entry;
    }
    return list;
}
