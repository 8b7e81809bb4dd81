// The selector launcher under Wine: the selector it starts and how, the line it logs for each
// broken installation record, and the message box of a start that fails, in two languages.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <regex>
#include <stdexcept>

#include "harness/child_process.h"
#include "harness/desktop.h"
#include "harness/installation_builder.h"
#include "harness/program_target.h"
#include "harness/wait.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

namespace integration {
namespace {

const char* const kInstallationKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvik\\Plotara TroubleShooter";
/// String 2, the same in every language.
const char* const kCaption = "Orvik plotara system maintenance";
/// Stands for the selector's folder as Windows sees it, in a registry value or a record.
const char* const kFolder = "<folder>";

using harness::TargetUnderTest;

std::string NewTemporaryFolder() {
    std::string pathTemplate =
        (std::filesystem::temp_directory_path() / "velkor-launcher-XXXXXX").string();
    if (mkdtemp(pathTemplate.data()) == nullptr) throw std::runtime_error("no temporary folder");
    return pathTemplate;
}

/// An installation with the launcher, and program_recorder as "printer_selector.exe" in a
/// folder "selector" below it. The launcher runs in the installation, so ".\Log" is the
/// installation's, and the selector's working directory differs from the launcher's.
class LauncherInstallation {
public:
    LauncherInstallation() : m_install(NewTemporaryFolder()) {
        const harness::ProgramTarget& target = TargetUnderTest();
        m_install.InstallProgram(target, "selector_launcher");
        m_install.AddFolder("selector");
        m_install.InstallProgram(target.BuiltProgram("program_recorder"),
                                 "selector/printer_selector.exe");
    }
    ~LauncherInstallation() {
        std::error_code ignored;
        std::filesystem::remove_all(m_install.Directory(), ignored);
    }
    LauncherInstallation(const LauncherInstallation&) = delete;
    LauncherInstallation& operator=(const LauncherInstallation&) = delete;

    void AddLogFolder() { m_install.AddFolder("Log"); }

    /// Writes the installation key anew; a missing value is left out, kFolder in a value
    /// becomes the selector's folder.
    void WriteKey(bool withKey, std::optional<std::string> path,
                  std::optional<std::string> program) {
        harness::RegistryFile registry;
        registry.DeleteKey(kInstallationKey);
        if (withKey) registry.AddKey(kInstallationKey);
        if (path) registry.SetString(kInstallationKey, "PATH", WithFolder(*path));
        if (program) registry.SetString(kInstallationKey, "SELECTOR_EXE", WithFolder(*program));
        m_install.WriteRegistry(registry, TargetUnderTest());
    }

    std::string WithFolder(std::string text) const {
        const std::size_t at = text.find(kFolder);
        if (at != std::string::npos) text.replace(at, std::string(kFolder).size(), Folder());
        return text;
    }
    /// The selector's folder as Windows sees it.
    std::string Folder() const {
        return TargetUnderTest().PathAsSeen(m_install.PathOf("selector"));
    }

    /// Starts the launcher on the test display in `locale` ("" for the prefix's own).
    bool Start(const std::string& locale = "") {
        const harness::ProgramTarget& target = TargetUnderTest();
        std::map<std::string, std::string> environment =
            m_display.Environment(target.Environment());
        if (!locale.empty()) environment["LC_ALL"] = environment["LANG"] = locale;
        return m_child.Start(target.Command(m_install.PathOf("selector_launcher.exe")),
                             m_install.Directory(), environment);
    }
    /// Waits for the launcher's end; a message box left open keeps it from ending.
    harness::ChildResult WaitForExit(double guardSeconds = 30) {
        m_child.WaitForEnd(guardSeconds);
        return m_child.Wait(0);
    }

