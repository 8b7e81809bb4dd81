#include "integration/cups_caller_install.h"

#include <signal.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace integration {

namespace fs = std::filesystem;

std::string InstallCupsCaller(Installation& install, std::string* whyNot) {
    const harness::ProgramTarget& target = harness::TargetUnderTest();
    if (target.IsWine()) {
        *whyNot = "the CUPS caller is the native program";
        return "";
    }
    try {
        return install.Builder().InstallProgram(target.BuiltProgram("velkorcall"), "velkorcall");
    } catch (const std::runtime_error& error) {
        *whyNot = std::string(error.what()) + " (libcups was missing when it was configured)";
        return "";
    }
}

std::vector<int> ProcessesIn(const std::string& folder, const std::string& program) {
    std::vector<int> pids;
    std::error_code error;
    for (fs::directory_iterator entry("/proc", error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::error_code ignored;
        if (fs::read_symlink(entry->path() / "cwd", ignored).string() != folder) continue;
        if (!program.empty() && fs::read_symlink(entry->path() / "exe", ignored) != program)
            continue;
        pids.push_back(std::stoi(name));
    }
    return pids;
}

void EndProgramsRunningIn(const std::string& folder) {
    for (const int pid : ProcessesIn(folder)) kill(pid, SIGKILL);
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace integration
