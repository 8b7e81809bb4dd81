#include "http/listener.h"

#include <memory>

#include "engine/engine.h"
#include "engine/engine_lock_guard.h"
#include "engine/log.h"
#include "engine/object_factory.h"
#include "engine/stop_flag.h"
#include "engine/win_thread.h"
#include "http/connection_handler.h"
#include "http/connection_list.h"
#include "http/win_http_socket.h"
#include "platform/clock.h"

namespace {

constexpr unsigned kAcceptPollMilliseconds = 30;

/// Takes one pending connection into the list; false when none was pending.
bool AcceptOne(CEngine& engine, CWinHttpSocket& listeningSocket, CObjectFactory& factory) {
    std::unique_ptr<CWinHttpSocket> socket(factory.CreateSocket());
    if (!listeningSocket.Accept(*socket)) return false;
    // Only this computer's browser and engines are served: the pages run printer commands.
    if (socket->HoldsSocket() && !socket->IsLocalPeer()) {
        engine_log::Log(engine_log::Line::Optional, "Refused a connection from another computer.");
        return true;
    }
    CConnectionList::Entry entry;
    {
        CEngineLockGuard lock(engine);
        entry.handler =
            std::make_unique<CConnectionHandler>(engine, *socket, *engine.GetModuleConfig(),
                                                 engine.PageVariables(), engine.GetPrinterPort());
    }
    entry.thread.reset(factory.NewThread(entry.handler.get()));
    entry.thread->Start();
    entry.socket = std::move(socket);
    CConnectionList::Instance().Append(std::move(entry));
    return true;
}

}  // namespace

CWinHttpSocket* OpenListeningSocket(CObjectFactory& factory) {
    std::unique_ptr<CWinHttpSocket> socket(factory.CreateSocket());
    socket->Create();
    socket->Bind(0, kEnginePort);
    socket->Listen();
    return socket.release();
}

void RunAcceptLoop(CEngine& engine, CWinHttpSocket& listeningSocket) {
    CObjectFactory& factory = CObjectFactory::Instance();
    CConnectionList& connections = CConnectionList::Instance();
    for (;;) {
        AcceptOne(engine, listeningSocket, factory);
        platform::SleepMilliseconds(kAcceptPollMilliseconds);
        connections.ReclaimFinished();
        if (EngineStopFlag()) break;
    }
    connections.WaitForAll();
}
