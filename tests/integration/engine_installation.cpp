#include "integration/engine_installation.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

namespace fs = std::filesystem;

namespace integration {

namespace {

const char* const kInstallationKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvik\\Plotara TroubleShooter";

std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

}  // namespace

std::string RegistryFileText(const RegistryEntries& entries) {
    std::string text = "Windows Registry Editor Version 5.00\r\n\r\n";
    text += "[-" + std::string(kInstallationKey) + "]\r\n\r\n";
    text += "[" + std::string(kInstallationKey) + "]\r\n\"PATH\"=\"C:\\\\velkor\"\r\n\r\n";
    if (entries.withSmmKey) {
        text += "[" + std::string(kInstallationKey) + "\\SMM]\r\n";
        for (const auto& [name, directory] : entries.modules)
            text += Quoted(name) + "=" + Quoted(directory) + "\r\n";
        text += "\r\n";
    }
    if (entries.withProductKey) {
        text += "[" + std::string(kInstallationKey) + "\\ProdNumbers]\r\n";
        for (const auto& [product, module] : entries.products)
            text += Quoted(product) + "=" + Quoted(module) + "\r\n";
        text += "\r\n";
    }
    return text;
}

EngineInstallation::EngineInstallation(const EngineTarget& target) : m_target(target) {
    std::string pathTemplate = (fs::temp_directory_path() / "velkor-install-XXXXXX").string();
    if (mkdtemp(pathTemplate.data()) == nullptr) throw std::runtime_error("no temporary folder");
    m_directory = pathTemplate;
    fs::copy_file(target.programPath, PathOf(target.programFile));
    fs::permissions(PathOf(target.programFile), fs::perms::owner_all, fs::perm_options::add);
    fs::create_directory(PathOf("log"));
}

EngineInstallation::~EngineInstallation() {
    std::error_code ignored;
    fs::remove_all(m_directory, ignored);
}

void EngineInstallation::WriteRegistry(const RegistryEntries& entries) {
    const std::string text = RegistryFileText(entries);
    if (!m_target.IsWine()) {
        WriteFile("registry.reg", text);
        return;
    }
    WriteFile("fixture.reg", text);
    ChildResult imported = RunChild(m_target.Command("reg", {"import", "fixture.reg"}), m_directory,
                                    {{"WINEPREFIX", m_target.winePrefix},
                                     {"WINEDEBUG", "-all"},
                                     {"WINEDLLOVERRIDES", "winemenubuilder.exe=d"}},
                                    120);
    ASSERT_EQ(imported.exitCode, 0) << "reg import failed: " << imported.output;
}

void EngineInstallation::WriteModuleXml(const std::string& moduleDirectory,
                                        const std::string& bytes) {
    fs::create_directories(PathOf(moduleDirectory));
    WriteFile(moduleDirectory + "/module.xml", bytes);
}

void EngineInstallation::WriteFile(const std::string& relative, const std::string& bytes) {
    fs::create_directories(fs::path(PathOf(relative)).parent_path());
    std::ofstream out(PathOf(relative), std::ios::binary | std::ios::trunc);
    out << bytes;
}

bool EngineInstallation::Exists(const std::string& relative) const {
    return fs::exists(PathOf(relative));
}

void EngineInstallation::RemoveLogFolder() { fs::remove_all(PathOf("log")); }

std::map<std::string, std::string> EngineInstallation::Environment() const {
    if (!m_target.IsWine()) return {};
    return {{"WINEPREFIX", m_target.winePrefix},
            {"WINEDEBUG", "-all"},
            {"WINEDLLOVERRIDES", "winemenubuilder.exe=d"}};
}

ChildResult EngineInstallation::RunEngine(int timeoutSeconds) {
    return RunChild(m_target.Command(PathOf(m_target.programFile)), m_directory, Environment(),
                    timeoutSeconds);
}

bool EngineInstallation::StartEngine(BackgroundChild& child) const {
    return child.Start(m_target.Command(PathOf(m_target.programFile)), m_directory, Environment());
}

std::vector<std::string> EngineInstallation::LogFileNames() const {
    std::vector<std::string> names;
    if (!fs::exists(PathOf("log"))) return names;
    for (const auto& entry : fs::directory_iterator(PathOf("log")))
        names.push_back(entry.path().filename().string());
    return names;
}

std::vector<std::string> EngineInstallation::LogMessages() const {
    std::vector<std::string> messages;
    const std::vector<std::string> names = LogFileNames();
    EXPECT_EQ(names.size(), 1u) << "expected exactly one log file";
    if (names.size() != 1) return messages;
    const std::string text = ReadAll(PathOf("log/" + names[0]));
    static const std::regex line(R"((\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2})\t([^\r\n]*)\r\n)");
    std::size_t consumed = 0;
    for (std::sregex_iterator it(text.begin(), text.end(), line), end; it != end; ++it) {
        EXPECT_EQ(static_cast<std::size_t>(it->position()), consumed)
            << "malformed log text before: " << it->str();
        consumed = static_cast<std::size_t>(it->position() + it->length());
        messages.push_back((*it)[2].str());
    }
    EXPECT_EQ(consumed, text.size()) << "log does not end with a complete line";
    return messages;
}

}  // namespace integration
