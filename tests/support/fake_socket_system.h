#pragma once
/// A socket system that plays a script and records what its user asked of it.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/socket_system.h"

namespace fake {

class SocketSystem : public platform::SocketSystem {
public:
    static constexpr platform::SocketHandle kSocket = 42;  // the first socket is kSocket + 1

    // The script. Empty queues: waits are ready, sends take everything, receives fail.
    std::uint32_t startError = 0;
    std::uint16_t grantedVersion = 0x0101;
    bool resolves = true, creates = true, binds = true, connects = true;
    bool knowsHostName = true;
    std::string hostName = "workstation";
    int listenResult = 0, closeResult = 0;
    platform::AcceptOutcome acceptOutcome = platform::AcceptOutcome::NothingPending;
    bool knowsAddresses = true;
    std::uint32_t localAddress = 0x7F000001, peerAddress = 0x7F000001;
    platform::NameLookup lookup = platform::NameLookup::Found;
    std::deque<platform::SocketWait> writeWaits, readWaits;
    std::deque<int> sendResults;                      // bytes taken, or -1
    std::deque<std::optional<std::string>> receives;  // nullopt fails
    std::uint32_t socketError = 10060;

    // What happened.
    int starts = 0, stops = 0;
    std::vector<platform::SocketFamily> families;
    std::vector<platform::SocketType> created;
    std::vector<platform::SocketProtocol> protocols;
    std::vector<platform::SocketAddress> bound, connected;
    std::vector<int> backlogs;
    std::vector<std::string> resolvedNames, lookups;  // lookups: "object|type|zone"
    std::vector<std::uint32_t> writeWaitMilliseconds, readWaitMilliseconds;
    std::vector<std::string> sends;  // what each send was offered
    std::vector<platform::SendMode> sendModes;
    std::string sent;  // what was taken
    std::vector<int> receiveSizes;
    std::vector<platform::SocketHandle> closed;  // after the channels' 60 s linger
    std::vector<platform::SocketHandle> closedAtOnce;

    std::uint32_t StartLibrary(std::uint16_t& granted) override {
        ++starts;
        granted = grantedVersion;
        return startError;
    }
    void StopLibrary() override { ++stops; }
    platform::SocketHandle Create(platform::SocketFamily family, platform::SocketType type,
                                  platform::SocketProtocol protocol) override {
        families.push_back(family);
        created.push_back(type);
        protocols.push_back(protocol);
        return creates ? kSocket + created.size() : platform::kInvalidSocket;
    }
    bool Bind(platform::SocketHandle, const platform::SocketAddress& address) override {
        bound.push_back(address);
        return binds;
    }
    bool Connect(platform::SocketHandle, const platform::SocketAddress& address) override {
        connected.push_back(address);
        return connects;
    }
    int ListenNonBlocking(platform::SocketHandle, int backlog) override {
        backlogs.push_back(backlog);
        return listenResult;
    }
    platform::AcceptOutcome Accept(platform::SocketHandle,
                                   platform::SocketHandle& accepted) override {
        if (acceptOutcome == platform::AcceptOutcome::Accepted) accepted = kSocket + 100;
        return acceptOutcome;
    }
    platform::SocketWait WaitWritable(platform::SocketHandle, std::uint32_t milliseconds) override {
        writeWaitMilliseconds.push_back(milliseconds);
        return Next(writeWaits);
    }
    platform::SocketWait WaitReadable(platform::SocketHandle, std::uint32_t milliseconds) override {
        readWaitMilliseconds.push_back(milliseconds);
        return Next(readWaits);
    }
    int Send(platform::SocketHandle, const char* data, int length,
             platform::SendMode mode) override {
        sends.emplace_back(data, static_cast<std::size_t>(length));
        sendModes.push_back(mode);
        const int taken = sendResults.empty() ? length : sendResults.front();
        if (!sendResults.empty()) sendResults.pop_front();
        if (taken > 0) sent.append(data, static_cast<std::size_t>(taken));
        return taken;
    }
    int Receive(platform::SocketHandle, char* buffer, int length) override {
        receiveSizes.push_back(length);
        const std::optional<std::string> bytes = receives.empty() ? std::nullopt : receives.front();
        if (!receives.empty()) receives.pop_front();
        if (!bytes) return -1;
        const std::size_t count = std::min(bytes->size(), static_cast<std::size_t>(length));
        std::memcpy(buffer, bytes->data(), count);
        return static_cast<int>(count);
    }
    int Close(platform::SocketHandle socket) override {
        closedAtOnce.push_back(socket);
        return closeResult;
    }
    void LingerAndClose(platform::SocketHandle socket, std::uint16_t seconds) override {
        if (seconds == 60) closed.push_back(socket);
    }
    platform::NameLookup LookUpAppleTalkName(platform::SocketHandle, const char* object,
                                             const char* type, const char* zone,
                                             platform::AppleTalkEntity& first) override {
        lookups.push_back(std::string(object) + "|" + type + "|" + zone);
        first = {0x1234, 7, 129};
        return lookup;
    }
    bool HostName(std::string& name) override {
        name = hostName;
        return knowsHostName;
    }
    bool ResolveHostName(const char* name, std::uint8_t (&address)[4]) override {
        resolvedNames.emplace_back(name);
        const std::uint8_t found[4] = {10, 1, 2, 3};
        std::memcpy(address, found, 4);
        return resolves;
    }
    bool ConnectionAddresses(platform::SocketHandle, std::uint32_t& local,
                             std::uint32_t& peer) override {
        local = localAddress;
        peer = peerAddress;
        return knowsAddresses;
    }
    std::uint32_t LastError() override { return socketError; }

private:
    static platform::SocketWait Next(std::deque<platform::SocketWait>& waits) {
        if (waits.empty()) return platform::SocketWait::Ready;
        const platform::SocketWait wait = waits.front();
        waits.pop_front();
        return wait;
    }
};

}  // namespace fake
