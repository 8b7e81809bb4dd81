#include "base/win_thread.h"

#include <exception>

#include "base/log.h"
#include "base/tavrin_exception.h"

using engine_log::Line;

CWinThread::CWinThread(CRunnable* runnable) : CThread(runnable) {}

CWinThread::~CWinThread() = default;

const void* CWinThread::Start() {
    if (m_runnable == nullptr) return nullptr;
    m_holdsHandle = true;
    m_osThread = platform::Thread::Start(m_threadRoutine, m_parameter);
    if (!m_osThread) {
        m_holdsHandle = false;
        return nullptr;
    }
    return m_osThread.get();
}

void CWinThread::Terminate() {
    if (m_holdsHandle && m_osThread && m_osThread->Kill()) m_holdsHandle = false;
}

void CWinThread::Wait() {
    if (m_holdsHandle && m_osThread) m_osThread->Join();
}

bool CWinThread::IsFinished() { return !m_holdsHandle; }

void CWinThread::Routine(void* parameter) {
    auto* self = static_cast<CWinThread*>(parameter);
    try {
        self->m_runnable->Run();
        self->m_holdsHandle = false;
    } catch (CTavrinException* caught) {
        TakeOwnership(caught);
        engine_log::Log(Line::Forced, "Unknown Tavrin Exception caught at CWinThread");
    } catch (std::exception& caught) {
        engine_log::Log(Line::Forced, "%1 exception caught at CWinThread", caught.what());
    } catch (...) {
        platform::RethrowIfThreadCancellation();
        engine_log::Log(Line::Forced, "Unknown Exception caught at CWinThread");
    }
}
