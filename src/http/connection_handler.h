#pragma once
/// Serves one accepted connection on its own thread: reads whole requests, answers each with
/// the page server and keeps the connection alive when asked, with a one-second idle
/// allowance, until the peer goes quiet, asks to close, fails, or the engine stops.

#include <cstdint>
#include <memory>
#include <string>

#include "base/runnable.h"

class CHttpSocket;
class CPageContext;
class CPageServer;
class CRequestFramer;

class CConnectionHandler : public CRunnable {
public:
    /// Neither argument is owned; both outlive the handler.
    CConnectionHandler(CPageContext& context, CHttpSocket& socket);
    ~CConnectionHandler() override;

    void Run() override;

private:
    void ServeConnection(CPageServer& pageServer);
    /// Reads more of a request that has begun; false when the connection is to be closed.
    bool ReadRestOfRequest(CPageServer& pageServer, CRequestFramer& framer, std::uint64_t deadline,
                           int& idleAllowance);
    /// Answers one whole request; false when the connection is to be closed afterwards.
    bool Answer(CPageServer& pageServer, const std::string& bytes, int& idleAllowance);
    void AnswerOverlongRequest(const std::string& bytes);

    /// Counts this connection in with the context once its first request begins.
    void CountIn();

    CPageContext& m_context;
    CHttpSocket& m_socket;
    bool m_countedIn = false;
};
