#pragma once
// An engine started in the background in a test installation, serving port 8190 until the
// test asks for its exit page (or the fixture kills it).

#include <string>

#include "integration/child_process.h"
#include "integration/engine_installation.h"

namespace integration {

class RunningEngine {
public:
    explicit RunningEngine(EngineInstallation& install) : m_install(install) {}

    /// Starts the engine and waits until port 8190 takes connections; false when the engine
    /// ended first or did not serve within `timeoutSeconds`.
    bool Start(double timeoutSeconds = 30);
    bool IsRunning() { return m_child.IsRunning(); }
    /// Waits for the engine to end on its own.
    ChildResult WaitForExit(double timeoutSeconds = 30) { return m_child.Wait(timeoutSeconds); }
    /// Ends the engine the hard way, for modules without an exit page.
    ChildResult Kill() { return m_child.Kill(); }
    /// Asks for the exit page on a connection of its own and waits for the engine to end.
    ChildResult Stop(const std::string& exitPage, double timeoutSeconds = 30);

private:
    EngineInstallation& m_install;
    BackgroundChild m_child;
};

/// True when something takes connections on 127.0.0.1:8190.
bool PortTakesConnections();

}  // namespace integration
