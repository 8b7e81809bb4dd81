// The probe of a port held by someone else, against a loopback server that answers as told:
// what it asks, and which start-up failure each answer stands for.

#include "engine/running_engine_probe.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/tavrin_exception.h"
#include "http/listener.h"
#include "http/object_factory.h"
#include "http/win_http_socket.h"
#include "support/socket_library_user.h"

namespace {

// Ports of their own: the engine's port may be in use by an integration test, and each test
// runs as a process of its own, possibly beside the other one.
constexpr std::uint16_t kAnswersPort = 18191;
constexpr std::uint16_t kRequestPort = 18192;

/// Accepts one connection, reads the request up to its blank line, answers and closes.
class OneAnswerServer {
public:
    OneAnswerServer(std::string answer, std::uint16_t port)
        : m_listening(OpenListeningSocket(CObjectFactory::Instance(), port)),
          m_thread([this, answer] { Serve(answer); }) {}
    ~OneAnswerServer() {
        if (m_thread.joinable()) m_thread.join();
    }

    /// Only after the probe has returned.
    const std::string& Request() {
        if (m_thread.joinable()) m_thread.join();
        return m_request;
    }

private:
    void Serve(const std::string& answer) {
        CWinHttpSocket connection;
        if (!m_listening->HasData(30000) || !m_listening->Accept(connection)) return;
        char buffer[512];
        while (m_request.find("\r\n\r\n") == std::string::npos && connection.HasData(30000)) {
            const int received = connection.Receive(buffer, sizeof buffer);
            if (received <= 0) break;
            m_request.append(buffer, static_cast<std::size_t>(received));
        }
        connection.Send(answer.data(), static_cast<int>(answer.size()));
        connection.Close();
    }

    std::unique_ptr<CWinHttpSocket> m_listening;
    std::string m_request;
    std::thread m_thread;
};

enum class Outcome { HandOver, PortInUse, EngineInUse, ModuleInUse, OtherFailure };

Outcome ProbeOnce(const std::string& module, const std::string& address, std::uint16_t port) {
    try {
        CRunningEngineProbe(CObjectFactory::Instance(), port).Probe(module, address);
        return Outcome::HandOver;
    } catch (CTavrinPortInUse* caught) {
        TakeOwnership(caught);
        return Outcome::PortInUse;
    } catch (CTavrinEngineInUse* caught) {
        TakeOwnership(caught);
        return Outcome::EngineInUse;
    } catch (CTavrinModuleInUse* caught) {
        TakeOwnership(caught);
        return Outcome::ModuleInUse;
    } catch (CTavrinException* caught) {
        TakeOwnership(caught);
        return Outcome::OtherFailure;
    }
}

TEST(RunningEngineProbe, EachAnswerStandsForItsFailure) {
    SocketLibraryUser sockets;
    ASSERT_TRUE(sockets.Started());
    struct Case {
        const char* answer;
        Outcome outcome;
    };
    const std::vector<Case> cases = {
        {"HTTP/1.1 200\r\nServer: tavrin/1.0\r\n\r\n", Outcome::HandOver},
        {"HTTP/1.1 409 module\r\nServer: tavrin/1.0\r\n\r\n", Outcome::EngineInUse},
        {"HTTP/1.1 409 address\r\nServer: tavrin/1.0\r\n\r\n", Outcome::ModuleInUse},
        {"HTTP/1.1 409 other\r\nServer: tavrin/1.0\r\n\r\n", Outcome::PortInUse},
        {"HTTP/1.1 404\r\nServer: tavrin/1.0\r\n\r\n", Outcome::PortInUse},
        {"HTTP/1.1 200 OK\r\nServer: nginx\r\n\r\n", Outcome::PortInUse},
        {"HTTP/1.1 200 OK\r\n\r\n", Outcome::PortInUse},
        {"", Outcome::PortInUse},
    };
    for (const Case& c : cases) {
        OneAnswerServer server(c.answer, kAnswersPort);
        EXPECT_EQ(ProbeOnce("brenna", "127.0.0.2", kAnswersPort), c.outcome) << c.answer;
    }
}

TEST(RunningEngineProbe, AsksForTheModuleCheckPageWithEncodedValues) {
    SocketLibraryUser sockets;
    OneAnswerServer server("HTTP/1.1 200\r\nServer: tavrin/1.0\r\n\r\n", kRequestPort);
    EXPECT_EQ(ProbeOnce("quessel CAD", "\\\\host\\queue", kRequestPort), Outcome::HandOver);
    EXPECT_EQ(server.Request(),
              "GET tavrin_module.html?module=quessel+CAD&prtaddr=%5c%5chost%5cqueue HTTP/1.1\r\n"
              "Connection: Close\r\n\r\n");
}

}  // namespace
