// A second engine started while port 8190 is taken: it asks the holder who it is and hands
// over, or reports why it cannot serve.

#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "harness/wait.h"
#include "integration/http_client.h"
#include "integration/local_address.h"
#include "integration/running_engine.h"
#include "integration/served_module.h"

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

namespace integration {
namespace {

/// Holds port 8190 like some other program (on every interface, or on `address` alone):
/// answers every request with `answer`, or stays silent when it is empty.
class ForeignServer {
public:
    explicit ForeignServer(std::string answer, const char* address = "0.0.0.0")
        : m_answer(std::move(answer)) {
        m_fd = socket(AF_INET, SOCK_STREAM, 0);
        int on = 1;
        setsockopt(m_fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_port = htons(8190);
        inet_pton(AF_INET, address, &local.sin_addr);
        m_listening = bind(m_fd, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0 &&
                      listen(m_fd, 5) == 0;
        if (m_listening) m_thread = std::thread([this] { Serve(); });
    }
    ~ForeignServer() {
        m_stop = true;
        if (m_thread.joinable()) m_thread.join();
        close(m_fd);
    }
    bool IsListening() const { return m_listening; }

private:
    void Serve() {
        while (!m_stop) {
            pollfd entry{m_fd, POLLIN, 0};
            if (poll(&entry, 1, 100) <= 0) continue;
            int connection = accept(m_fd, nullptr, nullptr);
            if (connection < 0) continue;
            char request[2048];
            pollfd peer{connection, POLLIN, 0};
            if (poll(&peer, 1, 2000) > 0) recv(connection, request, sizeof request, 0);
            if (!m_answer.empty()) {
                send(connection, m_answer.data(), m_answer.size(), MSG_NOSIGNAL);
            } else {
                // Silent: hold the connection until the asker gives up.
                while (!m_stop && poll(&peer, 1, 100) == 0) {
                }
            }
            close(connection);
        }
    }

    std::string m_answer;
    int m_fd = -1;
    bool m_listening = false;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

class SecondEngine : public ::testing::Test {
protected:
    SecondEngine() : second(TargetUnderTest()) {}

    std::vector<std::string> RunSecond(const std::string& module, const std::string& address,
                                       double* seconds = nullptr) {
        InstallServedModule(second, module, address);
        const auto start = std::chrono::steady_clock::now();
        ChildResult run = second.RunEngine();
        if (seconds != nullptr) *seconds = harness::SecondsSince(start);
        EXPECT_FALSE(run.timedOut) << "the second engine did not end";
        EXPECT_EQ(run.exitCode, 0) << run.output;
        return second.LogMessages();
    }

    Installation second;
};

class SecondEngineBesideAnEngine : public SecondEngine {
protected:
    SecondEngineBesideAnEngine() : first(TargetUnderTest()), firstEngine(first) {}

    void SetUp() override {
        InstallServedModule(first);
        ASSERT_TRUE(firstEngine.Start());
    }
    void TearDown() override {
        EXPECT_TRUE(firstEngine.IsRunning()) << "the first engine must go on serving";
        EXPECT_EQ(firstEngine.Stop("Exit.html").exitCode, 0);
    }

    Installation first;
    RunningEngine firstEngine;
};

TEST_F(SecondEngineBesideAnEngine, HandsOverToAnEngineForTheSameModuleAndPrinter) {
    const std::vector<std::string> log = RunSecond(kServedModule, kServedPrinterAddress);
    EXPECT_THAT(log, Contains(AllOf(HasSubstr("Another engine already serves this module and "
                                              "printer"),
                                    HasSubstr(":8190/Main.html"))));
    // The user is handed over to the running engine's start page, without a message.
    EXPECT_THAT(second.OpenedAddresses(1), ElementsAre(EngineAddress("Main.html")));
    EXPECT_THAT(log, Not(Contains(HasSubstr("could not be shown"))));
}

// The running engine serves the error page from its own module.
TEST_F(SecondEngineBesideAnEngine, ReportsAnEngineWithAnotherModule) {
    EXPECT_THAT(RunSecond("othermod", kServedPrinterAddress),
                Contains("The port 8190 is being used by other sme with a different module"));
    EXPECT_THAT(second.OpenedAddresses(1), ElementsAre(EngineAddress("_smu_used.html")));
    EXPECT_THAT(Exchange(GetRequest("/_smu_used.html")).body,
                HasSubstr("another engine serves testmod"));
}

TEST_F(SecondEngineBesideAnEngine, ReportsAnEngineForAnotherPrinter) {
    EXPECT_THAT(RunSecond(kServedModule, "127.0.0.9"),
                Contains("The port 8190 is being used by other sme with the same module but "
                         "different printer"));
    EXPECT_THAT(second.OpenedAddresses(1), ElementsAre(EngineAddress("_smu_used.html")));
}

TEST_F(SecondEngine, ReportsAServerThatIsNoEngine) {
    ForeignServer foreign("HTTP/1.1 200 OK\r\nServer: nginx\r\nContent-Length: 0\r\n\r\n");
    ASSERT_TRUE(foreign.IsListening());
    EXPECT_THAT(RunSecond(kServedModule, kServedPrinterAddress),
                Contains("The port 8190 is being used by other application that is not a sme."));
    EXPECT_THAT(second.OpenedAddresses(1), ElementsAre(EngineAddress("_port_used.html")));
}

// The hand-over follows the module's wish for no browser too.
TEST_F(SecondEngineBesideAnEngine, HandsOverWithoutBrowserWhenTheModuleShowsNoPages) {
    InstallServedModule(second, kServedModule, kServedPrinterAddress);
    second.WriteModuleXml(kServedModuleDirectory,
                          "<module><log-to-file>yes</log-to-file><show-ui>no</show-ui>"
                          "<prod-number-file>id.prn</prod-number-file></module>");
    EXPECT_EQ(second.RunEngine().exitCode, 0);
    EXPECT_THAT(second.LogMessages(),
                Contains("No browser launched because show_ui is set to no in module.xmnl."));
    EXPECT_THAT(second.OpenedAddresses(), IsEmpty());
}

TEST_F(SecondEngine, ReportsASilentServerAfterAboutFiveSeconds) {
    ForeignServer silent("");
    ASSERT_TRUE(silent.IsListening());
    double seconds = 0;
    EXPECT_THAT(RunSecond(kServedModule, kServedPrinterAddress, &seconds),
                Contains("The port 8190 is being used by other application that is not a sme."));
    // The behaviour is the probe's five-second time-out: never given up sooner; the upper
    // bound is generous (Wine's start-up is in it) and only says the probe does end.
    EXPECT_GE(seconds, 4.0);
    EXPECT_LE(seconds, 40.0);
}

TEST_F(SecondEngine, EndsQuietlyWhenThePortIsTakenButNobodyAnswersOnLoopback) {
    // Port 8190 is taken on one address only, so binding every interface fails while
    // 127.0.0.1:8190 refuses the probe.
    ForeignServer elsewhere("HTTP/1.1 200 OK\r\n\r\n", "127.0.0.5");
    ASSERT_TRUE(elsewhere.IsListening());
    const std::vector<std::string> log = RunSecond(kServedModule, kServedPrinterAddress);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "Caught unknown exception!");
}

}  // namespace
}  // namespace integration
