#include "engine/object_factory.h"

#include "engine/win_thread.h"
#include "http/win_http_socket.h"

CWinHttpSocket* CObjectFactory::CreateSocket() { return new CWinHttpSocket; }

CWinThread* CObjectFactory::NewThread(CRunnable* runnable) { return new CWinThread(runnable); }

CObjectFactory& CObjectFactory::Instance() {
    static CObjectFactory instance;
    return instance;
}
