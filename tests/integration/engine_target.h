#pragma once
// Which engine an integration test drives: this build's own, or the Windows build's
// velkor.exe under Wine. The same tests run against both.

#include <string>
#include <vector>

namespace integration {

struct EngineTarget {
    std::string name;           // "native" or "wine"
    std::string programPath;    // the built engine
    std::string programFile;    // its file name inside an installation
    std::string winePrefix;     // empty for native
    bool IsWine() const { return !winePrefix.empty(); }

    /// The command that starts a program (wine64 in front for Wine).
    std::vector<std::string> Command(const std::string& program,
                                     const std::vector<std::string>& arguments = {}) const;
};

/// The target chosen by the VELKOR_TARGET environment variable ("native" when unset).
/// Fails the calling test when that target was not built.
const EngineTarget& TargetUnderTest();

}  // namespace integration
