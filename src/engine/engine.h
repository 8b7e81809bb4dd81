#pragma once
/// The engine: start-up, configuration and the tables shared with every connection.

#include <memory>
#include <string>

#include "base/stop_flag.h"
#include "config/module_config.h"
#include "engine/engine_page_context.h"
#include "http/connection_list.h"
#include "platform/reentrant_lock.h"
#include "text/text_map.h"

class CObjectFactory;
class CPrinterPort;
class CWinHttpSocket;

/// Where the installation's registry entries live, below HKEY_LOCAL_MACHINE.
extern const char* const kInstallationKey;

class CEngine {
public:
    CEngine();
    virtual ~CEngine();
    CEngine(const CEngine&) = delete;
    CEngine& operator=(const CEngine&) = delete;

    virtual bool Lock();
    virtual bool Unlock();
    virtual void CollectSystemInfo(TextMap& table);
    virtual void LoadConfiguration();
    virtual void FindInstalledModules();
    virtual bool CheckProxyBypass();
    virtual void OpenListeningPort();
    virtual void ReadProductNumber();
    virtual void SetStartAddress(const std::string& page, bool http);
    virtual std::string GetLocalAddress();
    virtual void LaunchBrowser();
    virtual void ReportStartupFailure(int kind);
    virtual void ShowStartupMessage(int kind);

    /// True when the engine may serve.
    bool Initialize();
    /// Returns when the engine has stopped.
    void Run();

    void SetInstallationDirectory(const std::string& directory);
    std::string GetInstallationDirectory() const { return m_installationDirectory; }
    std::string GetStartAddress() const { return m_startAddress; }

    /// Page variables, under the engine lock.
    void SetPageVariable(const std::string& name, const std::string& value);
    std::string GetPageVariable(const std::string& name);

    const TextMap& GetInstalledModules() const { return m_installedModules; }
    const TextMap& GetSupportedProducts() const { return m_supportedProducts; }
    const CModuleConfig* GetModuleConfig() const { return m_moduleConfig.get(); }
    /// Null until the configuration is loaded.
    CPrinterPort* GetPrinterPort() const { return m_printerPort.get(); }
    /// The page variable table itself; only while the engine lock is held.
    TextMap& PageVariables() { return m_pageVariables; }

    /// What the server's connections are handed instead of the engine.
    CPageContext& PageContext() { return m_pageContext; }
    CStopFlag& StopFlag() { return m_stopFlag; }

    CObjectFactory& ObjectFactory() { return m_objectFactory; }

private:
    // Shared with a port opener that overran its wait at start-up, which may still close it.
    std::shared_ptr<CPrinterPort> m_printerPort;
    std::unique_ptr<CModuleConfig> m_moduleConfig;
    std::string m_startAddress;
    std::string m_installationDirectory;
    TextMap m_pageVariables;
    TextMap m_supportedProducts;
    TextMap m_installedModules;
    // Non-null exactly while this engine holds port 8190.
    std::unique_ptr<CWinHttpSocket> m_listeningSocket;
    CObjectFactory& m_objectFactory;
    std::unique_ptr<platform::ReentrantLock> m_lock;
    CStopFlag m_stopFlag;
    CEnginePageContext m_pageContext{*this};
    // Declared after everything a connection uses, so its threads end before those go.
    CConnectionList m_connections;

    // What the printer port is built from.
    std::string m_printerType;
    std::string m_printerName;
    std::string m_printerAddress;
    bool m_socketLibraryStarted = false;
};
