// How a start-up failure reaches the user: a log line, then an error page or a message box.

#include "engine/engine.h"
#include "engine/log.h"

using engine_log::Line;

namespace {

const char* const kUnknown = "<unknown>";

/// What the two placeholders of a failure's log line stand for.
enum class Argument {
    None,
    Module,
    ModuleDirectory,
    ProductNumberFile,
    PrinterType,
    PrinterAddress,
    ProductNumber,
    ModuleName
};

struct FailureLine {
    const char* format;  // null: the kind writes no line
    Argument first;
    Argument second;
};

// By failure kind, 0 to 14.
const FailureLine kFailureLines[] = {
    {"Caught unknown exception!", Argument::None, Argument::None},
    {"There is no SMM installed on the computer.", Argument::None, Argument::None},
    {"None of the SMM installed has support for any printer.", Argument::None, Argument::None},
    {"The params file has not been found.", Argument::None, Argument::None},
    {"The params file is not correctly formatted.", Argument::None, Argument::None},
    {"The module %1 requested in the params file is not installed.", Argument::Module,
     Argument::None},
    {"The %1\\module.xml file has not been found.", Argument::ModuleDirectory, Argument::None},
    {"The %1\\module.xml file is not correctly formatted.", Argument::ModuleDirectory,
     Argument::None},
    {"The %1\\vw\\%2 file has not been found.", Argument::ModuleDirectory,
     Argument::ProductNumberFile},
    {"The %1 channel %2 used cannot be opened while retrieving the product number.",
     Argument::PrinterType, Argument::PrinterAddress},
    {"The printer with product number %1 is not supported by module '%2'.", Argument::ProductNumber,
     Argument::ModuleName},
    {"The port 8190 is being used by other application that is not a sme.", Argument::None,
     Argument::None},
    {"The port 8190 is being used by other sme with a different module", Argument::None,
     Argument::None},
    {"The port 8190 is being used by other sme with the same module but different printer",
     Argument::None, Argument::None},
    {nullptr, Argument::None, Argument::None},
};

}  // namespace

void CEngine::ReportStartupFailure(int kind) {
    const int kinds = static_cast<int>(sizeof kFailureLines / sizeof kFailureLines[0]);
    if (kind < 0 || kind >= kinds) {
        engine_log::Log(Line::Forced, "Found an unknown panic situation.");
        return;
    }
    const FailureLine& failure = kFailureLines[kind];
    auto value = [this](Argument argument) -> std::string {
        const CModuleConfig* config = m_moduleConfig.get();
        switch (argument) {
            case Argument::None:
                return std::string();
            case Argument::Module:
                return GetPageVariable("module");
            case Argument::ModuleDirectory:
                return config ? config->GetModuleDirectory() : kUnknown;
            case Argument::ProductNumberFile:
                return config ? config->GetProductNumberFile() : kUnknown;
            case Argument::PrinterType:
                return GetPageVariable("prttype");
            case Argument::PrinterAddress:
                return GetPageVariable("prtaddr");
            case Argument::ProductNumber:
                return GetPageVariable("prod-number");
            case Argument::ModuleName:
                return config ? config->GetModuleName() : kUnknown;
        }
        return std::string();
    };
    // The error page (kinds 9-14) and message box (kinds 1-8) that follow each line are
    // presented by the start-up failure layer, which comes with the browser launch.
    if (failure.format != nullptr)
        engine_log::Log(Line::Forced, failure.format, value(failure.first), value(failure.second));
}

// The localised message boxes of kinds 1 to 8 come with the start-up failure layer.
void CEngine::ShowStartupMessage(int) {}
