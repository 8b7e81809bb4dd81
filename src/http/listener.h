#pragma once
/// The listening socket on port 8190 and the accept loop that runs on the engine's main
/// thread: one thread per accepted connection, finished ones reclaimed every pass.

#include <cstdint>

class CEngine;
class CObjectFactory;
class CWinHttpSocket;

/// The engine's HTTP port.
constexpr std::uint16_t kEnginePort = 8190;

/// A new socket listening on every local interface at port 8190, non-blocking; the caller
/// owns it. `CPortBusy` (thrown by pointer) when the port is taken.
CWinHttpSocket* OpenListeningSocket(CObjectFactory& factory);

/// Accepts connections until the stop flag is set, then waits for every connection thread.
void RunAcceptLoop(CEngine& engine, CWinHttpSocket& listeningSocket);
