#include "integration/engine_target.h"

#include <cstdlib>
#include <stdexcept>

namespace integration {

namespace {

std::string WineLoader() {
    const char* configured = std::getenv("WINE64");
    if (configured && *configured) return configured;
    return "/usr/lib/wine/wine64";
}

EngineTarget MakeTarget() {
    const char* chosen = std::getenv("VELKOR_TARGET");
    const std::string name = chosen && *chosen ? chosen : "native";
    if (name == "native") return {"native", VELKOR_NATIVE_ENGINE, "velkor", ""};
    if (name == "wine") {
        const std::string program = VELKOR_WINDOWS_ENGINE;
        if (program.empty()) throw std::runtime_error("no Windows build was configured");
        return {"wine", program, "velkor.exe", VELKOR_WINEPREFIX};
    }
    throw std::runtime_error("unknown VELKOR_TARGET " + name);
}

}  // namespace

std::vector<std::string> EngineTarget::Command(const std::string& program,
                                               const std::vector<std::string>& arguments) const {
    std::vector<std::string> command;
    if (IsWine()) command.push_back(WineLoader());
    command.push_back(program);
    command.insert(command.end(), arguments.begin(), arguments.end());
    return command;
}

const EngineTarget& TargetUnderTest() {
    static const EngineTarget target = MakeTarget();
    return target;
}

}  // namespace integration
