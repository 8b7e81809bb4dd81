#include "http/page_server.h"

#include <filesystem>
#include <fstream>
#include <memory>

#include "engine/ascii_case.h"
#include "engine/engine.h"
#include "engine/engine_lock_guard.h"
#include "engine/log.h"
#include "engine/module_config.h"
#include "engine/stop_flag.h"
#include "engine/tavrin_exception.h"
#include "http/connection_list.h"
#include "http/content_type.h"
#include "http/http_date.h"
#include "http/http_request.h"
#include "http/http_response.h"
#include "http/page_command.h"
#include "http/request_path.h"
#include "http/url_coding.h"
#include "pages/page_variables.h"
#include "pages/template_processor.h"
#include "platform/clock.h"
#include "platform/file_time.h"
#include "platform/program.h"

namespace {

using engine_log::Line;

const char* const kModuleCheckPage = "tavrin_module.html";
const char* const kCommandFileNotFoundPage = "/_cmd_file_not_found.html";
const char* const kInputOutputErrorPage = "/_io.html";
const char* const kCannotExitPage = "/_cannot_exit.html";
constexpr std::int64_t kFileLifetimeSeconds = 31536000;  // 365 days
constexpr std::size_t kCopyPieceBytes = 1024;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::string ParameterOf(const CHttpRequest& request, const std::string& name) {
    const TextMap& parameters = request.GetParameters();
    auto found = parameters.find(name);
    return found == parameters.end() ? std::string() : found->second;
}

std::string ResponseVariable(CHttpResponse& response, const std::string& name) {
    return LookUpVariable(response.GetVariables(), name);
}

/// Opens a regular file for reading in binary mode; null when there is none to open.
std::unique_ptr<std::ifstream> OpenRegularFile(const std::string& location) {
    std::error_code error;
    if (location.empty() || !std::filesystem::is_regular_file(location, error)) return nullptr;
    auto file = std::make_unique<std::ifstream>(location, std::ios::in | std::ios::binary);
    if (!file->is_open()) return nullptr;
    return file;
}

void AnswerNotFound(CHttpResponse& response) { response.SetStatus(404, ""); }

}  // namespace

CPageServer::CPageServer(CEngine& engine, const CModuleConfig& moduleConfig, TextMap& pageVariables,
                         CPrinterPort* printerPort)
    : m_engine(engine),
      m_moduleConfig(moduleConfig),
      m_pageVariables(pageVariables),
      m_printerPort(printerPort) {}

void CPageServer::Get(CHttpRequest& request, CHttpResponse& response) {
    std::string referer = request.GetHeader("Referer");
    std::string page = request.GetPath();
    request.GetParameters()["current-date"] = CurrentDate();
    bool trusted = IsTrustedOrigin(referer);
    if (!page.empty() && page[0] == '/') page.erase(0, 1);

    std::string query = request.GetQuery();
    engine_log::Log(Line::Optional, "http://%1:8190/%2%3%4", m_engine.GetPageVariable("ip-address"),
                    page, query.empty() ? "" : "?", UrlDecode(query));

    if (!IsHtmlPage(page)) {
        ServeFile(request, response);
        return;
    }
    page = ToLowerAscii(page);
    if (page == kModuleCheckPage) {
        AnswerModuleCheck(request, response);
        return;
    }
    RunCommand(page, trusted, request, response);
    if (page == ToLowerAscii(m_moduleConfig.GetExitPage())) {
        ServeExitPage(request, response);
        return;
    }
    ServePage(request, response);
}

bool CPageServer::IsTrustedOrigin(const std::string& referer) {
    if (referer.empty()) return true;
    if (Contains(referer, "http://localhost") || Contains(referer, "http://127.0.0.1")) {
        return true;
    }
    return Contains(referer, m_engine.GetPageVariable("ip-address"));
}

