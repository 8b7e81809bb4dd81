#include "pages/command_run.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "base/abandoned_threads.h"
#include "base/tavrin_exception.h"
#include "base/win_thread.h"
#include "config/module_config.h"
#include "pages/page_context.h"
#include "pages/page_variables.h"
#include "pages/printer_port.h"
#include "pages/progress_monitor.h"
#include "pages/template_processor.h"
#include "platform/program.h"
#include "text/line_ends.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::uint64_t FileSize(const std::string& path) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    return error ? 0 : static_cast<std::uint64_t>(size);
}

/// Removes every CR and LF at the end, then cuts at the first NUL.
std::string TrimmedAnswer(const std::string& answer) {
    std::string text = WithoutTrailingLineEnds(answer);
    const std::size_t nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
    return text;
}

/// The port of one command, closed on every way out.
class OpenPort {
public:
    explicit OpenPort(CPrinterPort& port) : m_port(port) { m_port.Open(); }
    ~OpenPort() { m_port.Close(); }
    OpenPort(const OpenPort&) = delete;
    OpenPort& operator=(const OpenPort&) = delete;

private:
    CPrinterPort& m_port;
};

}  // namespace

bool IsLocalRegularFile(const std::string& path) {
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) return false;
    if (path.size() >= 3 && IsSeparator(path[0]) && path[1] == '?' && path[2] == '?') {
        return false;
    }
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

CCommandRun::CCommandRun(CPageContext& context, const CModuleConfig& module,
                         const CCommand& command, CPrinterPort* printerPort, TextMap& pageVariables,
                         TextMap& requestParameters, TextMap& responseVariables)
    : m_context(context),
      m_module(module),
      m_command(command),
      m_printerPort(printerPort),
      m_pageVariables(pageVariables),
      m_requestParameters(requestParameters),
      m_responseVariables(responseVariables) {}

std::string CCommandRun::RequestParameter(const std::string& name) const {
    auto found = m_requestParameters.find(name);
    return found == m_requestParameters.end() ? std::string() : found->second;
}

TextMap CCommandRun::CommandVariables(const TextMap& extraInformation) {
    CPageContextLock hold(m_context);
    return BuildCommandVariables(m_pageVariables, m_requestParameters, extraInformation);
}

void CCommandRun::Run() {
    const std::string requested = RequestParameter("file-to-send");
    const bool absolute = RequestParameter("abs") == "1" && !requested.empty();

    std::string path;
    std::string location;  // where the file is opened, in the platform's own form
    std::uint64_t size = 0;
    if (absolute) {
        path = requested;
        location = path;
        size = FileSize(location);
    } else {
        const std::string name = requested.empty() ? m_command.fileToSend : requested;
        path = m_module.GetModuleDirectory() + "\\vw\\" + name;
        location = platform::WithPlatformSeparators(path);
        size = FileSize(
            platform::WithPlatformSeparators(m_context.InstallationDirectory() + "\\" + path));
    }
    m_responseVariables["file-to-send"] = path;

    // A page may name any file with "abs": only a regular file of this computer is sent, so no
    // page can make the engine read a device or reach into another computer's share.
    if (absolute && !IsLocalRegularFile(location)) throw new CFileToSendDoesNotExist;
    std::ifstream file(location, std::ios::in | std::ios::binary);
    if (!file.is_open()) throw new CFileToSendDoesNotExist;

    TextMap extraInformation;
    if (m_command.requiresExtraXmlInfo) m_context.CollectSystemInfo(extraInformation);

    std::istream* data = &file;
    std::stringstream expanded(std::ios::in | std::ios::out | std::ios::binary);
    if (m_command.parseFile) {
        TextMap variables = CommandVariables(extraInformation);
        CTemplateProcessor(m_context, variables).Expand(file, expanded);
        expanded.seekg(0);
        data = &expanded;
    }
    m_extraInformation = std::move(extraInformation);

    CPrinterPort* port = m_printerPort;
    if (m_command.onlyLpt1) {
        m_lpt1 = std::make_shared<CPrinterPort>();
        m_lpt1->SetUpFrom("parallel", "", "LPT1");
        port = m_lpt1.get();
    }
    if (port == nullptr || port->IsOpen()) throw new CCannotOpenPrinterPort;

    if (m_command.backchannelLength != 0) {
        SendWithAnswer(*port, *data);
    } else if (m_command.displayProgress) {
        SendWithProgress(*port, *data, size);
    } else {
        OpenPort open(*port);
        port->SendFile(*data, m_command.writeTimeout, 0);
    }
}

void CCommandRun::SendWithAnswer(CPrinterPort& port, std::istream& data) {
    std::stringstream answer(std::ios::in | std::ios::out | std::ios::binary);
    {
        OpenPort open(port);
        port.SendThenRead(data, m_command.writeTimeout, answer, m_command.readTimeout,
                          m_command.backchannelLength);
    }
    std::string text;
    if (m_command.parseBackchannel) {
        TextMap variables = CommandVariables(m_extraInformation);
        std::ostringstream expanded(std::ios::out | std::ios::binary);
        answer.seekg(0);
        CTemplateProcessor(m_context, variables).Expand(answer, expanded);
        text = expanded.str();
    } else {
        text = answer.str();
    }
    m_responseVariables[m_command.backchannelName] = TrimmedAnswer(text);
}

void CCommandRun::SendWithProgress(CPrinterPort& port, std::istream& data, std::uint64_t size) {
    OpenPort open(port);
    port.SetProgress(CPrinterPort::kSendDirection, 0);
    auto monitor =
        std::make_shared<CProgressMonitor>(m_context, port, CPrinterPort::kSendDirection);
    std::unique_ptr<CWinThread> thread = m_context.NewThread(*monitor);
    const bool watched = thread && thread->Start() != nullptr;

    bool succeeded = false;
    auto finish = [&] {
        if (!watched) {
            m_context.SetPageVariable("data-send-progress", succeeded ? "100" : "-1");
            m_context.SetPageVariable("data-transfer-status", succeeded ? "done" : "error");
            return;
        }
        monitor->SendEnded(succeeded);
        if (monitor->WaitUntilDone(std::chrono::milliseconds(kMonitorEndWaitMs))) {
            thread->Wait();
        } else {
            // The monitor is stuck behind a lock; it is left to finish by itself, never killed,
            // and the page says the transfer's end is unknown.
            m_context.SetPageVariable("data-send-progress", "-1");
            m_context.SetPageVariable("data-transfer-status", "error");
            port.SetProgress(CPrinterPort::kSendDirection, 0);
            AbandonThread(std::move(thread), {monitor, m_lpt1});
        }
        if (!succeeded) {
            m_context.SetPageVariable("data-send-progress", "-1");
            m_context.SetPageVariable("data-transfer-status", "error");
        }
    };
    try {
        port.SendFile(data, m_command.writeTimeout, size);
        succeeded = true;
    } catch (...) {
        finish();
        throw;
    }
    finish();
}
