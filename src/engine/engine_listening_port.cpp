// The engine's port: taken by this engine, or held by another that the user is handed to.

#include "base/tavrin_exception.h"
#include "engine/engine.h"
#include "engine/running_engine_probe.h"
#include "http/listener.h"
#include "http/object_factory.h"
#include "http/win_http_socket.h"

void CEngine::OpenListeningPort() {
    m_listeningSocket.reset();
    try {
        m_listeningSocket = OpenListeningSocket(m_objectFactory);
        return;
    } catch (CPortBusy* caught) {
        TakeOwnership(caught);
    }
    CRunningEngineProbe(m_objectFactory)
        .Probe(m_moduleConfig ? m_moduleConfig->GetModuleName() : "", GetPageVariable("prtaddr"));
}
