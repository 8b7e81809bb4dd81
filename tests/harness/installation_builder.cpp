#include "harness/installation_builder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "harness/child_process.h"

namespace fs = std::filesystem;

namespace harness {

namespace {

std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

std::string ValueName(const std::string& name) { return name.empty() ? "@" : Quoted(name); }

}  // namespace

RegistryFile& RegistryFile::DeleteKey(const std::string& key) {
    m_sections.push_back({true, key, {}});
    return *this;
}

RegistryFile& RegistryFile::AddKey(const std::string& key) {
    ValuesOf(key);
    return *this;
}

RegistryFile& RegistryFile::SetString(const std::string& key, const std::string& name,
                                      const std::string& value) {
    ValuesOf(key).lines.push_back(ValueName(name) + "=" + Quoted(value));
    return *this;
}

RegistryFile& RegistryFile::SetDword(const std::string& key, const std::string& name,
                                     std::uint32_t value) {
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08x", value);
    ValuesOf(key).lines.push_back(ValueName(name) + "=dword:" + hex);
    return *this;
}

RegistryFile& RegistryFile::DeleteValue(const std::string& key, const std::string& name) {
    ValuesOf(key).lines.push_back(ValueName(name) + "=-");
    return *this;
}

RegistryFile::Section& RegistryFile::ValuesOf(const std::string& key) {
    // Values join the key's latest section unless a deletion came after it.
    for (auto it = m_sections.rbegin(); it != m_sections.rend(); ++it) {
        if (it->key != key) continue;
        if (!it->deleted) return *it;
        break;
    }
    m_sections.push_back({false, key, {}});
    return m_sections.back();
}

std::string RegistryFile::Text() const {
    std::string text = "Windows Registry Editor Version 5.00\r\n\r\n";
    for (const Section& section : m_sections) {
        text += (section.deleted ? "[-" : "[") + section.key + "]\r\n";
        for (const std::string& line : section.lines) text += line + "\r\n";
        text += "\r\n";
    }
    return text;
}

InstallationBuilder::InstallationBuilder(std::string directory)
    : m_directory(std::move(directory)) {
    fs::create_directories(m_directory);
}

std::string InstallationBuilder::InstallProgram(const std::string& source,
                                                const std::string& fileName) {
    const std::string path = PathOf(fileName);
    fs::copy_file(source, path, fs::copy_options::overwrite_existing);
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::add);
    return path;
}

std::string InstallationBuilder::InstallProgram(const ProgramTarget& target,
                                                const std::string& program) {
    return InstallProgram(target.BuiltProgram(program), target.FileName(program));
}

void InstallationBuilder::Copy(const std::string& source, const std::string& relative) {
    const fs::path destination = PathOf(relative);
    fs::create_directories(destination.parent_path());
    fs::copy(source, destination,
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

void InstallationBuilder::WriteFile(const std::string& relative, const std::string& bytes) {
    fs::create_directories(fs::path(PathOf(relative)).parent_path());
    std::ofstream out(PathOf(relative), std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out.flush()) throw std::runtime_error("cannot write " + PathOf(relative));
}

void InstallationBuilder::WriteModuleXml(const std::string& moduleDirectory,
                                         const std::string& bytes) {
    WriteFile(moduleDirectory + "/module.xml", bytes);
}

void InstallationBuilder::AddFolder(const std::string& relative) {
    fs::create_directories(PathOf(relative));
}

void InstallationBuilder::Remove(const std::string& relative) { fs::remove_all(PathOf(relative)); }

bool InstallationBuilder::Exists(const std::string& relative) const {
    return fs::exists(PathOf(relative));
}

void InstallationBuilder::WriteRegistry(const RegistryFile& entries, const ProgramTarget& target) {
    if (!target.IsWine()) {
        WriteFile("registry.reg", entries.Text());
        return;
    }
    WriteFile("registry-import.reg", entries.Text());
    // Wine's first start of a prefix can take a minute; this guards only against a hang.
    const ChildResult imported = RunChild(target.Command("reg", {"import", "registry-import.reg"}),
                                          m_directory, target.Environment(), 120);
    if (imported.exitCode != 0) {
        throw std::runtime_error("wine64 reg import failed (exit " +
                                 std::to_string(imported.exitCode) + "): " + imported.output);
    }
}

}  // namespace harness
