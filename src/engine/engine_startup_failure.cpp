// How a start-up failure reaches the user: a log line, then an error page or a message box.

#include "engine/engine.h"
#include "engine/log.h"

using engine_log::Line;

namespace {

const char* const kUnknown = "<unknown>";

}  // namespace

void CEngine::ReportStartupFailure(int kind) {
    const std::string moduleDirectory =
        m_moduleConfig ? m_moduleConfig->GetModuleDirectory() : kUnknown;
    const std::string moduleName = m_moduleConfig ? m_moduleConfig->GetModuleName() : kUnknown;
    const std::string productNumberFile =
        m_moduleConfig ? m_moduleConfig->GetProductNumberFile() : kUnknown;

    // The error page (kinds 9-14) and message box (kinds 1-8) that follow each line are
    // presented by the start-up failure layer, which comes with the browser launch.
    switch (kind) {
        case 0:
            engine_log::Log(Line::Forced, "Caught unknown exception!");
            break;
        case 1:
            engine_log::Log(Line::Forced, "There is no SMM installed on the computer.");
            break;
        case 2:
            engine_log::Log(Line::Forced, "None of the SMM installed has support for any printer.");
            break;
        case 3:
            engine_log::Log(Line::Forced, "The params file has not been found.");
            break;
        case 4:
            engine_log::Log(Line::Forced, "The params file is not correctly formatted.");
            break;
        case 5:
            engine_log::Log(Line::Forced,
                            "The module %1 requested in the params file is not installed.",
                            GetPageVariable("module"));
            break;
        case 6:
            engine_log::Log(Line::Forced, "The %1\\module.xml file has not been found.",
                            moduleDirectory);
            break;
        case 7:
            engine_log::Log(Line::Forced, "The %1\\module.xml file is not correctly formatted.",
                            moduleDirectory);
            break;
        case 8:
            engine_log::Log(Line::Forced, "The %1\\vw\\%2 file has not been found.",
                            moduleDirectory, productNumberFile);
            break;
        case 9:
            engine_log::Log(Line::Forced,
                            "The %1 channel %2 used cannot be opened while retrieving the "
                            "product number.",
                            GetPageVariable("prttype"), GetPageVariable("prtaddr"));
            break;
        case 10:
            engine_log::Log(Line::Forced,
                            "The printer with product number %1 is not supported by module '%2'.",
                            GetPageVariable("prod-number"), moduleName);
            break;
        case 11:
            engine_log::Log(Line::Forced,
                            "The port 8190 is being used by other application that is not a sme.");
            break;
        case 12:
            engine_log::Log(Line::Forced,
                            "The port 8190 is being used by other sme with a different module");
            break;
        case 13:
            engine_log::Log(Line::Forced,
                            "The port 8190 is being used by other sme with the same module but "
                            "different printer");
            break;
        case 14:
            break;
        default:
            engine_log::Log(Line::Forced, "Found an unknown panic situation.");
            break;
    }
}

// The localised message boxes of kinds 1 to 8 come with the start-up failure layer.
void CEngine::ShowStartupMessage(int) {}
