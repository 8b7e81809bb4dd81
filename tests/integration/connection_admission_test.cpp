// How the engine takes connections: many at once without queueing them a pass apart, and
// refusals from another computer that neither hold up this computer's browser nor flood the
// log.

#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <deque>
#include <memory>
#include <numeric>
#include <regex>
#include <thread>
#include <vector>

#include "harness/wait.h"
#include "integration/foreign_computer.h"
#include "integration/http_client.h"
#include "integration/served_engine_fixture.h"

namespace integration {
namespace {

using Clock = std::chrono::steady_clock;
using harness::SecondsSince;

using ConnectionAdmission = ServedEngineTest;

struct Burst {
    int connections;
    double boundSeconds;
    bool underWine;
};

// Taking one connection a pass, 30 ms apart, the last of n waits (n - 1) x 30 ms: 150 ms for
// six, 570 ms for twenty. Wine on a busy machine has taken 0.2 s for six, so there only twenty
// tells the two apart.
const Burst kBursts[] = {{6, 0.14, false}, {20, 0.5, true}};

TEST_F(ConnectionAdmission, AnswersSimultaneousConnectionsTogether) {
    for (const Burst& burst : kBursts) {
        if (TargetUnderTest().IsWine() && !burst.underWine) continue;
        ASSERT_TRUE(engine.WaitUntilConnectionsClosed());
        std::vector<std::unique_ptr<HttpConnection>> connections;
        const auto start = Clock::now();
        for (int i = 0; i < burst.connections; ++i) {
            connections.push_back(std::make_unique<HttpConnection>());
            ASSERT_TRUE(connections.back()->Send(GetRequest("/script.js")));
        }
        int answered = 0;
        for (auto& connection : connections) answered += connection->ReadAnswer().complete;
        const double seconds = SecondsSince(start);
        EXPECT_EQ(answered, burst.connections);
        EXPECT_LE(seconds, burst.boundSeconds) << burst.connections << " connections";
    }
}

/// Opens connections to this computer's port 8190 from the other computer as fast as the
/// engine refuses them, on a thread of its own. Fewer are left waiting than the engine's
/// listen backlog of 50 holds: beyond it the kernel drops handshakes, this computer's too.
class Flood {
public:
    static constexpr std::size_t kWaitingAtMost = 32;

    Flood(const ForeignComputer& from, int attempts)
        : m_thread([this, &from, attempts] { Run(from, attempts); }) {}
    ~Flood() { Join(); }

    bool Begun() const { return m_connected > 0 || m_done; }
    bool Done() const { return m_done; }
    void Join() {
        if (m_thread.joinable()) m_thread.join();
    }
    // Valid after Join.
    int Connected() const { return m_connected; }
    /// Connects that failed, and connections the engine did not close unanswered.
    int Failed() const { return m_failed; }
    double Seconds() const { return m_seconds; }

private:
    void Run(const ForeignComputer& from, int attempts) {
        if (!from.Enter()) {
            m_failed = attempts;
            m_done = true;
            return;
        }
        sockaddr_in engine{};
        engine.sin_family = AF_INET;
        engine.sin_port = htons(8190);
        inet_pton(AF_INET, ForeignComputer::kThisSide, &engine.sin_addr);
        std::deque<int> waiting;
        const auto start = Clock::now();
        for (int i = 0; i < attempts; ++i) {
            if (waiting.size() == kWaitingAtMost) AwaitRefusal(waiting);
            const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            // A connect the engine never takes fails instead of hanging the test.
            const timeval limit{5, 0};
            setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
            if (connect(fd, reinterpret_cast<const sockaddr*>(&engine), sizeof engine) == 0) {
                ++m_connected;
                waiting.push_back(fd);
            } else {
                ++m_failed;
                close(fd);
            }
        }
        while (!waiting.empty()) AwaitRefusal(waiting);
        m_seconds = SecondsSince(start);
        m_done = true;
    }

    /// Waits for the engine to close the oldest connection without a byte.
    void AwaitRefusal(std::deque<int>& waiting) {
        const int fd = waiting.front();
        waiting.pop_front();
        pollfd entry{fd, POLLIN, 0};
        char byte;
        if (poll(&entry, 1, 10000) != 1 || recv(fd, &byte, 1, 0) > 0) ++m_failed;
        close(fd);
    }

    std::atomic<int> m_connected{0};
    std::atomic<int> m_failed{0};
    std::atomic<bool> m_done{false};
    double m_seconds = 0;
    std::thread m_thread;  // last, so it starts with everything above in place
};

/// The number each refusal line stands for, in log order: 1 for the plain line, N for the
/// counted one; 0 for a refusal line of any other form, or one that counts fewer than two.
std::vector<long> RefusalCounts(const std::string& logText) {
    static const std::regex line("\t(Refused a connection[^\r\n]*)\r\n");
    static const std::regex counted(
        "Refused a connection from another computer\\. \\((\\d+) refused since the previous "
        "such line\\)");
    std::vector<long> counts;
    for (std::sregex_iterator it(logText.begin(), logText.end(), line), end; it != end; ++it) {
        const std::string message = (*it)[1].str();
        std::smatch number;
        if (message == "Refused a connection from another computer.")
            counts.push_back(1);
        else if (std::regex_match(message, number, counted) && std::stol(number[1]) >= 2)
            counts.push_back(std::stol(number[1]));
        else
            counts.push_back(0);
    }
    return counts;
}

long Sum(const std::vector<long>& counts) {
    return std::accumulate(counts.begin(), counts.end(), 0L);
}

// The engine takes every pending connection each pass, so a local one waits at most one pass
// behind the refusals. Taking one a pass, it would wait behind the flood's 32 (about 1 s).
constexpr double kLocalAnswerBoundSeconds = 0.5;
constexpr int kFloodConnections = 500;

TEST_F(ConnectionAdmission, ServesThisComputerThroughAFloodOfRefusalsAndTalliesThem) {
    ForeignComputer other;
    if (!other.Failure().empty()) GTEST_SKIP() << "no other computer: " << other.Failure();

    Flood flood(other, kFloodConnections);
    ASSERT_TRUE(harness::WaitUntil([&] { return flood.Begun(); }, 30));
    int requests = 0;
    int answered = 0;
    double slowest = 0;
    do {
        const auto start = Clock::now();
        answered += Exchange(GetRequest("/script.js")).complete;
        slowest = std::max(slowest, SecondsSince(start));
        ++requests;
    } while (!flood.Done());
    flood.Join();
    EXPECT_EQ(answered, requests);
    EXPECT_LE(slowest, kLocalAnswerBoundSeconds) << requests << " requests during the flood";
    EXPECT_EQ(flood.Failed(), 0);

    std::vector<long> counts;
    EXPECT_TRUE(harness::WaitUntil(
        [&] {
            counts = RefusalCounts(install.LogText());
            return Sum(counts) >= flood.Connected();
        },
        30))
        << "refusals written: " << Sum(counts) << " of " << flood.Connected();
    EXPECT_EQ(Sum(counts), flood.Connected());
    EXPECT_THAT(counts, ::testing::Each(::testing::Gt(0))) << "a refusal line of another form";
    // One line when the flood begins, at most one a second during it and one for the rest.
    EXPECT_LE(counts.size(), static_cast<std::size_t>(std::ceil(flood.Seconds())) + 2)
        << "over " << flood.Seconds() << " s of flood";
}

}  // namespace
}  // namespace integration
