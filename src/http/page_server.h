#pragma once
/// Answers the GET requests of one connection: module files, template pages, pages bound to a
/// printer command, the exit page and the module check page, to this workstation's own browser
/// only. Keeps nothing between requests.

#include <string>

#include "http/request_admission.h"

class CHttpRequest;
class CHttpResponse;
class CPageContext;

class CPageServer {
public:
    /// Built under the context's lock; the context outlives the server.
    explicit CPageServer(CPageContext& context);

    void Get(CHttpRequest& request, CHttpResponse& response);

private:
    /// False, with the response filled, when the request is refused.
    bool Admit(const CHttpRequest& request, CHttpResponse& response);
    void RunCommand(const std::string& page, CHttpRequest& request, CHttpResponse& response);
    void ServeExitPage(CHttpRequest& request, CHttpResponse& response);
    void AnswerModuleCheck(CHttpRequest& request, CHttpResponse& response);
    void ServePage(CHttpRequest& request, CHttpResponse& response);
    void ServeFile(CHttpRequest& request, CHttpResponse& response);
    /// Where the request's path lies below the module's "www" folder; empty when the path
    /// would leave it or names its file by an alias of the stored name.
    std::string FileLocation(const CHttpRequest& request) const;

    CPageContext& m_context;
    const CLocalNames m_localNames;
};
