#pragma once
/// The engine's thread object: runs one `CRunnable` on its own operating-system thread.

#include <atomic>
#include <memory>

#include "base/runnable.h"
#include "platform/thread.h"

/// The abstract thread interface; its first field is the (non-owned) runnable.
class CThread {
public:
    explicit CThread(CRunnable* runnable) : m_runnable(runnable) {}
    virtual ~CThread() = default;
    CThread(const CThread&) = delete;
    CThread& operator=(const CThread&) = delete;

protected:
    CRunnable* m_runnable;
};

class CWinThread : public CThread {
public:
    using ThreadRoutine = void (*)(void* parameter);

    explicit CWinThread(CRunnable* runnable);
    /// Neither stops nor waits for the thread.
    ~CWinThread() override;

    /// Starts the thread; null (and nothing started) without a runnable or when the system
    /// refuses. The result stands for the thread's handle.
    virtual const void* Start();
    /// Kills the thread; the handle is cleared when the system did so.
    virtual void Terminate();
    /// Waits without a time limit while a handle is held.
    virtual void Wait();
    /// True when no handle is held: before `Start`, and after `Run` returned normally.
    virtual bool IsFinished();

private:
    static void Routine(void* parameter);

    ThreadRoutine m_threadRoutine = &CWinThread::Routine;
    void* m_parameter = this;
    // "A handle is held": set before the thread exists, cleared by the thread itself when
    // `Run` returns, read by the main thread. The OS thread object stays alive until
    // destruction so that a Wait in progress stays valid.
    std::atomic<bool> m_holdsHandle{false};
    std::unique_ptr<platform::Thread> m_osThread;
};
