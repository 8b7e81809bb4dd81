#pragma once
/// The ways a simulated printer can be reached. Each serves until the connection count is
/// reached or the process ends, and returns the exit code.

#include "printer_behaviour.h"
#include "simulator_options.h"

/// Serves the transport the options name, or explains that this build lacks it.
int ServePrinter(const SimulatorOptions& options, CPrinterBehaviour& behaviour);

/// A TCP printer port: listens on the address and serves one connection after another.
int ServeTcp(const SimulatorOptions& options, CPrinterBehaviour& behaviour);
/// A printer port behind a pseudo terminal; its slave path is the place reported ready.
int ServePty(const SimulatorOptions& options, CPrinterBehaviour& behaviour);
/// A Windows named pipe that a USB channel opens like a device path.
int ServePipe(const SimulatorOptions& options, CPrinterBehaviour& behaviour);
