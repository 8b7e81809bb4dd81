#pragma once
/// What the server and the pages may ask of the engine: its lock, its page variable table,
/// the module configuration, the printer port, the stop flag and the live connection count.
/// Handed down to every connection instead of the engine itself.

#include <memory>
#include <string>

#include "text/text_map.h"

class CModuleConfig;
class CPrinterPort;
class CRunnable;
class CStopFlag;
class CWinThread;

class CPageContext {
public:
    virtual ~CPageContext() = default;

    /// The engine lock; re-entrant, so a holder may call the variable operations below.
    virtual bool Lock() = 0;
    virtual bool Unlock() = 0;

    /// Page variables, each under the lock.
    virtual void SetPageVariable(const std::string& name, const std::string& value) = 0;
    virtual std::string GetPageVariable(const std::string& name) = 0;
    /// The page variable table itself; only while the lock is held.
    virtual TextMap& PageVariables() = 0;

    virtual const CModuleConfig& ModuleConfig() = 0;
    /// The directory of the engine's program, without a trailing separator.
    virtual std::string InstallationDirectory() = 0;
    /// Null while the engine has no printer port.
    virtual CPrinterPort* PrinterPort() = 0;
    /// Fills `table` with the workstation's system information.
    virtual void CollectSystemInfo(TextMap& table) = 0;
    /// A new thread object for `runnable`, not yet started, from the process-wide factory.
    virtual std::unique_ptr<CWinThread> NewThread(CRunnable& runnable) = 0;
    virtual CStopFlag& StopFlag() = 0;
    /// Connections that have begun a request and not yet ended, this one included. A
    /// connection a browser opens ahead of need and never uses does not count.
    virtual int LiveConnectionCount() = 0;
    /// A connection counts itself in (+1) when its first request begins and out (-1) when it
    /// ends.
    virtual void CountRequestingConnection(int delta) = 0;
};

/// Holds the context's lock for one scope, so no path can leave it taken.
class CPageContextLock {
public:
    explicit CPageContextLock(CPageContext& context) : m_context(context) { m_context.Lock(); }
    ~CPageContextLock() { m_context.Unlock(); }
    CPageContextLock(const CPageContextLock&) = delete;
    CPageContextLock& operator=(const CPageContextLock&) = delete;

private:
    CPageContext& m_context;
};
