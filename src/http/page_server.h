#pragma once
/// Answers the GET requests of one connection: module files, template pages, pages bound to a
/// printer command, the exit page and the module check page. Keeps nothing between requests.

#include <string>

class CHttpRequest;
class CHttpResponse;
class CPageContext;

class CPageServer {
public:
    /// Built under the context's lock; the context outlives the server.
    explicit CPageServer(CPageContext& context);

    void Get(CHttpRequest& request, CHttpResponse& response);

private:
    bool IsTrustedOrigin(const std::string& referer);
    void RunCommand(const std::string& page, bool trusted, CHttpRequest& request,
                    CHttpResponse& response);
    void ServeExitPage(CHttpRequest& request, CHttpResponse& response);
    void AnswerModuleCheck(CHttpRequest& request, CHttpResponse& response);
    void ServePage(CHttpRequest& request, CHttpResponse& response);
    void ServeFile(CHttpRequest& request, CHttpResponse& response);
    /// Where the request's path lies below the module's "www" folder; empty when the path
    /// would leave it.
    std::string FileLocation(const CHttpRequest& request) const;

    CPageContext& m_context;
};
