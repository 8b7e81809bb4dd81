// The engine's socket over real loopback sockets: what each operation does with no socket,
// the listener's non-blocking accept, the accepted socket's blocking mode, waits and closes;
// and over a scripted socket system, the calls it makes and the failures it turns into
// exceptions.

#include "http/win_http_socket.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "base/tavrin_exception.h"
#include "platform/clock.h"
#include "platform/socket_library.h"
#include "support/fake_socket_system.h"

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

/// The error code a call threw with as CHttpSocketError; -1 for none or another exception.
template <typename Call>
int SocketErrorOf(Call call) {
    try {
        call();
    } catch (CHttpSocketError* caught) {
        return TakeOwnership(caught)->GetErrorCode();
    } catch (CTavrinException* caught) {
        TakeOwnership(caught);
    }
    return -1;
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
        // The connection is queued once Connect returns; the wait only guards a slow system.
        ASSERT_TRUE(listener.HasData(30000));
        ASSERT_TRUE(listener.Accept(accepted));
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
    EXPECT_EQ(client.Send("ping", 4), 4);
    char buffer[16];
    EXPECT_EQ(accepted.Receive(buffer, sizeof buffer), 4);
    EXPECT_EQ(std::string(buffer, 4), "ping");
    // A blocking send of more than the system buffers returns when all of it was taken; a
    // non-blocking one would stop at what fitted, or fail.
    const std::string page(16 << 20, 'p');
    std::size_t received = 0;
    std::thread reader([&] {
        char chunk[65536];
        while (received < page.size()) {
            const int count = client.Receive(chunk, sizeof chunk);
            if (count <= 0) break;
            received += static_cast<std::size_t>(count);
        }
    });
    const int sent = accepted.Send(page.data(), static_cast<int>(page.size()));
    reader.join();
    EXPECT_EQ(sent, static_cast<int>(page.size()));
    EXPECT_EQ(received, page.size());

    client.Close();
    EXPECT_TRUE(accepted.HasData(1000));
    EXPECT_EQ(accepted.Receive(buffer, sizeof buffer), 0);
}

class ScriptedHttpSocket : public ::testing::Test {
protected:
    fake::SocketSystem sockets;
    CWinHttpSocket socket{sockets};
};

TEST_F(ScriptedHttpSocket, EachCallReachesTheSocketSystemAsATcpStream) {
    EXPECT_EQ(socket.Create(), fake::SocketSystem::kSocket + 1);
    EXPECT_EQ(sockets.families, std::vector<platform::SocketFamily>{platform::SocketFamily::Inet});
    EXPECT_EQ(sockets.created, std::vector<platform::SocketType>{platform::SocketType::Stream});
    EXPECT_EQ(sockets.protocols,
              std::vector<platform::SocketProtocol>{platform::SocketProtocol::Default});
    EXPECT_EQ(socket.Bind(0xC0A80114, 8190), 0);
    EXPECT_EQ(socket.Connect(kLoopback, 9100), 0);
    const platform::SocketAddress bound = platform::InetSocketAddress(0xC0A80114, 8190);
    const platform::SocketAddress connected = platform::InetSocketAddress(kLoopback, 9100);
    ASSERT_EQ(sockets.bound.size(), 1u);
    ASSERT_EQ(sockets.connected.size(), 1u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(sockets.bound[0].bytes), 16),
              std::string(reinterpret_cast<const char*>(bound.bytes), 16));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(sockets.connected[0].bytes), 16),
              std::string(reinterpret_cast<const char*>(connected.bytes), 16));

    sockets.listenResult = -1;
    EXPECT_EQ(socket.Listen(), -1);  // passed on, not thrown
    EXPECT_EQ(sockets.backlogs, std::vector<int>{50});

    EXPECT_EQ(socket.Send("abc", 3), 3);
    EXPECT_EQ(sockets.sendModes, std::vector<platform::SendMode>{platform::SendMode::All});
    EXPECT_TRUE(socket.HasData(1234));
    sockets.readWaits = {platform::SocketWait::TimedOut};
    EXPECT_FALSE(socket.HasData(0));
    EXPECT_EQ(sockets.readWaitMilliseconds, (std::vector<std::uint32_t>{1234, 0}));

    sockets.closeResult = -1;
    EXPECT_EQ(socket.Close(), -1);
    EXPECT_EQ(sockets.closedAtOnce,
              std::vector<platform::SocketHandle>{fake::SocketSystem::kSocket + 1});
    EXPECT_FALSE(socket.HoldsSocket());
}

