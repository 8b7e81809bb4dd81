#pragma once
/// Opens the engine's printer port on a thread of its own, so start-up can stop waiting for a
/// channel that takes too long to open. An opener that is given up on is left to finish: it
/// then closes what it opened.

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "base/runnable.h"

class CPrinterPort;

class CPortOpener : public CRunnable {
public:
    explicit CPortOpener(std::shared_ptr<CPrinterPort> port);

    /// Opens the port; a port that cannot be opened just stays closed.
    void Run() override;

    /// True once `Run` has ended; waits at most `limit` for it.
    bool WaitUntilDone(std::chrono::milliseconds limit);
    /// Gives up on an opener still at work, so it closes the port when it ends; false when it
    /// has already ended (the caller then owns the outcome).
    bool GiveUp();

private:
    std::shared_ptr<CPrinterPort> m_port;
    std::mutex m_lock;
    std::condition_variable m_doneSignal;
    bool m_done = false;
    bool m_givenUp = false;
};
