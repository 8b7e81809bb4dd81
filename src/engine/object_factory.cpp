#include "engine/object_factory.h"

#include "engine/win_thread.h"

CWinHttpSocket* CObjectFactory::CreateSocket() { return nullptr; }

CWinThread* CObjectFactory::NewThread(CRunnable* runnable) { return new CWinThread(runnable); }

CObjectFactory& CObjectFactory::Instance() {
    static CObjectFactory instance;
    return instance;
}
