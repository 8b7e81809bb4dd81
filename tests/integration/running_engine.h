#pragma once
// An engine started in the background in a test installation, serving port 8190 until the
// test asks for its exit page (or the fixture kills it).

#include <string>

#include "integration/installation.h"

namespace integration {

class RunningEngine {
public:
    explicit RunningEngine(Installation& install) : m_install(install) {}

    /// Starts the engine and waits until it answers a whole request on port 8190 and, when it
    /// logs, has closed that request's connection; false when the engine ended first or did
    /// not serve within `guardSeconds`.
    bool Start(double guardSeconds = 60);
    bool IsRunning() { return m_child.IsRunning(); }
    /// Waits for the engine to end on its own; `guardSeconds` only ends a hang.
    ChildResult WaitForExit(double guardSeconds = 60) { return m_child.Wait(guardSeconds); }
    /// Ends the engine the hard way, for modules without an exit page.
    ChildResult Kill() { return m_child.Kill(); }
    /// Asks for the exit page on a connection of its own and waits for the engine to end.
    ChildResult Stop(const std::string& exitPage, double guardSeconds = 60);
    /// Waits until the log shows every connection's thread finished (at once when the
    /// module does not log); false when `guardSeconds` pass first.
    bool WaitUntilConnectionsClosed(double guardSeconds = 30);

private:
    Installation& m_install;
    BackgroundChild m_child;
};

/// True when something takes connections on 127.0.0.1:8190.
bool PortTakesConnections();

}  // namespace integration
