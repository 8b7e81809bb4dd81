#pragma once
/// Publishes the progress of one send in the page variables "data-transfer-status" and
/// "data-send-progress", so that a second page can show it while the command's own request
/// still waits. It sleeps until the sender changes the progress or says the send has ended.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "base/runnable.h"

class CPageContext;
class CPrinterPort;

class CProgressMonitor : public CRunnable {
public:
    CProgressMonitor(CPageContext& context, CPrinterPort& port, int direction);

    /// Ends with "100"/"done" after a good send, "-1"/"error" after a failed one.
    void Run() override;

    /// The sender's word that it has finished, well or not; wakes the monitor.
    void SendEnded(bool succeeded);
    /// True once `Run` has published its last value; waits at most `limit` for it.
    bool WaitUntilDone(std::chrono::milliseconds limit);

private:
    void Publish(const char* progress, const char* status);
    void MarkDone();

    CPageContext& m_context;
    CPrinterPort& m_port;
    int m_direction;
    std::atomic<bool> m_sendEnded{false};
    std::atomic<bool> m_sendSucceeded{false};
    std::mutex m_doneLock;
    std::condition_variable m_doneSignal;
    bool m_done = false;
};
