#include "integration/installation.h"

#include "harness/browser_recording.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace integration {

namespace {

const std::string kInstallationKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvik\\Plotara TroubleShooter";
const std::string kBrowserKey = "HKEY_CLASSES_ROOT\\http\\shell\\open\\command";

std::string NewTemporaryFolder() {
    std::string pathTemplate = (fs::temp_directory_path() / "velkor-install-XXXXXX").string();
    if (mkdtemp(pathTemplate.data()) == nullptr) throw std::runtime_error("no temporary folder");
    return pathTemplate;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

}  // namespace

harness::RegistryFile EngineRegistry(const RegistryEntries& entries) {
    harness::RegistryFile registry;
    registry.DeleteKey(kInstallationKey).SetString(kInstallationKey, "PATH", "C:\\velkor");
    if (entries.withSmmKey) {
        registry.AddKey(kInstallationKey + "\\SMM");
        for (const auto& [name, directory] : entries.modules)
            registry.SetString(kInstallationKey + "\\SMM", name, directory);
    }
    if (entries.withProductKey) {
        registry.AddKey(kInstallationKey + "\\ProdNumbers");
        for (const auto& [product, module] : entries.products)
            registry.SetString(kInstallationKey + "\\ProdNumbers", product, module);
    }
    return registry;
}

Installation::Installation(const ProgramTarget& target)
    : m_target(target), m_builder(NewTemporaryFolder()) {
    m_program = m_builder.InstallProgram(target, "velkor");
    m_builder.AddFolder("log");
}

Installation::~Installation() {
    std::error_code ignored;
    fs::remove_all(Directory(), ignored);
}

void Installation::WriteRegistry(const RegistryEntries& entries) {
    try {
        harness::RegistryFile registry =
            harness::RecordingBrowser(m_builder, m_target, EngineRegistry(entries));
        if (m_browserCommand) registry.SetString(kBrowserKey, "", *m_browserCommand);
        if (entries.more) entries.more(registry);
        m_builder.WriteRegistry(registry, m_target);
    } catch (const std::runtime_error& error) {
        FAIL() << error.what();
    }
}

std::vector<std::string> Installation::OpenedAddresses(std::size_t atLeast) const {
    if (atLeast > 0) harness::WaitForOpenedAddresses(m_builder, atLeast);
    return harness::OpenedAddresses(m_builder);
}

std::string Installation::EnginePathOf(const std::string& relative) const {
    std::string path = m_target.PathAsSeen(Directory()) + "\\" + relative;
    if (!m_target.IsWine()) {
        for (char& c : path) {
            if (c == '\\') c = '/';
        }
    }
    return path;
}

std::map<std::string, std::string> Installation::EngineEnvironment() const {
    std::map<std::string, std::string> environment = m_target.Environment();
    for (const auto& [name, value] : m_engineEnvironment) environment[name] = value;
    return environment;
}

ChildResult Installation::RunEngine(double guardSeconds) {
    return harness::RunChild(m_target.Command(m_program), Directory(), EngineEnvironment(),
                             guardSeconds);
}

bool Installation::StartEngine(BackgroundChild& child) const {
    return child.Start(m_target.Command(m_program), Directory(), EngineEnvironment());
}

std::vector<std::string> Installation::LogFileNames() const {
    std::vector<std::string> names;
    if (!fs::exists(PathOf("log"))) return names;
    for (const auto& entry : fs::directory_iterator(PathOf("log")))
        names.push_back(entry.path().filename().string());
    return names;
}

std::string Installation::LogText() const {
    const std::vector<std::string> names = LogFileNames();
    return names.size() == 1 ? ReadAll(PathOf("log/" + names[0])) : std::string();
}

std::vector<std::string> Installation::LogMessages() const {
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
