// The socket seam: the counted start-up of the socket library, the engine's start over it,
// the IPv4 address layout, and the system's sockets over loopback.

#include "platform/socket_system.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/socket_library.h"
#include "support/fake_socket_system.h"
#include "support/socket_library_user.h"

namespace {

using platform::AcceptOutcome;
using platform::SocketWait;

// What a count has done to the library underneath so far.
struct Library {
    std::vector<std::uint32_t> startErrors;  // the next start-ups' results, 0 when empty
    std::uint16_t version = 0x0101;
    int startUps = 0, cleanUps = 0;

    platform::SocketLibraryCount Count() {
        return platform::SocketLibraryCount(
            [this](std::uint16_t& granted) -> std::uint32_t {
                ++startUps;
                const std::uint32_t error = startErrors.empty() ? 0 : startErrors.front();
                if (!startErrors.empty()) startErrors.erase(startErrors.begin());
                if (error == 0) granted = version;
                return error;
            },
            [this] { ++cleanUps; });
    }
};

struct CountStep {
    char call;  // 'S' start, 'T' stop
    std::uint32_t result;
    int users, startUps, cleanUps;
};

struct CountCase {
    const char* name;
    std::vector<std::uint32_t> startErrors;
    std::vector<CountStep> steps;
};

TEST(SocketLibraryCount, OnlyTheFirstStartAndTheLastStopReachTheLibrary) {
    const CountCase cases[] = {
        {"start, start, stop, stop",
         {},
         {{'S', 0, 1, 1, 0}, {'S', 0, 2, 1, 0}, {'T', 0, 1, 1, 0}, {'T', 0, 0, 1, 1}}},
        {"a failed start does not count; the next one starts the library",
         {10091},
         {{'S', 10091, 0, 1, 0}, {'T', 0, 0, 1, 0}, {'S', 0, 1, 2, 0}, {'T', 0, 0, 2, 1}}},
        {"a stop without a start is ignored",
         {},
         {{'T', 0, 0, 0, 0}, {'S', 0, 1, 1, 0}, {'T', 0, 0, 1, 1}, {'T', 0, 0, 1, 1}}},
        {"after the last stop the next start starts the library again",
         {},
         {{'S', 0, 1, 1, 0}, {'T', 0, 0, 1, 1}, {'S', 0, 1, 2, 1}, {'T', 0, 0, 2, 2}}},
    };
    for (const CountCase& c : cases) {
        Library library;
        library.startErrors = c.startErrors;
        platform::SocketLibraryCount count = library.Count();
        int stepNumber = 0;
        for (const CountStep& step : c.steps) {
            SCOPED_TRACE(std::string(c.name) + ", step " + std::to_string(++stepNumber));
            if (step.call == 'S') {
                std::uint16_t granted = 0;
                EXPECT_EQ(count.Start(granted), step.result);
                if (step.result == 0) {
                    EXPECT_EQ(granted, 0x0101);
                }
            } else {
                count.Stop();
            }
            EXPECT_EQ(count.Users(), step.users);
            EXPECT_EQ(library.startUps, step.startUps);
            EXPECT_EQ(library.cleanUps, step.cleanUps);
        }
    }
}

TEST(SocketLibraryCount, LaterStartsReportTheVersionTheFirstWasGranted) {
    Library library;
    library.version = 0x0202;
    platform::SocketLibraryCount count = library.Count();
    std::uint16_t first = 0;
    ASSERT_EQ(count.Start(first), 0u);
    library.version = 0x0101;
    std::uint16_t second = 0;
    ASSERT_EQ(count.Start(second), 0u);
    EXPECT_EQ(first, 0x0202);
    EXPECT_EQ(second, 0x0202);
    EXPECT_EQ(library.startUps, 1);
}

TEST(SocketLibraryCount, StartsAndStopsFromManyThreadsPairUp) {
    Library library;
    platform::SocketLibraryCount count = library.Count();
    std::uint16_t granted = 0;
    ASSERT_EQ(count.Start(granted), 0u);  // held throughout, so the library never stops
    std::vector<std::thread> users;
    for (int i = 0; i < 8; ++i) {
        users.emplace_back([&count] {
            for (int round = 0; round < 1000; ++round) {
                std::uint16_t version = 0;
                if (count.Start(version) == 0) count.Stop();
            }
        });
    }
    for (std::thread& user : users) user.join();
    EXPECT_EQ(count.Users(), 1);
    EXPECT_EQ(library.startUps, 1);
    EXPECT_EQ(library.cleanUps, 0);
    count.Stop();
    EXPECT_EQ(library.cleanUps, 1);
}

TEST(StartSocketLibrary, OnlyVersionOneOneCountsAsStarted) {
    struct Case {
        std::uint32_t startError;
        std::uint16_t version;
        bool started;
        int stops;
    };
    const Case cases[] = {
        {0, 0x0101, true, 0},       // 1.1
        {10091, 0x0101, false, 0},  // the library is not ready: nothing to stop
        {0, 0x0202, false, 1},      // another version: stopped again at once
        {0, 0x0001, false, 1},      // major and minor both count
    };
    for (const Case& c : cases) {
        fake::SocketSystem sockets;
        sockets.startError = c.startError;
        sockets.grantedVersion = c.version;
        EXPECT_EQ(platform::StartSocketLibrary(sockets), c.started) << c.version;
        EXPECT_EQ(sockets.starts, 1);
        EXPECT_EQ(sockets.stops, c.stops) << c.version;
    }
}

TEST(StartSocketLibrary, TheSystemsStartsPairWithItsStops) {
    ASSERT_TRUE(platform::StartSocketLibrary());
    ASSERT_TRUE(platform::StartSocketLibrary());
    std::uint16_t granted = 0;
    EXPECT_EQ(platform::SocketSystem::System().StartLibrary(granted), 0u);
    EXPECT_EQ(granted, platform::kSocketLibraryVersion);
    platform::SocketSystem::System().StopLibrary();
    platform::StopSocketLibrary();
    platform::StopSocketLibrary();
}

TEST(InetSocketAddress, FamilyThenPortAndAddressInNetworkOrder) {
    struct Case {
        std::uint32_t address;
        std::uint16_t port;
        unsigned char bytes[6];
    };
    const Case cases[] = {
        {0x7F000001, 9100, {0x23, 0x8C, 127, 0, 0, 1}},
        {0xC0A80114, 161, {0x00, 0xA1, 192, 168, 1, 20}},
        {0x00000000, 0, {0, 0, 0, 0, 0, 0}},
        {0xFFFFFFFF, 0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
    };
    for (const Case& c : cases) {
        const platform::SocketAddress inet = platform::InetSocketAddress(c.address, c.port);
        std::uint16_t family = 0;
        std::memcpy(&family, inet.bytes, 2);
        EXPECT_EQ(family, platform::SocketFamilyCode(platform::SocketFamily::Inet));
        EXPECT_EQ(inet.length, 16u);
        EXPECT_EQ(std::memcmp(inet.bytes + 2, c.bytes, 6), 0) << c.address << ":" << c.port;
        for (int i = 8; i < 16; ++i) EXPECT_EQ(inet.bytes[i], 0) << i;
    }
}

// A listener on 127.0.0.1 at `port` and a client connected to it, over the system's sockets.

TEST(LocalHostAddress, IsTheHostNameResolvedOrLoopback) {
    struct Case {
        bool knowsHostName;
        bool resolves;
        const char* address;
        std::vector<std::string> resolvedNames;
    };
    const std::vector<Case> cases = {
        {true, true, "10.1.2.3", {"workstation"}},
        {true, false, "127.0.0.1", {"workstation"}},
        {false, true, "127.0.0.1", {}},
    };
    for (const Case& c : cases) {
        fake::SocketSystem sockets;
        sockets.knowsHostName = c.knowsHostName;
        sockets.resolves = c.resolves;
        EXPECT_EQ(platform::LocalHostAddress(sockets), c.address);
        EXPECT_EQ(sockets.resolvedNames, c.resolvedNames);
    }
}

TEST(LocalHostAddress, OfThisComputerIsAnIpv4Address) {
    SocketLibraryUser library;
    int parts[4] = {-1, -1, -1, -1};
    const std::string address = platform::LocalHostAddress(platform::SocketSystem::System());
    ASSERT_EQ(
        std::sscanf(address.c_str(), "%d.%d.%d.%d", &parts[0], &parts[1], &parts[2], &parts[3]), 4)
        << address;
    for (int part : parts) {
        EXPECT_GE(part, 0) << address;
        EXPECT_LE(part, 255) << address;
    }
}

class SystemSockets : public ::testing::Test {
protected:
    platform::SocketSystem& sockets = platform::SocketSystem::System();
    platform::SocketHandle listening = platform::kInvalidSocket;
    platform::SocketHandle client = platform::kInvalidSocket;
    platform::SocketHandle accepted = platform::kInvalidSocket;

    void SetUp() override { ASSERT_TRUE(platform::StartSocketLibrary()); }
    void TearDown() override {
        for (platform::SocketHandle socket : {accepted, client, listening}) {
            if (socket != platform::kInvalidSocket) sockets.Close(socket);
        }
        platform::StopSocketLibrary();
    }

    platform::SocketHandle Stream() {
        return sockets.Create(platform::SocketFamily::Inet, platform::SocketType::Stream,
                              platform::SocketProtocol::Default);
    }

    void Connect(std::uint16_t port) {
        const platform::SocketAddress address = platform::InetSocketAddress(0x7F000001, port);
        listening = Stream();
        ASSERT_NE(listening, platform::kInvalidSocket);
        ASSERT_TRUE(sockets.Bind(listening, address)) << sockets.LastError();
        ASSERT_EQ(sockets.ListenNonBlocking(listening, 4), 0);
        EXPECT_EQ(sockets.Accept(listening, accepted), AcceptOutcome::NothingPending);
        EXPECT_EQ(accepted, platform::kInvalidSocket);
        client = Stream();
        ASSERT_TRUE(sockets.Connect(client, address)) << sockets.LastError();
        ASSERT_EQ(sockets.WaitReadable(listening, 30000), SocketWait::Ready);
        ASSERT_EQ(sockets.Accept(listening, accepted), AcceptOutcome::Accepted);
    }
};

TEST_F(SystemSockets, ConnectionCarriesBytesBothWaysUntilThePeerCloses) {
    Connect(28181);
    std::uint32_t local = 0;
    std::uint32_t peer = 0;
    ASSERT_TRUE(sockets.ConnectionAddresses(accepted, local, peer));
    EXPECT_EQ(local, 0x7F000001u);
    EXPECT_EQ(peer, 0x7F000001u);

    EXPECT_EQ(sockets.WaitReadable(accepted, 0), SocketWait::TimedOut);
    EXPECT_EQ(sockets.WaitWritable(client, 0), SocketWait::Ready);
    ASSERT_EQ(sockets.Send(client, "ping", 4, platform::SendMode::WhatFits), 4);
    ASSERT_EQ(sockets.WaitReadable(accepted, 30000), SocketWait::Ready);
    char buffer[16];
    ASSERT_EQ(sockets.Receive(accepted, buffer, sizeof buffer), 4);
    EXPECT_EQ(std::string(buffer, 4), "ping");
    ASSERT_EQ(sockets.Send(accepted, "pong!", 5, platform::SendMode::All), 5);
    ASSERT_EQ(sockets.WaitReadable(client, 30000), SocketWait::Ready);
    ASSERT_EQ(sockets.Receive(client, buffer, sizeof buffer), 5);
    EXPECT_EQ(std::string(buffer, 5), "pong!");

    EXPECT_EQ(sockets.Close(client), 0);
    client = platform::kInvalidSocket;
    // A hang-up counts as ready; the receive then tells.
    ASSERT_EQ(sockets.WaitReadable(accepted, 30000), SocketWait::Ready);
    EXPECT_EQ(sockets.Receive(accepted, buffer, sizeof buffer), 0);
}

// The accepted socket blocks: a send of more than the system buffers comes back only when all
// of it was taken. A non-blocking one would stop at what fitted.
TEST_F(SystemSockets, AcceptedSocketSendsEverythingWhileThePeerReads) {
    Connect(28182);
    const std::string job(16 << 20, 'j');
    std::size_t received = 0;
    std::thread reader([&] {
        char buffer[65536];
        while (received < job.size()) {
            const int count = sockets.Receive(client, buffer, sizeof buffer);
            if (count <= 0) break;
            received += static_cast<std::size_t>(count);
        }
    });
    const int sent =
        sockets.Send(accepted, job.data(), static_cast<int>(job.size()), platform::SendMode::All);
    reader.join();
    EXPECT_EQ(sent, static_cast<int>(job.size()));
    EXPECT_EQ(received, job.size());
}

TEST_F(SystemSockets, ABoundPortRefusesASecondListener) {
    Connect(28183);
    const platform::SocketHandle second = Stream();
    ASSERT_NE(second, platform::kInvalidSocket);
    EXPECT_FALSE(sockets.Bind(second, platform::InetSocketAddress(0x7F000001, 28183)));
    EXPECT_NE(sockets.LastError(), 0u);
    sockets.Close(second);
}

TEST_F(SystemSockets, ConnectingToNobodyFailsWithTheSocketError) {
    client = Stream();
    ASSERT_NE(client, platform::kInvalidSocket);
    EXPECT_FALSE(sockets.Connect(client, platform::InetSocketAddress(0x7F000001, 28184)));
    EXPECT_NE(sockets.LastError(), 0u);
}

// A send that must not wait takes what fits and then nothing, without an error; the socket
// still blocks for a whole send afterwards (on Windows it is non-blocking for one send only).
TEST_F(SystemSockets, WhatFitsNeverWaitsAndLeavesTheSocketBlocking) {
    Connect(28185);
    const std::string job(64 << 20, 'j');
    const int first = sockets.Send(client, job.data(), static_cast<int>(job.size()),
                                   platform::SendMode::WhatFits);
    ASSERT_GT(first, 0);
    EXPECT_LT(first, static_cast<int>(job.size()));
    std::size_t queued = static_cast<std::size_t>(first);
    int more = 1;
    for (int tries = 0; more > 0 && tries < 1000; ++tries) {
        more = sockets.Send(client, job.data(), 1 << 20, platform::SendMode::WhatFits);
        if (more > 0) queued += static_cast<std::size_t>(more);
    }
    // Finding no room is no failure: the error of a failure just before stays.
    const platform::SocketHandle refused = Stream();
    EXPECT_FALSE(sockets.Connect(refused, platform::InetSocketAddress(0x7F000001, 28184)));
    const std::uint32_t refusal = sockets.LastError();
    ASSERT_EQ(sockets.Send(client, job.data(), 1 << 20, platform::SendMode::WhatFits), 0);
    EXPECT_EQ(sockets.LastError(), refusal);
    sockets.Close(refused);
    EXPECT_EQ(sockets.WaitWritable(client, 0), SocketWait::TimedOut);

    const std::string tail(8 << 20, 't');
    const std::size_t expected = queued + tail.size();
    std::size_t received = 0;
    std::thread reader([&] {
        char buffer[65536];
        while (received < expected) {
            const int count = sockets.Receive(accepted, buffer, sizeof buffer);
            if (count <= 0) break;
            received += static_cast<std::size_t>(count);
        }
    });
    EXPECT_EQ(
        sockets.Send(client, tail.data(), static_cast<int>(tail.size()), platform::SendMode::All),
        static_cast<int>(tail.size()));
    reader.join();
    EXPECT_EQ(received, expected);
}

#ifndef _WIN32
// Only TCP/IP exists here; the error stays until the next failure, as Winsock keeps it.
TEST_F(SystemSockets, OtherFamiliesCannotBeMadeAndTheErrorStays) {
    struct Case {
        platform::SocketFamily family;
        platform::SocketType type;
        platform::SocketProtocol protocol;
    };
    const Case cases[] = {
        {platform::SocketFamily::Ipx, platform::SocketType::SequencedPacket,
         platform::SocketProtocol::Spx},
        {platform::SocketFamily::Ipx, platform::SocketType::Datagram,
         platform::SocketProtocol::Ipx},
        {platform::SocketFamily::AppleTalk, platform::SocketType::ReliableDelivery,
         platform::SocketProtocol::PrinterAccess},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sockets.Create(c.family, c.type, c.protocol), platform::kInvalidSocket);
        EXPECT_EQ(sockets.LastError(), static_cast<std::uint32_t>(EAFNOSUPPORT));
        client = Stream();
        ASSERT_NE(client, platform::kInvalidSocket);
        EXPECT_EQ(sockets.LastError(), static_cast<std::uint32_t>(EAFNOSUPPORT));
        sockets.Close(client);
        client = platform::kInvalidSocket;
    }
    platform::AppleTalkEntity entity;
    EXPECT_EQ(sockets.LookUpAppleTalkName(platform::kInvalidSocket, "a", "b", "c", entity),
              platform::NameLookup::Failed);
}
#endif

}  // namespace
