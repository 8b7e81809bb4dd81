#include "engine/engine_page_context.h"

#include "base/win_thread.h"
#include "engine/engine.h"
#include "http/object_factory.h"

bool CEnginePageContext::Lock() { return m_engine.Lock(); }

bool CEnginePageContext::Unlock() { return m_engine.Unlock(); }

void CEnginePageContext::SetPageVariable(const std::string& name, const std::string& value) {
    m_engine.SetPageVariable(name, value);
}

std::string CEnginePageContext::GetPageVariable(const std::string& name) {
    return m_engine.GetPageVariable(name);
}

TextMap& CEnginePageContext::PageVariables() { return m_engine.PageVariables(); }

// Connections exist only after start-up has loaded the configuration.
const CModuleConfig& CEnginePageContext::ModuleConfig() { return *m_engine.GetModuleConfig(); }

std::string CEnginePageContext::InstallationDirectory() {
    return m_engine.GetInstallationDirectory();
}

CPrinterPort* CEnginePageContext::PrinterPort() { return m_engine.GetPrinterPort(); }

void CEnginePageContext::CollectSystemInfo(TextMap& table) { m_engine.CollectSystemInfo(table); }

std::unique_ptr<CWinThread> CEnginePageContext::NewThread(CRunnable& runnable) {
    return std::unique_ptr<CWinThread>(m_engine.ObjectFactory().NewThread(&runnable));
}

CStopFlag& CEnginePageContext::StopFlag() { return m_engine.StopFlag(); }

int CEnginePageContext::LiveConnectionCount() { return m_requestingConnections.load(); }

void CEnginePageContext::CountRequestingConnection(int delta) { m_requestingConnections += delta; }
