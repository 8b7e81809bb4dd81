// How a start-up failure reaches the user: a log line, then an error page or a message box.

#include <string>

#include "base/log.h"
#include "engine/engine.h"
#include "engine/startup_failure_table.h"
#include "engine/startup_message.h"
#include "platform/program_strings.h"
#include "platform/user_shell.h"

using engine_log::Line;

namespace {

const char* const kUnknown = "<unknown>";
constexpr std::size_t kCaptionCharacters = 255;
constexpr std::size_t kTextCharacters = 1024;

// A log line holds one line of text.
std::string OnOneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    return text;
}

}  // namespace

void CEngine::ReportStartupFailure(int kind) {
    const StartupFailure* failure = StartupFailureOfKind(kind);
    if (failure == nullptr) {
        engine_log::Log(Line::Forced, "Found an unknown panic situation.");
        return;
    }
    auto value = [this](StartupValue wanted) -> std::string {
        const CModuleConfig* config = m_moduleConfig.get();
        switch (wanted) {
            case StartupValue::None:
                return std::string();
            case StartupValue::Module:
                return GetPageVariable("module");
            case StartupValue::ModuleDirectory:
                return config ? config->GetModuleDirectory() : kUnknown;
            case StartupValue::ProductNumberFile:
                return config ? config->GetProductNumberFile() : kUnknown;
            case StartupValue::PrinterType:
                return GetPageVariable("prttype");
            case StartupValue::PrinterAddress:
                return GetPageVariable("prtaddr");
            case StartupValue::ProductNumber:
                return GetPageVariable("prod-number");
            case StartupValue::ModuleName:
                return config ? config->GetModuleName() : kUnknown;
        }
        return std::string();
    };
    if (failure->logFormat != nullptr) {
        engine_log::Log(Line::Forced, failure->logFormat, value(failure->first),
                        value(failure->second));
    }
    switch (failure->notice) {
        case StartupNotice::None:
            break;
        case StartupNotice::MessageBox:
            ShowStartupMessage(failure->message);
            break;
        case StartupNotice::LocalPage:
        case StartupNotice::ServedPage:
            SetStartAddress(failure->page, failure->notice == StartupNotice::ServedPage);
            LaunchBrowser();
            break;
    }
}

void CEngine::ShowStartupMessage(int kind) {
    if (kind < 1 || kind > 8) return;
    const std::string caption =
        platform::LoadProgramString(kStartupMessageCaption, kCaptionCharacters);
    std::string text = platform::LoadProgramString(static_cast<unsigned>(kind), kTextCharacters);
    if (kind == 5) text = ModuleNotInstalledMessage(text, GetPageVariable("module"));
    // Without a desktop the message would be lost: the log keeps it.
    if (!platform::UserShell::System().ShowErrorMessage(caption, text)) {
        engine_log::Log(Line::Forced, "The message could not be shown: %1", OnOneLine(text));
    }
}
