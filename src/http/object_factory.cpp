#include "http/object_factory.h"

#include "base/win_thread.h"
#include "http/win_http_socket.h"

namespace {

CObjectFactory& RealFactory() {
    static CObjectFactory factory;
    return factory;
}

CObjectFactory* g_substitute = nullptr;

}  // namespace

CWinHttpSocket* CObjectFactory::CreateSocket() { return new CWinHttpSocket; }

CWinThread* CObjectFactory::NewThread(CRunnable* runnable) { return new CWinThread(runnable); }

CObjectFactory& CObjectFactory::Instance() {
    return g_substitute != nullptr ? *g_substitute : RealFactory();
}

CObjectFactory* CObjectFactory::Substitute(CObjectFactory* factory) {
    CObjectFactory* previous = &Instance();
    g_substitute = factory;
    return previous == &RealFactory() ? nullptr : previous;
}
