#pragma once
// A throw-away installation of the engine for one test, in a fresh temporary folder: laid out
// by the harness's builder, with the engine of the target under test copied in and a "log"
// folder.

#include <string>
#include <utility>
#include <vector>

#include "harness/child_process.h"
#include "harness/installation_builder.h"
#include "harness/program_target.h"

namespace integration {

using harness::BackgroundChild;
using harness::ChildResult;
using harness::ProgramTarget;
using harness::TargetUnderTest;

/// Registry entries of an installation: installed modules (name -> directory) and supported
/// products (product key -> module name), in the order they are written.
struct RegistryEntries {
    std::vector<std::pair<std::string, std::string>> modules;
    std::vector<std::pair<std::string, std::string>> products;
    bool withSmmKey = true;
    bool withProductKey = true;
};

/// The engine's registry entries; the installation key is deleted first, so nothing an
/// earlier test left stays behind.
harness::RegistryFile EngineRegistry(const RegistryEntries& entries);

class Installation {
public:
    explicit Installation(const ProgramTarget& target);
    ~Installation();
    Installation(const Installation&) = delete;
    Installation& operator=(const Installation&) = delete;

    const std::string& Directory() const { return m_builder.Directory(); }
    std::string PathOf(const std::string& relative) const { return m_builder.PathOf(relative); }
    harness::InstallationBuilder& Builder() { return m_builder; }

    /// Replaces the installation's registry entries.
    void WriteRegistry(const RegistryEntries& entries);
    void WriteParams(const std::string& bytes) { m_builder.WriteParams(bytes); }
    void WriteModuleXml(const std::string& moduleDirectory, const std::string& bytes) {
        m_builder.WriteModuleXml(moduleDirectory, bytes);
    }
    void WriteFile(const std::string& relative, const std::string& bytes) {
        m_builder.WriteFile(relative, bytes);
    }
    bool Exists(const std::string& relative) const { return m_builder.Exists(relative); }
    void RemoveLogFolder() { m_builder.Remove("log"); }

    /// Runs the engine by its full path with the installation as working directory, to its
    /// end; `guardSeconds` only ends a hang.
    ChildResult RunEngine(double guardSeconds = 60);
    /// Starts the engine the same way, in the background.
    bool StartEngine(BackgroundChild& child) const;

    /// The log files in "log", by name.
    std::vector<std::string> LogFileNames() const;
    /// The text of the one log file, as far as it is written ("" while there is none).
    std::string LogText() const;
    /// The messages of the one log file, time stamps and line ends removed; fails the test
    /// when a line is not "<time stamp> TAB <message> CR LF".
    std::vector<std::string> LogMessages() const;

private:
    const ProgramTarget& m_target;
    harness::InstallationBuilder m_builder;
    std::string m_program;
};

}  // namespace integration
