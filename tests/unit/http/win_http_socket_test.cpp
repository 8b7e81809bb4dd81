// The engine's socket over real loopback sockets: what each operation does with no socket,
// the listener's non-blocking accept, the accepted socket's blocking mode, waits and closes.

#include "http/win_http_socket.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "engine/tavrin_exception.h"
#include "platform/clock.h"
#include "platform/socket_library.h"

namespace {

constexpr std::uint32_t kLoopback = 0x7F000001;

/// Runs `call` and tells which of the socket's exceptions it threw ("" for none).
template <typename Call>
std::string ThrownBy(Call call) {
    try {
        call();
    } catch (CInvalidHttpSocket* caught) {
        TakeOwnership(caught);
        return "CInvalidHttpSocket";
    } catch (CPortBusy* caught) {
        TakeOwnership(caught);
        return "CPortBusy";
    } catch (CHttpSocketError* caught) {
        TakeOwnership(caught);
        return "CHttpSocketError";
    }
    return "";
}

class HttpSocket : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(platform::StartSocketLibrary()); }
    void TearDown() override { platform::StopSocketLibrary(); }

    /// A listener on 127.0.0.1 and a connected client; `accepted` holds the server end.
    void Connect(std::uint16_t port) {
        listener.Create();
        listener.Bind(kLoopback, port);
        listener.Listen();
        client.Create();
        client.Connect(kLoopback, port);
        std::uint64_t deadline = platform::MillisecondsNow() + 5000;
        while (!listener.Accept(accepted) && platform::MillisecondsNow() < deadline) {
            platform::SleepMilliseconds(5);
        }
        ASSERT_TRUE(accepted.HoldsSocket());
    }

    CWinHttpSocket listener;
    CWinHttpSocket client;
    CWinHttpSocket accepted;
};

TEST_F(HttpSocket, EveryOperationButCreateNeedsAnOpenSocket) {
    CWinHttpSocket fresh;
    char buffer[4];
    EXPECT_EQ(ThrownBy([&] { fresh.Connect(kLoopback, 1); }), "CInvalidHttpSocket");
    EXPECT_EQ(ThrownBy([&] { fresh.Bind(0, 1); }), "CInvalidHttpSocket");
    EXPECT_EQ(ThrownBy([&] { fresh.Listen(); }), "CInvalidHttpSocket");
    EXPECT_EQ(ThrownBy([&] { fresh.Accept(accepted); }), "CInvalidHttpSocket");
    EXPECT_EQ(ThrownBy([&] { fresh.HasData(0); }), "CInvalidHttpSocket");
    EXPECT_EQ(ThrownBy([&] { fresh.Receive(buffer, 4); }), "CInvalidHttpSocket");
    EXPECT_EQ(ThrownBy([&] { fresh.Send(buffer, 4); }), "CInvalidHttpSocket");
    EXPECT_EQ(ThrownBy([&] { fresh.Close(); }), "CInvalidHttpSocket");

    fresh.Create();
    fresh.Close();
    EXPECT_EQ(ThrownBy([&] { fresh.Close(); }), "CInvalidHttpSocket");
    // Destroying sockets with and without a handle is silent.
    auto open = std::make_unique<CWinHttpSocket>();
    open->Create();
    EXPECT_EQ(ThrownBy([&] { open.reset(); }), "");
}

TEST_F(HttpSocket, BindingATakenPortIsPortBusy) {
    listener.Create();
    listener.Bind(kLoopback, 28191);
    listener.Listen();
    CWinHttpSocket second;
    second.Create();
    EXPECT_EQ(ThrownBy([&] { second.Bind(kLoopback, 28191); }), "CPortBusy");
}

TEST_F(HttpSocket, ConnectingToNobodyIsASocketError) {
    client.Create();
    EXPECT_EQ(ThrownBy([&] { client.Connect(kLoopback, 28192); }), "CHttpSocketError");
}

TEST_F(HttpSocket, AcceptReturnsAtOnceWhenNothingIsPending) {
    listener.Create();
    listener.Bind(kLoopback, 28193);
    listener.Listen();
    std::uint64_t start = platform::MillisecondsNow();
    EXPECT_FALSE(listener.Accept(accepted));
    EXPECT_LT(platform::MillisecondsNow() - start, 500u);
    EXPECT_FALSE(accepted.HoldsSocket());
}

TEST_F(HttpSocket, HasDataWaitsAtMostItsTimeOut) {
    Connect(28194);
    for (std::uint32_t timeout : {0u, 300u, 1500u}) {
        std::uint64_t start = platform::MillisecondsNow();
        EXPECT_FALSE(accepted.HasData(timeout));
        std::uint64_t waited = platform::MillisecondsNow() - start;
        EXPECT_GE(waited + 50, timeout) << timeout;
        EXPECT_LE(waited, timeout + 700) << timeout;
    }
}

TEST_F(HttpSocket, TheAcceptedSocketBlocksAndSeesThePeerClose) {
    Connect(28195);
    EXPECT_TRUE(accepted.IsLocalPeer());
    // A blocking receive waits for the bytes that come later; a non-blocking one would fail.
    std::thread later([this] {
        platform::SleepMilliseconds(200);
        client.Send("ping", 4);
    });
    char buffer[16];
    EXPECT_EQ(accepted.Receive(buffer, sizeof buffer), 4);
    later.join();
    EXPECT_EQ(std::string(buffer, 4), "ping");

    client.Close();
    EXPECT_TRUE(accepted.HasData(1000));
    EXPECT_EQ(accepted.Receive(buffer, sizeof buffer), 0);
}

TEST(LocalPeer, OnlyLoopbackOrTheArrivalAddressIsLocal) {
    EXPECT_TRUE(IsLocalPeerAddress(0x7F000001, 0x7F000001));
    EXPECT_TRUE(IsLocalPeerAddress(0xC0A80114, 0x7F000005));
    EXPECT_TRUE(IsLocalPeerAddress(0xC0A80114, 0xC0A80114));
    EXPECT_FALSE(IsLocalPeerAddress(0xC0A80114, 0xC0A80115));
    EXPECT_FALSE(IsLocalPeerAddress(0x7F000001, 0x80000001));
}

}  // namespace
