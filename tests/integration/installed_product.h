#pragma once
// The product as its installer puts it into the Wine prefix of the target under test: run the
// installer and the uninstaller silently, read what they left on disk and in the registry, and
// list what of the product is still there.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "harness/child_process.h"
#include "integration/installation.h"

namespace integration {

/// Where the installer puts the product unless told otherwise.
extern const char* const kDefaultInstallDirectory;
/// The product's registry key, its version key and its entry in the uninstall list.
extern const char* const kProductKey;
extern const char* const kProductVersionKey;
extern const char* const kUninstallEntryKey;
/// The firmware control's registration.
extern const char* const kControlClassKey;
extern const char* const kControlProgIdKey;
/// The start menu entry, as Windows names it.
extern const char* const kShortcutPath;
/// The demo module's folder inside the installation.
extern const char* const kDemoModuleFolder;
/// The selector's title once the installer named its version.
extern const char* const kInstalledSelectorTitle;

/// What a shell link file names.
struct ShellLink {
    bool read = false;  // the file was there and made sense
    std::string target;
    std::string workingDirectory;
    std::string arguments;
};

/// Reads the shell link at host path `path`.
ShellLink ReadShellLink(const std::string& path);

class ProductInstallation {
public:
    /// The product in `windowsDirectory` (as Windows names it, e.g. "C:\\Plotara") of the
    /// target's prefix; an empty text is the installer's default folder.
    explicit ProductInstallation(const std::string& windowsDirectory = "");

    /// Runs the installer silently; "/D=" names the folder when it is not the default one.
    harness::ChildResult Install() const;
    /// Runs the uninstaller silently and waits until its program and the product's key are
    /// gone (it returns at once, its copy in the temporary folder does the work). An empty text
    /// when it did, else what went wrong.
    std::string Uninstall() const;

    const std::string& WindowsDirectory() const { return m_directory; }
    /// The installation's folder on the host, and a file in it (`relative` with "/").
    std::string HostDirectory() const { return HostPathOf(m_directory); }
    std::string HostPath(const std::string& relative) const;
    std::string FileText(const std::string& relative) const;

    /// The host path of a path on a drive of the prefix ("C:\\..."); "" for other paths.
    static std::string HostPathOf(const std::string& windowsPath);

    /// A string value of the prefix's registry (`name` "" for the key's default value).
    std::optional<std::string> Registry(const std::string& key, const std::string& name) const;
    bool KeyExists(const std::string& key) const;
    /// Imports `entries` into the prefix's registry; false (and a test failure) when refused.
    bool WriteRegistry(const harness::RegistryFile& entries) const;

    /// Runs the installed "add_module.cmd" with `arguments` in the installation's folder.
    harness::ChildResult AddModule(const std::vector<std::string>& arguments) const;
    /// The command that starts the installed program `fileName` (e.g. "velkorcall.exe").
    std::vector<std::string> Command(const std::string& fileName,
                                     const std::vector<std::string>& arguments = {}) const;

    /// What of the product is still in the prefix, one line each: files and folders in the
    /// installation's folder (the Log folder only when empty), its keys, its registration and
    /// its start menu entry. Empty once it is wholly uninstalled.
    std::vector<std::string> Leftovers() const;

private:
    std::string m_directory;
    // Only the working folder of the registry tool runs.
    Installation m_scratch;
};

}  // namespace integration
