#include "integration/installed_product.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "harness/wait.h"
#include "integration/registry_value.h"

namespace fs = std::filesystem;

namespace integration {

const char* const kDefaultInstallDirectory = "C:\\Program Files\\Orvik\\Plotara TroubleShooter";
const char* const kProductKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvik\\Plotara TroubleShooter";
// The blank before the version is the key's own.
const char* const kProductVersionKey =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvik\\Orvik Plotara system maintenance \\1.0.0";
const char* const kUninstallEntryKey =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
    "Plotara TroubleShooter";
const char* const kControlClassKey =
    "HKEY_CLASSES_ROOT\\CLSID\\{2B7E91C4-5D3A-4F08-9C61-7A0E4B2D8F35}";
const char* const kControlProgIdKey = "HKEY_CLASSES_ROOT\\OrvikFmwHelper.OrvikFmwHandler";
const char* const kShortcutPath =
    "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Orvik Plotara\\"
    "Plotara system maintenance.lnk";
const char* const kDemoModuleFolder = "orvik plotara 310ps 320ps 350ps";
const char* const kInstalledSelectorTitle = "Orvik Plotara system maintenance [1.0.0]";

namespace {

std::uint32_t Little(const std::string& bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes.at(at + static_cast<size_t>(i)));
    }
    return value;
}

std::string ZeroEnded(const std::string& bytes, std::size_t at) {
    const std::size_t end = bytes.find('\0', at);
    if (end == std::string::npos) throw std::out_of_range("no end");
    return bytes.substr(at, end - at);
}

/// Runs the registry tool; Wine now and then fails to start a program at all (no output, an
/// error code), which is tried again.
harness::ChildResult RegistryTool(const std::string& folder,
                                  const std::vector<std::string>& arguments) {
    const harness::ProgramTarget& target = harness::TargetUnderTest();
    harness::ChildResult run;
    for (int attempt = 0; attempt < 2; ++attempt) {
        run =
            harness::RunChild(target.Command("reg", arguments), folder, target.Environment(), 120);
        if (run.exitCode == 0 || !run.output.empty()) break;
    }
    return run;
}

}  // namespace

