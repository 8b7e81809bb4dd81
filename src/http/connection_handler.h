#pragma once
/// Serves one accepted connection on its own thread: reads whole requests, answers each with
/// the page server and keeps the connection alive when asked, with a one-second idle
/// allowance, until the peer goes quiet, asks to close, fails, or the engine stops.

#include <cstdint>
#include <memory>
#include <string>

#include "engine/runnable.h"
#include "engine/text_map.h"

class CEngine;
class CHttpSocket;
class CModuleConfig;
class CPageServer;
class CPrinterPort;
class CRequestFramer;

class CConnectionHandler : public CRunnable {
public:
    CConnectionHandler(CEngine& engine, CHttpSocket& socket, const CModuleConfig& moduleConfig,
                       TextMap& pageVariables, CPrinterPort* printerPort);
    ~CConnectionHandler() override;

    void Run() override;

private:
    void ServeConnection(CPageServer& pageServer);
    /// Reads more of a request that has begun; false when the connection is to be closed.
    bool ReadRestOfRequest(CPageServer& pageServer, CRequestFramer& framer,
                           std::uint64_t deadline, int& idleAllowance);
    /// Answers one whole request; false when the connection is to be closed afterwards.
    bool Answer(CPageServer& pageServer, const std::string& bytes, int& idleAllowance);
    void AnswerOverlongRequest(const std::string& bytes);

    CEngine& m_engine;
    CHttpSocket& m_socket;
    const CModuleConfig& m_moduleConfig;
    TextMap& m_pageVariables;
    CPrinterPort* m_printerPort;
};
