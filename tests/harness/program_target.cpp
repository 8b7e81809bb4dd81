#include "harness/program_target.h"

#include <cstdlib>
#include <stdexcept>

namespace harness {

namespace {

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

/// Looks `program` up in "name=path|name=path".
std::string Lookup(const std::string& table, const std::string& program) {
    std::size_t start = 0;
    while (start < table.size()) {
        std::size_t end = table.find('|', start);
        if (end == std::string::npos) end = table.size();
        const std::string entry = table.substr(start, end - start);
        const std::size_t equals = entry.find('=');
        if (equals != std::string::npos && entry.substr(0, equals) == program)
            return entry.substr(equals + 1);
        start = end + 1;
    }
    return "";
}

}  // namespace

ProgramTarget ProgramTarget::Named(const std::string& name) {
    if (name == "native") return ProgramTarget(Kind::Native);
    if (name == "wine") return ProgramTarget(Kind::Wine);
    throw std::runtime_error("unknown target \"" + name + "\" (native or wine)");
}

std::string ProgramTarget::FileName(const std::string& program) const {
    return IsWine() ? program + ".exe" : program;
}

std::string ProgramTarget::BuiltProgram(const std::string& program) const {
    const char* override = IsWine() ? "VELKOR_WINDOWS_PROGRAMS" : "VELKOR_NATIVE_PROGRAMS";
    std::string path = Lookup(Variable(override), program);
    if (path.empty())
        path = Lookup(IsWine() ? VELKOR_WINDOWS_PROGRAMS : VELKOR_NATIVE_PROGRAMS, program);
    if (path.empty()) {
        throw std::runtime_error(std::string("no ") + Name() + " build of " + program +
                                 " was configured (set " + override + ")");
    }
    return path;
}

std::vector<std::string> ProgramTarget::Command(const std::string& path,
                                                const std::vector<std::string>& arguments) const {
    std::vector<std::string> command;
    if (IsWine()) command.push_back(WineLoader());
    command.push_back(path);
    command.insert(command.end(), arguments.begin(), arguments.end());
    return command;
}

std::map<std::string, std::string> ProgramTarget::Environment() const {
    if (!IsWine()) return {};
    return {{"WINEPREFIX", WinePrefix()},
            {"WINEDEBUG", "-all"},
            {"WINEDLLOVERRIDES", "winemenubuilder.exe=d"}};
}

std::string ProgramTarget::WinePrefix() const {
    for (const std::string& prefix :
         {Variable("WINEPREFIX"), std::string(VELKOR_BUILD_WINEPREFIX)}) {
        if (!prefix.empty()) return prefix;
    }
    throw std::runtime_error("no Wine prefix: set WINEPREFIX or configure a Windows build");
}

std::string ProgramTarget::PathAsSeen(const std::string& path) const {
    if (!IsWine()) return path;
    std::string seen = "Z:";
    for (char c : path) seen += c == '/' ? '\\' : c;
    return seen;
}

const ProgramTarget& TargetUnderTest() {
    static const ProgramTarget target = ProgramTarget::Named(
        Variable("VELKOR_TARGET").empty() ? "native" : Variable("VELKOR_TARGET"));
    return target;
}

std::string WineLoader() {
    const std::string configured = Variable("WINE64");
    return configured.empty() ? "/usr/lib/wine/wine64" : configured;
}

}  // namespace harness
