#pragma once
// Lays out an installation the way the installer would: programs, registry entries, module
// folders, a params file and log folders. The integration tests, the demo and the browser
// tests all lay out theirs through this one builder (the scripts through lay_installation).

#include <cstdint>
#include <string>
#include <vector>

#include "harness/program_target.h"

namespace harness {

/// Registry entries in the ".reg" export format ("Windows Registry Editor Version 5.00"):
/// what the POSIX store reads and what `wine64 reg import` takes.
class RegistryFile {
public:
    /// Deletes `key` and everything below it, so what follows starts clean.
    RegistryFile& DeleteKey(const std::string& key);
    /// Creates `key` even when no value is set in it.
    RegistryFile& AddKey(const std::string& key);
    /// A string value; an empty `name` is the key's default value.
    RegistryFile& SetString(const std::string& key, const std::string& name,
                            const std::string& value);
    RegistryFile& SetDword(const std::string& key, const std::string& name, std::uint32_t value);
    /// Removes a value, so a shared registry (Wine's) is left as a test found it.
    RegistryFile& DeleteValue(const std::string& key, const std::string& name);

    bool IsEmpty() const { return m_sections.empty(); }
    /// The file's text, CR LF line ends.
    std::string Text() const;

private:
    struct Section {
        bool deleted;
        std::string key;
        std::vector<std::string> lines;
    };
    Section& ValuesOf(const std::string& key);

    std::vector<Section> m_sections;
};

class InstallationBuilder {
public:
    /// Lays out in `directory`, creating it when missing.
    explicit InstallationBuilder(std::string directory);

    const std::string& Directory() const { return m_directory; }
    std::string PathOf(const std::string& relative) const { return m_directory + "/" + relative; }

    /// Copies the file `source` in as `fileName`, executable; returns its path.
    std::string InstallProgram(const std::string& source, const std::string& fileName);
    /// Copies the built `program` of `target` in under its file name; returns its path.
    std::string InstallProgram(const ProgramTarget& target, const std::string& program);
    /// Copies a file or a folder tree in as `relative`.
    void Copy(const std::string& source, const std::string& relative);
    void WriteFile(const std::string& relative, const std::string& bytes);
    void WriteModuleXml(const std::string& moduleDirectory, const std::string& bytes);
    void WriteParams(const std::string& bytes) { WriteFile("params", bytes); }
    /// An empty folder, e.g. "log" (the engine's) or "Log" (the other programs').
    void AddFolder(const std::string& relative);
    void Remove(const std::string& relative);
    bool Exists(const std::string& relative) const;

    /// Puts `entries` where programs of `target` read the registry: the POSIX store
    /// "registry.reg" beside the program, or Wine's registry (`wine64 reg import` in the
    /// target's prefix). Throws std::runtime_error, with Wine's output, when that fails.
    void WriteRegistry(const RegistryFile& entries, const ProgramTarget& target);

private:
    std::string m_directory;
};

}  // namespace harness
