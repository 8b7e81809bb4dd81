#pragma once
/// The engine as its connections see it. A separate object rather than a base class of the
/// engine, so that the engine's own virtual slots keep their order.

#include <atomic>

#include "pages/page_context.h"

class CEngine;

class CEnginePageContext final : public CPageContext {
public:
    explicit CEnginePageContext(CEngine& engine) : m_engine(engine) {}

    bool Lock() override;
    bool Unlock() override;
    void SetPageVariable(const std::string& name, const std::string& value) override;
    std::string GetPageVariable(const std::string& name) override;
    TextMap& PageVariables() override;
    const CModuleConfig& ModuleConfig() override;
    std::string InstallationDirectory() override;
    CPrinterPort* PrinterPort() override;
    void CollectSystemInfo(TextMap& table) override;
    std::unique_ptr<CWinThread> NewThread(CRunnable& runnable) override;
    CStopFlag& StopFlag() override;
    int LiveConnectionCount() override;
    void CountRequestingConnection(int delta) override;

private:
    CEngine& m_engine;
    std::atomic<int> m_requestingConnections{0};
};
