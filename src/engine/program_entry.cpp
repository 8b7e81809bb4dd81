#include "engine/program_entry.h"

#include "engine/engine.h"
#include "platform/program.h"

std::string InstallationDirectoryOf(const std::string& programName) {
    const auto last = programName.rfind(platform::PathSeparator());
    return last == std::string::npos ? programName : programName.substr(0, last);
}

int RunEngineProgram(const std::string& programName) {
    CEngine engine;
    engine.SetInstallationDirectory(InstallationDirectoryOf(programName));
    if (engine.Initialize()) engine.Run();
    return 0;
}
