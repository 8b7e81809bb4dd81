#include "pages/progress_monitor.h"

#include <string>

#include "pages/page_context.h"
#include "pages/printer_port.h"

CProgressMonitor::CProgressMonitor(CPageContext& context, CPrinterPort& port, int direction)
    : m_context(context), m_port(port), m_direction(direction) {}

void CProgressMonitor::Publish(const char* progress, const char* status) {
    if (progress) m_context.SetPageVariable("data-send-progress", progress);
    if (status) m_context.SetPageVariable("data-transfer-status", status);
}

void CProgressMonitor::Run() {
    Publish("0", "sending");
    bool failed = false;
    std::int16_t seen = 0;
    for (;;) {
        const std::int16_t progress =
            m_port.WaitForProgressChange(m_direction, seen, [this] { return m_sendEnded.load(); });
        if (progress == seen) {
            // Woken by the end of the send with no new value: a send whose bytes never made
            // 100 % of the measured size (an expansion shorter than the file) still ended.
            failed = !m_sendSucceeded.load();
            break;
        }
        seen = progress;
        if (progress > 100) break;
        if (progress == -1) {
            failed = true;
            break;
        }
        m_context.SetPageVariable("data-send-progress", std::to_string(progress));
        if (progress == 100) break;
    }
    if (seen == 100 || seen == -1) m_port.SetProgress(m_direction, 0);
    if (failed) {
        Publish("-1", "error");
    } else {
        Publish("100", "done");
    }
    MarkDone();
}

void CProgressMonitor::SendEnded(bool succeeded) {
    m_sendSucceeded = succeeded;
    m_sendEnded = true;
    m_port.WakeProgressWaiters();
}

void CProgressMonitor::MarkDone() {
    {
        std::lock_guard<std::mutex> hold(m_doneLock);
        m_done = true;
    }
    m_doneSignal.notify_all();
}

bool CProgressMonitor::WaitUntilDone(std::chrono::milliseconds limit) {
    std::unique_lock<std::mutex> hold(m_doneLock);
    return m_doneSignal.wait_for(hold, limit, [this] { return m_done; });
}
