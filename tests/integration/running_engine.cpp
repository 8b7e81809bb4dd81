#include "integration/running_engine.h"

#include <algorithm>

#include "harness/wait.h"
#include "integration/http_client.h"

namespace integration {

bool PortTakesConnections() { return HttpConnection().IsOpen(); }

namespace {

// A whole exchange, not a bare connect: a connection that sends nothing stays live in the
// engine for about two seconds and would count against the exit page.
bool EngineAnswers() { return Exchange("GET /ready-check.gif HTTP/1.0\r\n\r\n", 2).complete; }

std::size_t Occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

}  // namespace

bool RunningEngine::Start(double guardSeconds) {
    if (!m_install.StartEngine(m_child)) return false;
    const harness::Deadline deadline(guardSeconds);
    bool serving = false;
    harness::WaitUntil(
        [&] {
            serving = EngineAnswers();
            return serving || !m_child.IsRunning();
        },
        deadline.SecondsLeft(), 50);
    return serving && WaitUntilConnectionsClosed(deadline.SecondsLeft());
}

bool RunningEngine::WaitUntilConnectionsClosed(double guardSeconds) {
    return harness::WaitUntil(
        [this] {
            const std::string log = m_install.LogText();
            return Occurrences(log, "Thread for CConnectionHandler started") ==
                   Occurrences(log, "Thread for CConnectionHandler finished");
        },
        guardSeconds);
}

ChildResult RunningEngine::Stop(const std::string& exitPage, double guardSeconds) {
    // A connection's thread logs its end just before the engine reclaims it; in that moment
    // the engine still counts it, answers the cannot-exit page and goes on: then ask again.
    const harness::Deadline deadline(guardSeconds);
    while (m_child.IsRunning() && !deadline.Passed()) {
        WaitUntilConnectionsClosed(deadline.SecondsLeft());
        Exchange(GetRequest("/" + exitPage), 5);
        m_child.WaitForEnd(std::min(2.0, deadline.SecondsLeft()));
    }
    return m_child.Wait(0);
}

}  // namespace integration