ShellLink ReadShellLink(const std::string& path) {
    ShellLink link;
    std::ifstream file(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    try {
        if (bytes.size() < 0x4c || Little(bytes, 0, 4) != 0x4c) return link;
        const std::uint32_t flags = Little(bytes, 20, 4);
        std::size_t at = 0x4c;
        if (flags & 0x1) at += 2 + Little(bytes, at, 2);  // the target as an item list
        if (flags & 0x2) {
            // Link info: the local base path and the common suffix, both in the ANSI code page.
            const std::size_t info = at;
            if (Little(bytes, info + 8, 4) & 0x1) {
                link.target = ZeroEnded(bytes, info + Little(bytes, info + 16, 4)) +
                              ZeroEnded(bytes, info + Little(bytes, info + 24, 4));
            }
            at += Little(bytes, info, 4);
        }
        const bool unicode = (flags & 0x80) != 0;
        auto next = [&]() {
            const std::size_t count = Little(bytes, at, 2);
            at += 2;
            std::string text;
            for (std::size_t i = 0; i < count; ++i) {
                // Paths of the tests are ASCII.
                text += static_cast<char>(bytes.at(at));
                at += unicode ? 2 : 1;
            }
            // Wine counts the terminating zero in.
            while (!text.empty() && text.back() == '\0') text.pop_back();
            return text;
        };
        if (flags & 0x4) next();  // the description
        std::string relative;
        if (flags & 0x8) relative = next();
        if (flags & 0x10) link.workingDirectory = next();
        if (flags & 0x20) link.arguments = next();
        if (link.target.empty()) link.target = relative;
        link.read = true;
    } catch (const std::out_of_range&) {
        link.read = false;
    }
    return link;
}

ProductInstallation::ProductInstallation(const std::string& windowsDirectory)
    : m_directory(windowsDirectory.empty() ? kDefaultInstallDirectory : windowsDirectory),
      m_scratch(harness::TargetUnderTest()) {}

std::string ProductInstallation::HostPathOf(const std::string& windowsPath) {
    if (windowsPath.size() < 3 || windowsPath[1] != ':' || windowsPath[2] != '\\') return "";
    const char drive = static_cast<char>(std::tolower(static_cast<unsigned char>(windowsPath[0])));
    std::string host = harness::TargetUnderTest().WinePrefix() + "/dosdevices/" + drive + ":";
    for (std::size_t i = 2; i < windowsPath.size(); ++i) {
        host += windowsPath[i] == '\\' ? '/' : windowsPath[i];
    }
    return host;
}

std::string ProductInstallation::HostPath(const std::string& relative) const {
    return HostDirectory() + "/" + relative;
}

std::string ProductInstallation::FileText(const std::string& relative) const {
    std::ifstream file(HostPath(relative), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

harness::ChildResult ProductInstallation::Install() const {
    const harness::ProgramTarget& target = harness::TargetUnderTest();
    const std::string setup = target.BuiltProgram("velkor_setup");
    if (m_directory == kDefaultInstallDirectory) {
        return harness::RunChild(target.Command(setup, {"/S"}), m_scratch.Directory(),
                                 target.Environment(), 300);
    }
    // NSIS takes the folder as the last argument, blanks and all, but not in quotes, which
    // Wine puts around an argument with blanks: cmd gets the command line as one text.
    return harness::RunChild(
        target.Command("cmd", {"/c", target.PathAsSeen(setup) + " /S /D=" + m_directory}),
        m_scratch.Directory(), target.Environment(), 300);
}

std::string ProductInstallation::Uninstall() const {
    const harness::ProgramTarget& target = harness::TargetUnderTest();
    const std::string uninstaller = m_directory + "\\uninstall.exe";
    if (!fs::exists(HostPathOf(uninstaller))) return "there is no " + uninstaller;
    const harness::ChildResult run = harness::RunChild(
        target.Command(uninstaller, {"/S"}), m_scratch.Directory(), target.Environment(), 120);
    if (run.exitCode != 0) {
        return "the uninstaller failed (exit " + std::to_string(run.exitCode) + "): " + run.output;
    }
    const bool ended = harness::WaitUntil(
        [&] { return !fs::exists(HostPathOf(uninstaller)) && !KeyExists(kProductKey); }, 120, 200);
    return ended ? "" : "the uninstaller's copy did not finish within two minutes";
}

std::optional<std::string> ProductInstallation::Registry(const std::string& key,
                                                         const std::string& name) const {
    if (!name.empty()) return ReadRegistryString(m_scratch, key, name);
    // "reg query KEY /ve" prints "    (Default)    REG_SZ    DATA".
    const harness::ChildResult query = RegistryTool(m_scratch.Directory(), {"query", key, "/ve"});
    const std::string marker = "REG_SZ    ";
    const std::size_t at = query.output.find(marker);
    if (query.exitCode != 0 || at == std::string::npos) return std::nullopt;
    const std::size_t begin = at + marker.size();
    return query.output.substr(begin, query.output.find_first_of("\r\n", begin) - begin);
}

bool ProductInstallation::KeyExists(const std::string& key) const {
    return RegistryTool(m_scratch.Directory(), {"query", key}).exitCode == 0;
}

bool ProductInstallation::WriteRegistry(const harness::RegistryFile& entries) const {
    try {
        harness::InstallationBuilder(m_scratch.Directory())
            .WriteRegistry(entries, harness::TargetUnderTest());
        return true;
    } catch (const std::runtime_error& error) {
        ADD_FAILURE() << error.what();
        return false;
    }
}

harness::ChildResult ProductInstallation::AddModule(
    const std::vector<std::string>& arguments) const {
    const harness::ProgramTarget& target = harness::TargetUnderTest();
    // The script's name first and unquoted, so that cmd keeps the quotes of the arguments.
    std::vector<std::string> command = {"/c", "add_module.cmd"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return harness::RunChild(target.Command("cmd", command), HostDirectory(), target.Environment(),
                             120);
}

std::vector<std::string> ProductInstallation::Command(
    const std::string& fileName, const std::vector<std::string>& arguments) const {
    return harness::TargetUnderTest().Command(m_directory + "\\" + fileName, arguments);
}

std::vector<std::string> ProductInstallation::Leftovers() const {
    std::vector<std::string> left;
    std::error_code error;
    if (fs::exists(HostDirectory())) {
        for (const auto& entry : fs::directory_iterator(HostDirectory(), error)) {
            const std::string name = entry.path().filename().string();
            // The user's logs stay; an empty log folder does not.
            if (name == "Log" && entry.is_directory() && !fs::is_empty(entry.path(), error))
                continue;
            left.push_back("file " + name);
        }
        if (fs::is_empty(HostDirectory(), error)) left.push_back("the empty installation folder");
    }
    for (const char* key : {kProductKey, kProductVersionKey, kUninstallEntryKey, kControlClassKey,
                            kControlProgIdKey}) {
        if (KeyExists(key)) left.push_back(std::string("key ") + key);
    }
    const std::string shortcut = HostPathOf(kShortcutPath);
    if (fs::exists(shortcut)) left.push_back("the start menu entry");
    if (fs::exists(fs::path(shortcut).parent_path())) left.push_back("the start menu folder");
    return left;
}

}  // namespace integration
