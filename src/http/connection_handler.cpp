#include "http/connection_handler.h"

#include <algorithm>

#include "base/log.h"
#include "base/stop_flag.h"
#include "base/tavrin_exception.h"
#include "http/connection_handler_factory.h"
#include "http/http_request.h"
#include "http/http_response.h"
#include "http/http_socket.h"
#include "http/page_server.h"
#include "http/request_framer.h"
#include "pages/page_context.h"
#include "platform/clock.h"
#include "text/ascii_case.h"

namespace {

using engine_log::Line;

constexpr int kIdleAllowanceSeconds = 1;
constexpr unsigned kIdleSleepMilliseconds = 1000;
constexpr std::size_t kReceiveBytes = 1024;
// How long the rest of a request that has begun may take to arrive.
constexpr std::uint64_t kRequestCompletionMilliseconds = 5000;

bool IsKnownOtherMethod(const std::string& method) {
    return method == "OPTIONS" || method == "HEAD" || method == "POST" || method == "PUT" ||
           method == "DELETE" || method == "TRACE";
}

/// Counts down the allowance by the whole seconds since `start`.
void SpendAllowance(int& idleAllowance, std::int64_t start) {
    std::int64_t elapsed = platform::SecondsNow() - start;
    if (elapsed > idleAllowance) {
        idleAllowance = 0;
    } else {
        idleAllowance -= static_cast<int>(elapsed);
    }
}

}  // namespace

std::unique_ptr<CRunnable> CPageConnectionHandlers::NewHandler(CHttpSocket& socket) {
    CPageContextLock lock(m_context);
    return std::make_unique<CConnectionHandler>(m_context, socket);
}

CConnectionHandler::CConnectionHandler(CPageContext& context, CHttpSocket& socket)
    : m_context(context), m_socket(socket) {}

CConnectionHandler::~CConnectionHandler() = default;

void CConnectionHandler::Run() {
    engine_log::Log(Line::Optional, "Thread for CConnectionHandler started");
    std::unique_ptr<CPageServer> pageServer;
    {
        CPageContextLock lock(m_context);
        pageServer = std::make_unique<CPageServer>(m_context);
    }
    ServeConnection(*pageServer);
    if (m_countedIn) m_context.CountRequestingConnection(-1);
    try {
        m_socket.Close();
    } catch (CInvalidHttpSocket* caught) {
        TakeOwnership(caught);
    }
    engine_log::Log(Line::Optional, "Thread for CConnectionHandler finished");
}

void CConnectionHandler::ServeConnection(CPageServer& pageServer) {
    int idleAllowance = kIdleAllowanceSeconds;
    bool keepGoing = true;
    CRequestFramer framer;
    std::uint64_t requestDeadline = 0;
    while (idleAllowance > 0 && keepGoing && !m_context.StopFlag().IsSet()) {
        try {
            if (framer.HasWholeRequest()) {
                keepGoing = Answer(pageServer, framer.TakeRequest(), idleAllowance);
                continue;
            }
            if (framer.IsOverlong()) {
                AnswerOverlongRequest(framer.TakeAll());
                keepGoing = false;
                continue;
            }
            if (!framer.IsEmpty()) {
                keepGoing = ReadRestOfRequest(pageServer, framer, requestDeadline, idleAllowance);
                continue;
            }
            std::int64_t start = platform::SecondsNow();
            if (m_socket.HasData(static_cast<std::uint32_t>(idleAllowance) * 1000)) {
                char buffer[kReceiveBytes];
                int received = m_socket.Receive(buffer, sizeof buffer);
                if (received > 0) {
                    CountIn();
                    framer.Append(buffer, static_cast<std::size_t>(received));
                    requestDeadline = platform::MillisecondsNow() + kRequestCompletionMilliseconds;
                    continue;
                }
            }
            platform::SleepMilliseconds(kIdleSleepMilliseconds);
            SpendAllowance(idleAllowance, start);
        } catch (CInvalidHttpSocket* caught) {
            TakeOwnership(caught);
            keepGoing = false;
        } catch (CHttpSocketError* caught) {
            TakeOwnership(caught);
            keepGoing = false;
        }
    }
}

void CConnectionHandler::CountIn() {
    if (m_countedIn) return;
    m_context.CountRequestingConnection(+1);
    m_countedIn = true;
}

bool CConnectionHandler::ReadRestOfRequest(CPageServer& pageServer, CRequestFramer& framer,
                                           std::uint64_t deadline, int& idleAllowance) {
    std::uint64_t now = platform::MillisecondsNow();
    // A request that has begun but does not complete in time ends the connection unanswered.
    if (now >= deadline || !m_socket.HasData(static_cast<std::uint32_t>(deadline - now))) {
        return false;
    }
    char buffer[kReceiveBytes];
    int room = static_cast<int>(std::min(sizeof buffer, framer.RoomLeft()));
    int received = m_socket.Receive(buffer, room);
    if (received > 0) {
        framer.Append(buffer, static_cast<std::size_t>(received));
        return true;
    }
    // The peer stopped sending before its blank line: answer what it sent.
    return Answer(pageServer, framer.TakeAll(), idleAllowance);
}

bool CConnectionHandler::Answer(CPageServer& pageServer, const std::string& bytes,
                                int& idleAllowance) {
    CHttpRequest request;
    request.Parse(bytes.data(), static_cast<int>(bytes.size()));
    CHttpResponse response(StatusLineVersion(request.GetVersion()));
    std::string method = ToUpperAscii(request.GetMethod());
    std::string connection = ToUpperAscii(request.GetHeader("Connection"));

    if (method == "GET") {
        pageServer.Get(request, response);
    } else if (IsKnownOtherMethod(method)) {
        response.SetStatus(501);
    } else {
        response.SetStatus(501, "");
    }

    // A body is never read, so its bytes must not be taken for the next request.
    bool keepAlive = connection == "KEEP-ALIVE" && !m_context.StopFlag().IsSet() &&
                     !CRequestFramer::AnnouncesBody(bytes);
    if (keepAlive) {
        idleAllowance = kIdleAllowanceSeconds;
        response.SetHeader("Connection", "Keep-Alive");
        response.SetHeader("Keep-Alive", "timeout=" + std::to_string(idleAllowance) + ", max=100");
    } else {
        response.SetHeader("Connection", "Close");
    }
    response.SetHeader("Server", "tavrin/1.0");
    response.Write(m_socket);
    return keepAlive;
}

void CConnectionHandler::AnswerOverlongRequest(const std::string& bytes) {
    CHttpRequest request;
    request.Parse(bytes.data(), static_cast<int>(bytes.size()));
    CHttpResponse response(StatusLineVersion(request.GetVersion()));
    response.SetStatus(431, "");
    response.SetHeader("Connection", "Close");
    response.SetHeader("Server", "tavrin/1.0");
    response.Write(m_socket);
}
