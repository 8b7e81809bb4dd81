#include "engine/port_opener.h"

#include "base/tavrin_exception.h"
#include "pages/printer_port.h"

CPortOpener::CPortOpener(std::shared_ptr<CPrinterPort> port) : m_port(std::move(port)) {}

void CPortOpener::Run() {
    bool opened = false;
    try {
        m_port->Open();
        opened = true;
    } catch (CCannotOpenPrinterPort* caught) {
        TakeOwnership(caught);
    }
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_givenUp && opened) m_port->Close();
    m_done = true;
    m_doneSignal.notify_all();
}

bool CPortOpener::WaitUntilDone(std::chrono::milliseconds limit) {
    std::unique_lock<std::mutex> hold(m_lock);
    return m_doneSignal.wait_for(hold, limit, [this] { return m_done; });
}

bool CPortOpener::GiveUp() {
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_done) return false;
    m_givenUp = true;
    return true;
}
