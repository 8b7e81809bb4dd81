#include <memory>
#include <string>

#include "base/tavrin_exception.h"
#include "engine/running_engine_probe.h"
#include "http/http_response.h"
#include "http/object_factory.h"
#include "http/win_http_socket.h"
#include "platform/clock.h"
#include "text/url_coding.h"

namespace {

constexpr std::uint32_t kLoopbackAddress = 0x7F000001;
constexpr int kProbeBudget = 5;
constexpr unsigned kProbePauseMilliseconds = 100;
constexpr int kProbeReceiveBytes = 1024;

/// Reads the other server's answer until it stops sending or has been silent for about five
/// seconds.
std::string ReadProbeAnswer(CWinHttpSocket& socket) {
    std::string answer;
    int budget = kProbeBudget;
    bool lastReadGaveData = true;
    try {
        while (budget > 0 && lastReadGaveData) {
            std::int64_t start = platform::SecondsNow();
            // The budget counts seconds but the wait takes milliseconds: each wait is short
            // and the pauses below make up the five seconds.
            if (socket.HasData(static_cast<std::uint32_t>(budget))) {
                char buffer[kProbeReceiveBytes];
                int received = socket.Receive(buffer, sizeof buffer);
                lastReadGaveData = received > 0;
                if (received > 0) answer.append(buffer, static_cast<std::size_t>(received));
            } else {
                platform::SleepMilliseconds(kProbePauseMilliseconds);
                std::int64_t elapsed = platform::SecondsNow() - start;
                budget = elapsed > budget ? 0 : budget - static_cast<int>(elapsed);
            }
        }
    } catch (CHttpSocketError* caught) {
        TakeOwnership(caught);
    }
    return answer;
}

}  // namespace

void CRunningEngineProbe::Probe(const std::string& moduleName, const std::string& printerAddress) {
    std::unique_ptr<CWinHttpSocket> socket(m_factory.CreateSocket());
    socket->Create();
    socket->Connect(kLoopbackAddress, m_port);
    std::string request = "GET tavrin_module.html?module=" + UrlEncode(moduleName) +
                          "&prtaddr=" + UrlEncode(printerAddress) +
                          " HTTP/1.1\r\nConnection: Close\r\n\r\n";
    socket->Send(request.data(), static_cast<int>(request.size()));
    std::string answer = ReadProbeAnswer(*socket);
    socket->Close();
    socket.reset();

    CHttpResponse response("");
    response.Parse(answer.data(), static_cast<int>(answer.size()));
    if (response.GetHeader("Server").find("tavrin") == std::string::npos) {
        throw new CTavrinPortInUse;
    }
    if (response.GetStatus() == 200) return;
    if (response.GetStatus() == 409) {
        if (response.GetReason() == "module") throw new CTavrinEngineInUse;
        if (response.GetReason() == "address") throw new CTavrinModuleInUse;
    }
    throw new CTavrinPortInUse;
}
