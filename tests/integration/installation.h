#pragma once
// A throw-away installation of the engine for one test, in a fresh temporary folder: laid out
// by the harness's builder, with the engine of the target under test copied in and a "log"
// folder.

#include <functional>
#include <map>
#include <optional>
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
    /// Further entries of the same file (natively one file is the whole registry).
    std::function<void(harness::RegistryFile&)> more = nullptr;
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

    /// Replaces the installation's registry entries; the browser recorder installed beside
    /// the engine is the workstation's browser unless SetBrowserCommand said otherwise.
    void WriteRegistry(const RegistryEntries& entries);
    /// The "http" open command the next WriteRegistry registers instead of the recorder's.
    void SetBrowserCommand(const std::string& command) { m_browserCommand = command; }

    /// The addresses the browser was asked to open, once at least `atLeast` were (a browser
    /// starts after the engine asked for it; the wait only guards against a hang).
    std::vector<std::string> OpenedAddresses(std::size_t atLeast = 0) const;
    void ForgetOpenedAddresses() { m_builder.Remove("browser-opened.txt"); }
    /// A file of the installation as the engine names it: its own installation directory,
    /// then `relative` (written with backslashes) with the platform's separators.
    std::string EnginePathOf(const std::string& relative) const;
    void WriteParams(const std::string& bytes) { m_builder.WriteParams(bytes); }
    void WriteModuleXml(const std::string& moduleDirectory, const std::string& bytes) {
        m_builder.WriteModuleXml(moduleDirectory, bytes);
    }
    void WriteFile(const std::string& relative, const std::string& bytes) {
        m_builder.WriteFile(relative, bytes);
    }
    bool Exists(const std::string& relative) const { return m_builder.Exists(relative); }
    void RemoveLogFolder() { m_builder.Remove("log"); }
    /// An empty "log" folder again, so the next run's log is the only one.
    void ClearLog() {
        m_builder.Remove("log");
        m_builder.AddFolder("log");
    }

    /// Variables the engine runs with beyond the target's own (a display, a language).
    void SetEngineEnvironment(std::map<std::string, std::string> environment) {
        m_engineEnvironment = std::move(environment);
    }

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
    std::optional<std::string> m_browserCommand;
    std::map<std::string, std::string> m_engineEnvironment;

    std::map<std::string, std::string> EngineEnvironment() const;
};

}  // namespace integration