void CPageServer::RunCommand(const std::string& page, bool trusted, CHttpRequest& request,
                             CHttpResponse& response) {
    CCommand command;
    if (!m_moduleConfig.FindCommand(page, &command)) return;
    TextMap& variables = response.GetVariables();
    const char* errorPage = nullptr;
    try {
        RunPageCommand(m_engine, m_moduleConfig, command, m_printerPort, m_pageVariables,
                       request.GetParameters(), variables);
        variables["error"] = "0";
        return;
    } catch (CFileToSendDoesNotExist* caught) {
        TakeOwnership(caught);
        variables["error"] = "10";
        variables["error-param1"] = "OS";
        variables["error-param2"] = "";
        errorPage = kCommandFileNotFoundPage;
        engine_log::Log(Line::Optional, "(Command %1): the command file %2 has not been found.",
                        command.name, ResponseVariable(response, "file-to-send"));
    } catch (CCannotOpenPrinterPort* caught) {
        TakeOwnership(caught);
        variables["error"] = "20";
        errorPage = kInputOutputErrorPage;
        engine_log::Log(Line::Optional, "(Command %1): the %2 channel %3 used cannot be opened.",
                        command.name, m_engine.GetPageVariable("prttype"),
                        m_engine.GetPageVariable("prtaddr"));
    } catch (CTimeoutSendingFileToPrinter* caught) {
        TakeOwnership(caught);
        variables["error"] = "10";
        variables["error-param1"] = "TIMEOUT";
        errorPage = kInputOutputErrorPage;
        engine_log::Log(Line::Optional,
                        "(Command %1): timeout sending the file %2 through %3 channel %4.",
                        command.name, ResponseVariable(response, "file-to-send"),
                        m_engine.GetPageVariable("prttype"), m_engine.GetPageVariable("prtaddr"));
    } catch (CTimeoutReadingBackchannelFromPrinter* caught) {
        TakeOwnership(caught);
        variables["error"] = "30";
        errorPage = kInputOutputErrorPage;
        engine_log::Log(
            Line::Optional, "(Command %1): timeout reading the backchannel from %2 channel %3.",
            command.name, m_engine.GetPageVariable("prttype"), m_engine.GetPageVariable("prtaddr"));
    }
    if (trusted) {
        response.Reset();
        request.SetPath(errorPage);
    }
}

void CPageServer::ServeExitPage(CHttpRequest& request, CHttpResponse& response) {
    if (LiveConnectionCount() <= 1) {
        ServePage(request, response);
        EngineStopFlag() = true;
        return;
    }
    response.Reset();
    request.SetPath(kCannotExitPage);
    ServePage(request, response);
}

void CPageServer::AnswerModuleCheck(CHttpRequest& request, CHttpResponse& response) {
    if (ParameterOf(request, "module") != m_moduleConfig.GetModuleName()) {
        response.SetStatus(409, "module");
    } else if (ParameterOf(request, "prtaddr") != m_engine.GetPageVariable("prtaddr")) {
        response.SetStatus(409, "address");
    } else {
        response.SetStatus(200);
    }
}

void CPageServer::ServePage(CHttpRequest& request, CHttpResponse& response) {
    std::unique_ptr<std::ifstream> file = OpenRegularFile(FileLocation(request));
    if (!file) {
        AnswerNotFound(response);
        return;
    }
    {
        CEngineLockGuard lock(m_engine);
        TextMap variables =
            BuildPageVariables(m_pageVariables, request.GetParameters(), response.GetVariables());
        CTemplateProcessor processor(m_engine, variables);
        processor.Expand(*file, response.GetBody());
    }
    if (request.GetVersion() == "HTTP/1.1") {
        response.SetHeader("Cache-control", "no-cache");
    } else if (request.GetVersion() == "HTTP/1.0") {
        response.SetHeader("Pragma", "no-cache");
    }
    response.SetDateHeader("Date", platform::SecondsNow());
    response.SetStatus(200);
}

void CPageServer::ServeFile(CHttpRequest& request, CHttpResponse& response) {
    std::string location = FileLocation(request);
    std::unique_ptr<std::ifstream> file = OpenRegularFile(location);
    if (!file) {
        AnswerNotFound(response);
        return;
    }
    std::int64_t modified = platform::FileModificationTime(location);
    std::string contentType = ContentTypeOf(request.GetPath());
    std::int64_t now = platform::SecondsNow();

    std::int64_t since = 0;
    std::string ifModifiedSince = request.GetHeader("If-Modified-Since");
    if (!ifModifiedSince.empty() && ParseHttpDate(ifModifiedSince, since) && since >= modified &&
        since < now) {
        response.SetDateHeader("Date", now);
        response.SetStatus(304);
        return;
    }
    response.SetStatus(200);
    if (!contentType.empty()) response.SetContentType(contentType);
    response.SetDateHeader("Expires", modified + kFileLifetimeSeconds);
    response.SetDateHeader("Last-Modified", modified);
    response.SetDateHeader("Date", now);
    char piece[kCopyPieceBytes];
    while (file->read(piece, sizeof piece) || file->gcount() > 0) {
        response.GetBody().write(piece, file->gcount());
    }
}

std::string CPageServer::FileLocation(const CHttpRequest& request) const {
    std::string path = request.GetPath();
    if (!IsConfinedRequestPath(path)) return std::string();
    const char separator = platform::PathSeparator();
    for (char& byte : path) {
        if (byte == '/') byte = separator;
    }
    if (!path.empty() && path[0] == separator) path.erase(0, 1);
    return m_moduleConfig.GetModuleDirectory() + separator + "www" + separator + path;
}
