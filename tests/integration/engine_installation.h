#pragma once
// A throw-away installation laid out like a real one: the engine program, its registry
// entries, module folders, a params file and a "log" folder, in a fresh temporary folder.

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "integration/child_process.h"
#include "integration/engine_target.h"

namespace integration {

/// Registry entries of an installation: installed modules (name -> directory) and supported
/// products (product key -> module name), in the order they are written.
struct RegistryEntries {
    std::vector<std::pair<std::string, std::string>> modules;
    std::vector<std::pair<std::string, std::string>> products;
    bool withSmmKey = true;
    bool withProductKey = true;
};

/// The ".reg" text for the entries; it first deletes whatever an earlier test left.
std::string RegistryFileText(const RegistryEntries& entries);

class EngineInstallation {
public:
    explicit EngineInstallation(const EngineTarget& target);
    ~EngineInstallation();
    EngineInstallation(const EngineInstallation&) = delete;
    EngineInstallation& operator=(const EngineInstallation&) = delete;

    const std::string& Directory() const { return m_directory; }
    std::string PathOf(const std::string& relative) const { return m_directory + "/" + relative; }

    /// Replaces the installation's registry entries (the POSIX store beside the program, or
    /// Wine's registry).
    void WriteRegistry(const RegistryEntries& entries);
    void WriteParams(const std::string& bytes) { WriteFile("params", bytes); }
    void WriteModuleXml(const std::string& moduleDirectory, const std::string& bytes);
    void WriteFile(const std::string& relative, const std::string& bytes);
    bool Exists(const std::string& relative) const;
    void RemoveLogFolder();

    /// Starts the engine by its full path with the installation as working directory.
    ChildResult RunEngine(int timeoutSeconds = 60);
    /// Starts the engine the same way, in the background.
    bool StartEngine(BackgroundChild& child) const;

    /// The log files in "log", by name.
    std::vector<std::string> LogFileNames() const;
    /// The messages of the one log file, time stamps and line ends removed; fails the test
    /// when a line is not "<time stamp> TAB <message> CR LF".
    std::vector<std::string> LogMessages() const;

private:
    std::map<std::string, std::string> Environment() const;

    const EngineTarget& m_target;
    std::string m_directory;
};

}  // namespace integration
