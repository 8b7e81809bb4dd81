#include "integration/running_engine.h"

#include <unistd.h>

#include <chrono>

#include "integration/http_client.h"

namespace integration {

bool PortTakesConnections() { return HttpConnection().IsOpen(); }

namespace {

// A whole exchange, not a bare connect: a connection that sends nothing stays live in the
// engine for about two seconds and would count against the exit page.
bool EngineAnswers() { return Exchange("GET /ready-check.gif HTTP/1.0\r\n\r\n", 2).complete; }

}  // namespace

bool RunningEngine::Start(double timeoutSeconds) {
    if (!m_install.StartEngine(m_child)) return false;
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::milliseconds(static_cast<long>(timeoutSeconds * 1000));
    while (std::chrono::steady_clock::now() < deadline) {
        if (!m_child.IsRunning()) return false;
        if (EngineAnswers()) {
            // Let the main thread reclaim the check's connection.
            usleep(200 * 1000);
            return true;
        }
        usleep(50 * 1000);
    }
    return false;
}

ChildResult RunningEngine::Stop(const std::string& exitPage, double timeoutSeconds) {
    // Connections of the test that just closed may still count as live for a moment; the
    // engine then answers the cannot-exit page and goes on, so ask again.
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::milliseconds(static_cast<long>(timeoutSeconds * 1000));
    while (m_child.IsRunning() && std::chrono::steady_clock::now() < deadline) {
        Exchange(GetRequest("/" + exitPage), 5);
        for (int i = 0; i < 20 && m_child.IsRunning(); ++i) usleep(50 * 1000);
    }
    return m_child.Wait(1);
}

}  // namespace integration
