// How a start-up failure reaches the user: a log line, then an error page or a message box.

#include "base/log.h"
#include "engine/engine.h"
#include "engine/startup_failure_table.h"

using engine_log::Line;

namespace {

const char* const kUnknown = "<unknown>";

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

// The localised message boxes come with the user-facing start-up; until then a failure that
// needs one is only logged.
void CEngine::ShowStartupMessage(int) {}
