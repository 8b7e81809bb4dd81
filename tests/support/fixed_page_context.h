#pragma once
// A page context without an engine: a real re-entrant lock over a page variable table, a
// module configuration the test fills in, a stop flag and a connection count it sets.

#include <atomic>
#include <string>
#include <utility>

#include "base/stop_flag.h"
#include "base/win_thread.h"
#include "config/module_config.h"
#include "pages/page_context.h"
#include "platform/reentrant_lock.h"

class CFixedPageContext : public CPageContext {
public:
    explicit CFixedPageContext(CModuleConfig module = CModuleConfig("", ""))
        : moduleConfig(std::move(module)) {}

    bool Lock() override {
        m_lock.Enter();
        ++lockDepth;
        return true;
    }
    bool Unlock() override {
        --lockDepth;
        m_lock.Leave();
        return true;
    }
    void SetPageVariable(const std::string& name, const std::string& value) override {
        Lock();
        pageVariables[name] = value;
        Unlock();
    }
    std::string GetPageVariable(const std::string& name) override {
        Lock();
        auto found = pageVariables.find(name);
        std::string value = found == pageVariables.end() ? std::string() : found->second;
        Unlock();
        return value;
    }
    TextMap& PageVariables() override { return pageVariables; }
    const CModuleConfig& ModuleConfig() override { return moduleConfig; }
    std::string InstallationDirectory() override { return installationDirectory; }
    CPrinterPort* PrinterPort() override { return printerPort; }
    void CollectSystemInfo(TextMap& table) override {
        for (const auto& entry : systemInformation) table[entry.first] = entry.second;
        ++systemInfoCollections;
    }
    std::unique_ptr<CWinThread> NewThread(CRunnable& runnable) override {
        return std::make_unique<CWinThread>(&runnable);
    }
    CStopFlag& StopFlag() override { return stopFlag; }
    int LiveConnectionCount() override { return liveConnections; }
    void CountRequestingConnection(int delta) override { countedConnections += delta; }

    CModuleConfig moduleConfig;
    std::string installationDirectory = ".";
    CPrinterPort* printerPort = nullptr;
    /// What CollectSystemInfo hands out, and how often it was asked.
    TextMap systemInformation;
    int systemInfoCollections = 0;
    TextMap pageVariables;
    CStopFlag stopFlag;
    int liveConnections = 1;
    /// What connection handlers counted in and out: zero again once each has ended.
    std::atomic<int> countedConnections{0};
    /// How deep the calling thread holds the lock (only meaningful on that thread).
    int lockDepth = 0;

private:
    platform::ReentrantLock m_lock;
};
