#include "http/listener.h"

#include "base/log.h"
#include "base/runnable.h"
#include "base/stop_flag.h"
#include "base/win_thread.h"
#include "http/connection_handler_factory.h"
#include "http/connection_list.h"
#include "http/object_factory.h"
#include "http/win_http_socket.h"
#include "platform/clock.h"

namespace {

constexpr unsigned kAcceptPollMilliseconds = 30;

/// Takes one pending connection into the list; false when none was pending.
bool AcceptOne(CWinHttpSocket& listeningSocket, CConnectionHandlerFactory& handlers,
               CConnectionList& connections, CObjectFactory& factory) {
    std::unique_ptr<CWinHttpSocket> socket(factory.CreateSocket());
    if (!listeningSocket.Accept(*socket)) return false;
    // Only this computer's browser and engines are served: the pages run printer commands.
    if (socket->HoldsSocket() && !socket->IsLocalPeer()) {
        engine_log::Log(engine_log::Line::Optional, "Refused a connection from another computer.");
        return true;
    }
    CConnectionList::Entry entry;
    entry.handler = handlers.NewHandler(*socket);
    entry.thread.reset(factory.NewThread(entry.handler.get()));
    entry.thread->Start();
    entry.socket = std::move(socket);
    connections.Append(std::move(entry));
    return true;
}

}  // namespace

std::unique_ptr<CWinHttpSocket> OpenListeningSocket(CObjectFactory& factory, std::uint16_t port) {
    std::unique_ptr<CWinHttpSocket> socket(factory.CreateSocket());
    socket->Create();
    socket->Bind(0, port);
    socket->Listen();
    return socket;
}

void RunAcceptLoop(CWinHttpSocket& listeningSocket, CConnectionHandlerFactory& handlers,
                   CConnectionList& connections, const CStopFlag& stop, CObjectFactory& factory) {
    for (;;) {
        AcceptOne(listeningSocket, handlers, connections, factory);
        platform::SleepMilliseconds(kAcceptPollMilliseconds);
        connections.ReclaimFinished();
        if (stop.IsSet()) break;
    }
    connections.WaitForAll();
}
