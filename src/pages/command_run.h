#pragma once
/// One printer command carried out for one request: find the command file, expand it when
/// asked, send it through the printer port (with its answer read back, or with its progress
/// published), and leave the outcome in the response variables.

#include <cstdint>
#include <istream>
#include <memory>
#include <string>

#include "base/runnable.h"
#include "config/command.h"
#include "text/text_map.h"

class CModuleConfig;
class CPageContext;
class CPrinterPort;

class CCommandRun : public CRunnable {
public:
    /// Nothing is owned; `printerPort` may be null (no printer port: the command cannot open
    /// one).
    CCommandRun(CPageContext& context, const CModuleConfig& module, const CCommand& command,
                CPrinterPort* printerPort, TextMap& pageVariables, TextMap& requestParameters,
                TextMap& responseVariables);

    /// Returns on success; throws `CFileToSendDoesNotExist`, `CCannotOpenPrinterPort`,
    /// `CTimeoutSendingFileToPrinter` or `CTimeoutReadingBackchannelFromPrinter`.
    void Run() override;

    /// How long a finished send waits for its progress monitor's last word.
    static constexpr int kMonitorEndWaitMs = 2000;

private:
    void SendWithAnswer(CPrinterPort& port, std::istream& data);
    void SendWithProgress(CPrinterPort& port, std::istream& data, std::uint64_t size);
    TextMap CommandVariables(const TextMap& extraInformation);
    /// Looked up without adding it, so the page still sees the response variable.
    std::string RequestParameter(const std::string& name) const;

    CPageContext& m_context;
    const CModuleConfig& m_module;
    const CCommand& m_command;
    CPrinterPort* m_printerPort;
    TextMap& m_pageVariables;
    TextMap& m_requestParameters;
    TextMap& m_responseVariables;
    TextMap m_extraInformation;
    // The temporary "LPT1" port of an only-lpt1 command; shared with a monitor that overran.
    std::shared_ptr<CPrinterPort> m_lpt1;
};

/// True when `path` may be sent on a page's word ("abs" 1): a regular file of this computer.
/// A share of another computer (a path that begins with two separators) and the device and
/// raw namespaces ("\\.\", "\\?\", "\??\") never are.
bool IsLocalRegularFile(const std::string& path);
