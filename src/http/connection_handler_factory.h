#pragma once
/// Makes the work that serves one accepted connection; the accept loop knows nothing else of
/// what a connection does.

#include <memory>

class CHttpSocket;
class CPageContext;
class CRunnable;

class CConnectionHandlerFactory {
public:
    virtual ~CConnectionHandlerFactory() = default;
    /// The handler for `socket`, which outlives it; not started.
    virtual std::unique_ptr<CRunnable> NewHandler(CHttpSocket& socket) = 0;
};

/// Connections that serve the module's pages through a page context.
class CPageConnectionHandlers : public CConnectionHandlerFactory {
public:
    explicit CPageConnectionHandlers(CPageContext& context) : m_context(context) {}
    std::unique_ptr<CRunnable> NewHandler(CHttpSocket& socket) override;

private:
    CPageContext& m_context;
};