    std::string FileText(const std::string& relative) const {
        std::ifstream file(m_install.PathOf(relative), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    /// The messages of ".\Log\PrinterSelectorLauncher.log"; fails the test when a line is not
    /// "D-M-YYYY TAB H:M TAB :: message" ending in a bare LF.
    std::vector<std::string> LogMessages() const {
        const std::string text = FileText("Log/PrinterSelectorLauncher.log");
        const std::regex line(
            "[0-9]{1,2}-[0-9]{1,2}-[0-9]{4}\t[0-9]{1,2}:[0-9]{1,2}\t:: ([^\r\n]*)\n");
        std::vector<std::string> messages;
        std::size_t next = 0;  // the lines follow each other with nothing in between
        for (std::sregex_iterator it(text.begin(), text.end(), line), end; it != end; ++it) {
            if (static_cast<std::size_t>(it->position()) != next) break;
            messages.push_back((*it)[1]);
            next += static_cast<std::size_t>(it->length());
        }
        EXPECT_EQ(next, text.size()) << "not a launcher log line: " << text.substr(next);
        return messages;
    }
    bool Exists(const std::string& relative) const { return m_install.Exists(relative); }
    const harness::VirtualDisplay& Display() const { return m_display; }

private:
    harness::InstallationBuilder m_install;
    harness::VirtualDisplay m_display;
    harness::BackgroundChild m_child;
};

class SelectorLauncher : public ::testing::Test {
protected:
    void SetUp() override {
        if (!TargetUnderTest().IsWine()) GTEST_SKIP() << "the launcher is a Windows program";
    }
    // The registry is the whole prefix's: leave it without the installation key.
    void TearDown() override {
        if (!TargetUnderTest().IsWine()) return;
        LauncherInstallation cleaner;
        cleaner.WriteKey(false, std::nullopt, std::nullopt);
    }
};

TEST_F(SelectorLauncher, StartsTheSelectorOrLogsWhyNot) {
    const std::string tooLong(260, 'x');
    const struct {
        const char* what;
        bool logFolder;
        bool withKey;
        std::optional<std::string> path;
        std::optional<std::string> program;
        const char* logged;   // "" when nothing is
        const char* started;  // the recorder's record, kFolder for the folder; "" when not started
    } cases[] = {
        {"installed", true, true, std::string(kFolder), std::string("printer_selector.exe"), "",
         "command line: ColorStart.html\nworking directory: <folder>\n"},
        // A doubled backslash is no harm to Windows' path rules: the start succeeds.
        {"PATH with a trailing backslash", true, true, std::string(kFolder) + "\\",
         std::string("printer_selector.exe"), "",
         "command line: ColorStart.html\nworking directory: <folder>\n"},
        {"no installation key", true, false, std::nullopt, std::nullopt,
         "Failed to access Path and Executable name.", ""},
        {"no PATH", true, true, std::nullopt, std::string("printer_selector.exe"),
         "Failed to access Path Name", ""},
        {"no SELECTOR_EXE", true, true, std::string(kFolder), std::nullopt,
         "Failed to access Executable Name.", ""},
        {"PATH of 260 characters", true, true, tooLong, std::string("printer_selector.exe"),
         "Failed to access Path Name", ""},
        {"SELECTOR_EXE of 260 characters", true, true, std::string(kFolder), tooLong,
         "Failed to access Executable Name.", ""},
        {"no Log folder", false, true, std::string(kFolder), std::string("printer_selector.exe"),
         "", "command line: ColorStart.html\nworking directory: <folder>\n"},
        {"no Log folder and no key", false, false, std::nullopt, std::nullopt, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LauncherInstallation launcher;
        if (c.logFolder) launcher.AddLogFolder();
        launcher.WriteKey(c.withKey, c.path, c.program);
        ASSERT_TRUE(launcher.Start());
        const harness::ChildResult ended = launcher.WaitForExit();
        EXPECT_FALSE(ended.timedOut) << "a message box is waiting for the user";
        EXPECT_EQ(ended.exitCode, 0) << ended.output;

        // The launcher does not wait for the selector: wait for its record here.
        if (*c.started != '\0') {
            harness::WaitUntil([&] { return !launcher.FileText("selector/started.txt").empty(); },
                               30, 100);
        }
        EXPECT_EQ(launcher.FileText("selector/started.txt"), launcher.WithFolder(c.started));
        if (c.logFolder) {
            const std::vector<std::string> logged = launcher.LogMessages();
            if (*c.logged == '\0')
                EXPECT_THAT(logged, IsEmpty());
            else
                EXPECT_THAT(logged, ElementsAre(c.logged));
        } else {
            EXPECT_FALSE(launcher.Exists("Log")) << "the launcher made its log folder";
        }
    }
}

// An empty SELECTOR_EXE names the folder itself: the start fails and the user is told, in
// the language of the session.
TEST_F(SelectorLauncher, ShowsTheMessageWhenTheSelectorCannotStart) {
    const struct {
        const char* locale;
        const char* message;
    } cases[] = {
        {"en_US.UTF-8",
         "The file which is needed in order to perform the command has not been found in the "
         "installation directory.\nReinstall the Orvik Plotara 500/530 system maintenance utility "
         "from the Orvik Plotara Printers Software Setup CD provided with the printer or download "
         "it from Orvik Plotara Online. If this does not solve the problem contact Orvik.\n"},
        {"de_DE.UTF-8",
         "Die Datei, die zum Ausführen des Befehls benötigt wird, wurde im "
         "Installationsverzeichnis nicht gefunden.\nInstallieren Sie das Orvik Plotara 500/530 "
         "system maintenance utility erneut von der mit dem Drucker gelieferten Orvik Plotara "
         "Printers Software Setup CD, oder laden Sie es von Orvik Plotara Online herunter. Wenn "
         "das Problem dadurch nicht behoben wird, wenden Sie sich an Orvik.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale);
        LauncherInstallation launcher;
        launcher.AddLogFolder();
        launcher.WriteKey(true, std::string(kFolder), std::string(""));
        ASSERT_TRUE(launcher.Start(c.locale));
        ASSERT_TRUE(
            harness::DesktopWindow::WaitFor(TargetUnderTest(), launcher.Display(), kCaption))
            << "no message box titled exactly string 2";
        std::vector<std::string> texts;
        harness::WaitUntil(
            [&] {
                texts =
                    harness::DesktopWindow::Texts(TargetUnderTest(), launcher.Display(), kCaption);
                return std::find(texts.begin(), texts.end(), "OK") != texts.end();
            },
            30, 100);
        EXPECT_THAT(texts, UnorderedElementsAre(c.message, "OK"));
        harness::TakeScreenshot(launcher.Display(),
                                harness::ScreenshotFolder() + "/launcher-" + c.locale + ".png");
        // Logged before the box shows; the launcher is still waiting for the user.
        EXPECT_THAT(launcher.LogMessages(),
                    ElementsAre("Failed to Launch Printer Selector Executable."));
        ASSERT_TRUE(
            harness::DesktopWindow::Press(TargetUnderTest(), launcher.Display(), kCaption, "OK"));
        const harness::ChildResult ended = launcher.WaitForExit();
        EXPECT_FALSE(ended.timedOut);
        EXPECT_EQ(ended.exitCode, 0) << ended.output;
        EXPECT_EQ(launcher.FileText("selector/started.txt"), "");
    }
}

}  // namespace
}  // namespace integration