TEST_F(ScriptedHttpSocket, FailuresThrowWithTheSocketError) {
    char buffer[8];
    struct Case {
        const char* operation;
        std::function<void(fake::SocketSystem&)> fail;
        std::function<void(CWinHttpSocket&)> call;
        std::string thrown;
    };
    const Case cases[] = {
        {"connect", [](fake::SocketSystem& s) { s.connects = false; },
         [](CWinHttpSocket& h) { h.Connect(kLoopback, 1); }, "CHttpSocketError"},
        {"bind", [](fake::SocketSystem& s) { s.binds = false; },
         [](CWinHttpSocket& h) { h.Bind(kLoopback, 1); }, "CPortBusy"},
        {"select", [](fake::SocketSystem& s) { s.readWaits = {platform::SocketWait::Failed}; },
         [](CWinHttpSocket& h) { h.HasData(10); }, "CHttpSocketError"},
        {"recv", [](fake::SocketSystem& s) { s.receives = {std::nullopt}; },
         [&buffer](CWinHttpSocket& h) { h.Receive(buffer, sizeof buffer); }, "CHttpSocketError"},
        {"send", [](fake::SocketSystem& s) { s.sendResults = {-1}; },
         [](CWinHttpSocket& h) { h.Send("x", 1); }, "CHttpSocketError"},
    };
    for (const Case& c : cases) {
        fake::SocketSystem failing;
        failing.socketError = 10054;
        CWinHttpSocket held(failing);
        held.Create();
        c.fail(failing);
        if (c.thrown == "CHttpSocketError") {
            EXPECT_EQ(SocketErrorOf([&] { c.call(held); }), 10054) << c.operation;
        } else {
            EXPECT_EQ(ThrownBy([&] { c.call(held); }), c.thrown) << c.operation;
        }
        EXPECT_TRUE(held.HoldsSocket()) << c.operation;  // a failure keeps the socket
    }

    sockets.creates = false;
    EXPECT_EQ(ThrownBy([&] { socket.Create(); }), "CInvalidHttpSocket");
}

TEST_F(ScriptedHttpSocket, AcceptHandsOverWhatTheListenerGot) {
    struct Case {
        platform::AcceptOutcome outcome;
        bool accepted, holds;
    };
    const Case cases[] = {
        {platform::AcceptOutcome::NothingPending, false, false},
        {platform::AcceptOutcome::Accepted, true, true},
        // A failure hands over a socket that holds nothing; its first use throws.
        {platform::AcceptOutcome::Failed, true, false},
    };
    socket.Create();
    for (const Case& c : cases) {
        sockets.acceptOutcome = c.outcome;
        CWinHttpSocket target(sockets);
        EXPECT_EQ(socket.Accept(target), c.accepted);
        EXPECT_EQ(target.HoldsSocket(), c.holds);
    }
}

TEST_F(ScriptedHttpSocket, LocalPeerAsTheSystemTellsTheEnds) {
    EXPECT_FALSE(socket.IsLocalPeer());  // no socket
    socket.Create();
    sockets.localAddress = 0xC0A80114;
    sockets.peerAddress = 0xC0A80114;
    EXPECT_TRUE(socket.IsLocalPeer());
    sockets.knowsAddresses = false;
    EXPECT_FALSE(socket.IsLocalPeer());
}

TEST(LocalPeer, OnlyLoopbackOrTheArrivalAddressIsLocal) {
    EXPECT_TRUE(IsLocalPeerAddress(0x7F000001, 0x7F000001));
    EXPECT_TRUE(IsLocalPeerAddress(0xC0A80114, 0x7F000005));
    EXPECT_TRUE(IsLocalPeerAddress(0xC0A80114, 0xC0A80114));
    EXPECT_FALSE(IsLocalPeerAddress(0xC0A80114, 0xC0A80115));
    EXPECT_FALSE(IsLocalPeerAddress(0x7F000001, 0x80000001));
}

}  // namespace
