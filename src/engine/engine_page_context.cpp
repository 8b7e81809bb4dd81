#include "engine/engine_page_context.h"

#include "engine/engine.h"

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

CPrinterPort* CEnginePageContext::PrinterPort() { return m_engine.GetPrinterPort(); }

CStopFlag& CEnginePageContext::StopFlag() { return m_engine.StopFlag(); }

int CEnginePageContext::LiveConnectionCount() { return m_requestingConnections.load(); }

void CEnginePageContext::CountRequestingConnection(int delta) { m_requestingConnections += delta; }
