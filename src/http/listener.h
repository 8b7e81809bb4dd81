#pragma once
/// The listening socket on port 8190 and the accept loop that runs on the engine's main
/// thread: one thread per accepted connection, finished ones reclaimed every pass.

#include <cstdint>
#include <memory>

#include "http/engine_port.h"

class CConnectionHandlerFactory;
class CConnectionList;
class CObjectFactory;
class CStopFlag;
class CWinHttpSocket;

/// A new socket listening on every local interface at `port`, non-blocking. `CPortBusy`
/// (thrown by pointer) when the port is taken.
std::unique_ptr<CWinHttpSocket> OpenListeningSocket(CObjectFactory& factory,
                                                    std::uint16_t port = kEnginePort);

/// Accepts connections into `connections` until `stop` is set, then waits for every
/// connection thread.
void RunAcceptLoop(CWinHttpSocket& listeningSocket, CConnectionHandlerFactory& handlers,
                   CConnectionList& connections, const CStopFlag& stop, CObjectFactory& factory);
