#pragma once
// Which build of a deliverable a test or script drives, and how it is started: this build's
// own program, or the Windows build's under Wine. Every Wine run gets its environment here.

#include <map>
#include <string>
#include <vector>

namespace harness {

class ProgramTarget {
public:
    enum class Kind { Native, Wine };

    explicit ProgramTarget(Kind kind) : m_kind(kind) {}
    /// "native" or "wine"; throws std::runtime_error for anything else.
    static ProgramTarget Named(const std::string& name);

    Kind GetKind() const { return m_kind; }
    bool IsWine() const { return m_kind == Kind::Wine; }
    const char* Name() const { return IsWine() ? "wine" : "native"; }

    /// The program's file name inside an installation ("velkor" or "velkor.exe").
    std::string FileName(const std::string& program) const;
    /// Where the build put `program` (e.g. "velkor"), unless VELKOR_NATIVE_PROGRAMS or
    /// VELKOR_WINDOWS_PROGRAMS ("name=path|name=path") names another file. Throws
    /// std::runtime_error when there is none.
    std::string BuiltProgram(const std::string& program) const;

    /// The command that starts the program file `path` (wine64 in front for Wine).
    std::vector<std::string> Command(const std::string& path,
                                     const std::vector<std::string>& arguments = {}) const;
    /// What every run of this target adds to the environment: for Wine the prefix, no debug
    /// channels and no menu builder (it would write into the home folder).
    std::map<std::string, std::string> Environment() const;
    /// The Wine prefix: WINEPREFIX when set (the scripts set it for the tree they run),
    /// else the configured Windows build tree's own. Throws std::runtime_error when neither.
    std::string WinePrefix() const;
    /// How the program sees the absolute host path `path` (Wine maps "/" to drive Z:).
    std::string PathAsSeen(const std::string& path) const;

private:
    Kind m_kind;
};

/// The target named by VELKOR_TARGET ("native" when unset).
const ProgramTarget& TargetUnderTest();

/// The Wine loader: WINE64, else the Debian package's.
std::string WineLoader();

}  // namespace harness
