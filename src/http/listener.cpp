#include "http/listener.h"

#include "base/runnable.h"
#include "base/stop_flag.h"
#include "base/tavrin_exception.h"
#include "base/win_thread.h"
#include "http/connection_handler_factory.h"
#include "http/connection_list.h"
#include "http/object_factory.h"
#include "http/refusal_tally.h"
#include "http/win_http_socket.h"
#include "platform/clock.h"

namespace {

// The longest a pass waits for a connection, so the stop flag is seen within one pass.
constexpr std::uint32_t kAcceptWaitMilliseconds = 30;
// Connections taken in one pass before finished ones are reclaimed and the stop flag looked at.
constexpr int kMostAcceptsPerPass = 64;

enum class Accepted { Nothing, Refused, Connection };

/// Takes one pending connection into the list.
Accepted AcceptOne(CWinHttpSocket& listeningSocket, CConnectionHandlerFactory& handlers,
                   CConnectionList& connections, CObjectFactory& factory) {
    std::unique_ptr<CWinHttpSocket> socket(factory.CreateSocket());
    if (!listeningSocket.Accept(*socket)) return Accepted::Nothing;
    // Only this computer's browser and engines are served: the pages run printer commands.
    if (socket->HoldsSocket() && !socket->IsLocalPeer()) return Accepted::Refused;
    CConnectionList::Entry entry;
    entry.handler = handlers.NewHandler(*socket);
    entry.thread.reset(factory.NewThread(entry.handler.get()));
    entry.thread->Start();
    entry.socket = std::move(socket);
    connections.Append(std::move(entry));
    return Accepted::Connection;
}

/// Waits until a connection is pending or the pass's time is up.
void WaitForConnection(CWinHttpSocket& listeningSocket) {
    try {
        listeningSocket.HasData(kAcceptWaitMilliseconds);
    } catch (CHttpSocketError* caught) {
        TakeOwnership(caught);
        // Without a working wait the pass still must not spin.
        platform::SleepMilliseconds(kAcceptWaitMilliseconds);
    }
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
    CRefusalTally refusals;
    for (;;) {
        WaitForConnection(listeningSocket);
        for (int taken = 0; taken < kMostAcceptsPerPass; ++taken) {
            Accepted outcome = AcceptOne(listeningSocket, handlers, connections, factory);
            if (outcome == Accepted::Nothing) break;
            if (outcome == Accepted::Refused) refusals.Refused(platform::MillisecondsNow());
        }
        refusals.Tick(platform::MillisecondsNow());
        connections.ReclaimFinished();
        if (stop.IsSet()) break;
    }
    refusals.Flush();
    connections.WaitForAll();
}
