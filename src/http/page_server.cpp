#include "http/page_server.h"

#include <filesystem>
#include <fstream>
#include <memory>

#include "base/log.h"
#include "base/stop_flag.h"
#include "base/tavrin_exception.h"
#include "config/module_config.h"
#include "http/content_type.h"
#include "http/engine_port.h"
#include "http/http_date.h"
#include "http/http_request.h"
#include "http/http_response.h"
#include "http/request_admission.h"
#include "http/request_path.h"
#include "pages/page_command.h"
#include "pages/page_context.h"
#include "pages/page_variables.h"
#include "pages/template_processor.h"
#include "platform/clock.h"
#include "platform/file_time.h"
#include "platform/program.h"
#include "platform/socket_system.h"
#include "platform/stored_name.h"
#include "text/ascii_case.h"
#include "text/url_coding.h"

namespace {

using engine_log::Line;

const char* const kModuleCheckPage = "tavrin_module.html";
const char* const kCommandFileNotFoundPage = "/_cmd_file_not_found.html";
const char* const kInputOutputErrorPage = "/_io.html";
const char* const kCannotExitPage = "/_cannot_exit.html";
constexpr std::int64_t kFileLifetimeSeconds = 31536000;  // 365 days
constexpr std::size_t kCopyPieceBytes = 1024;

const char* const kForeignHostLine =
    "Refused the request for %1: its Host %2 is not this computer.";
const char* const kCrossSiteLine = "Refused the request for %1 sent on behalf of another site: %2";

const std::string& ThisComputerName() {
    static const std::string name = [] {
        std::string hostName;
        if (!platform::SocketSystem::System().HostName(hostName)) hostName.clear();
        return hostName;
    }();
    return name;
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

template <typename Failure>
bool Is(const CTavrinException& failure) {
    return dynamic_cast<const Failure*>(&failure) != nullptr;
}

/// What a value in a command failure's log line stands for.
enum class Argument { None, FileToSend, PrinterType, PrinterAddress };

/// How a printer command's failure reaches the user: the response variables it sets, the
/// page a trusted request is sent to, and the log line (whose %1 is the command's name).
struct CommandFailure {
    bool (*matches)(const CTavrinException&);
    const char* error;
    const char* errorParam1;  // null: left as it is
    const char* errorParam2;  // null: left as it is
    const char* page;
    const char* logFormat;
    Argument arguments[3];
};

const CommandFailure kCommandFailures[] = {
    {Is<CFileToSendDoesNotExist>,
     "10",
     "OS",
     "",
     kCommandFileNotFoundPage,
     "(Command %1): the command file %2 has not been found.",
     {Argument::FileToSend, Argument::None, Argument::None}},
    {Is<CCannotOpenPrinterPort>,
     "20",
     nullptr,
     nullptr,
     kInputOutputErrorPage,
     "(Command %1): the %2 channel %3 used cannot be opened.",
     {Argument::PrinterType, Argument::PrinterAddress, Argument::None}},
    {Is<CTimeoutSendingFileToPrinter>,
     "10",
     "TIMEOUT",
     nullptr,
     kInputOutputErrorPage,
     "(Command %1): timeout sending the file %2 through %3 channel %4.",
     {Argument::FileToSend, Argument::PrinterType, Argument::PrinterAddress}},
    {Is<CTimeoutReadingBackchannelFromPrinter>,
     "30",
     nullptr,
     nullptr,
     kInputOutputErrorPage,
     "(Command %1): timeout reading the backchannel from %2 channel %3.",
     {Argument::PrinterType, Argument::PrinterAddress, Argument::None}},
};

const CommandFailure* CommandFailureOf(const CTavrinException& failure) {
    for (const CommandFailure& row : kCommandFailures) {
        if (row.matches(failure)) return &row;
    }
    return nullptr;
}

}  // namespace

CPageServer::CPageServer(CPageContext& context)
    : m_context(context), m_localNames(context.GetPageVariable("ip-address"), ThisComputerName()) {}

void CPageServer::Get(CHttpRequest& request, CHttpResponse& response) {
    if (!Admit(request, response)) return;
    std::string page = request.GetPath();
    request.GetParameters()["current-date"] = CurrentDate();
    if (!page.empty() && page[0] == '/') page.erase(0, 1);

    std::string query = request.GetQuery();
    static const std::string kRequestLine = "http://%1:" + std::to_string(kEnginePort) + "/%2%3%4";
    engine_log::Log(Line::Optional, kRequestLine, m_context.GetPageVariable("ip-address"), page,
                    query.empty() ? "" : "?", UrlDecode(query));

    if (!IsHtmlPage(page)) {
        ServeFile(request, response);
        return;
    }
    page = ToLowerAscii(page);
    if (page == kModuleCheckPage) {
        AnswerModuleCheck(request, response);
        return;
    }
    RunCommand(page, request, response);
    if (page == ToLowerAscii(m_context.ModuleConfig().GetExitPage())) {
        ServeExitPage(request, response);
        return;
    }
    ServePage(request, response);
}

bool CPageServer::Admit(const CHttpRequest& request, CHttpResponse& response) {
    const AdmissionVerdict verdict = AdmitRequest(request, m_localNames);
    if (verdict.admission == Admission::Admitted) return true;
    engine_log::Log(Line::Optional,
                    verdict.admission == Admission::ForeignHost ? kForeignHostLine : kCrossSiteLine,
                    request.GetPath(), verdict.evidence);
    response.SetStatus(403, "");
    return false;
}

void CPageServer::RunCommand(const std::string& page, CHttpRequest& request,
                             CHttpResponse& response) {
    CCommand command;
    if (!m_context.ModuleConfig().FindCommand(page, &command)) return;
    TextMap& variables = response.GetVariables();
    std::unique_ptr<CTavrinException> caught;
    try {
        RunPageCommand(m_context, command, request.GetParameters(), variables);
        variables["error"] = "0";
        return;
    } catch (CTavrinException* failure) {
        caught = TakeOwnership(failure);
    }
    const CommandFailure* failure = CommandFailureOf(*caught);
    // The command run throws nothing else; anything else is no command failure to report.
    if (failure == nullptr) throw caught.release();

    variables["error"] = failure->error;
    if (failure->errorParam1 != nullptr) variables["error-param1"] = failure->errorParam1;
    if (failure->errorParam2 != nullptr) variables["error-param2"] = failure->errorParam2;
    std::string values[3];
    for (int i = 0; i < 3; ++i) {
        switch (failure->arguments[i]) {
            case Argument::None:
                break;
            case Argument::FileToSend:
                values[i] = ResponseVariable(response, "file-to-send");
                break;
            case Argument::PrinterType:
                values[i] = m_context.GetPageVariable("prttype");
                break;
            case Argument::PrinterAddress:
                values[i] = m_context.GetPageVariable("prtaddr");
                break;
        }
    }
    engine_log::Log(Line::Optional, failure->logFormat, command.name, values[0], values[1],
                    values[2]);
    // Only requests from the engine's own pages are admitted: each is sent to the error page.
    response.Reset();
    request.SetPath(failure->page);
}

void CPageServer::ServeExitPage(CHttpRequest& request, CHttpResponse& response) {
    if (m_context.LiveConnectionCount() <= 1) {
        ServePage(request, response);
        m_context.StopFlag().Set();
        return;
    }
    response.Reset();
    request.SetPath(kCannotExitPage);
    ServePage(request, response);
}

void CPageServer::AnswerModuleCheck(CHttpRequest& request, CHttpResponse& response) {
    if (ParameterOf(request, "module") != m_context.ModuleConfig().GetModuleName()) {
        response.SetStatus(409, "module");
    } else if (ParameterOf(request, "prtaddr") != m_context.GetPageVariable("prtaddr")) {
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
        CPageContextLock lock(m_context);
        TextMap variables = BuildPageVariables(m_context.PageVariables(), request.GetParameters(),
                                               response.GetVariables());
        CTemplateProcessor processor(m_context, variables);
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
    const std::string www = m_context.ModuleConfig().GetModuleDirectory() + separator + "www";
    // Pages are told from files by name: a file met under an alias would escape that rule.
    if (!platform::IsStoredName(www, path)) return std::string();
    return www + separator + path;
}
