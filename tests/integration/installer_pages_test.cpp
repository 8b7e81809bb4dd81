// The installer's own pages under Wine in the user's language: the language dialog offers the
// system's language first, and the wizard then speaks it. Nothing is installed: the wizard is
// left on its welcome page.

#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <string>

#include "harness/child_process.h"
#include "harness/desktop.h"
#include "harness/program_target.h"
#include "support/scratch_folder.h"

namespace integration {
namespace {

using harness::TargetUnderTest;

const char* const kLanguageDialog = "Installer Language";

struct WizardLanguage {
    const char* locale;
    const char* welcomeTitle;  // the wizard's caption on its welcome page
    const char* screenshot;
};

// Mexican Spanish is not one of NSIS's own languages: the build makes it, and a Mexican
// system must get Spanish pages rather than English ones.
const WizardLanguage kLanguages[] = {
    {"en_US.UTF-8", "Orvik Plotara system maintenance Setup", "installer-en-welcome.png"},
    {"ja_JP.UTF-8",
     "Orvik Plotara system maintenance \xE3\x82\xBB\xE3\x83\x83\xE3\x83\x88\xE3\x82"
     "\xA2\xE3\x83\x83\xE3\x83\x97",
     "installer-ja-welcome.png"},
    {"es_MX.UTF-8", "Instalaci\xC3\xB3n de Orvik Plotara system maintenance",
     "installer-es-mx-welcome.png"},
    {"de_DE.UTF-8", "Installation von Orvik Plotara system maintenance",
     "installer-de-welcome.png"},
};

// Names the case by its locale in test lists, rather than by its bytes.
void PrintTo(const WizardLanguage& language, std::ostream* out) { *out << language.locale; }

class InstallerPages : public ::testing::TestWithParam<WizardLanguage> {
protected:
    void SetUp() override {
        if (!TargetUnderTest().IsWine()) GTEST_SKIP() << "the installer is a Windows program";
    }
};

TEST_P(InstallerPages, WizardSpeaksTheSystemsLanguage) {
    const WizardLanguage& language = GetParam();
    const harness::ProgramTarget& target = TargetUnderTest();
    harness::VirtualDisplay display;
    ASSERT_TRUE(display.IsUsable()) << "no X display";
    std::map<std::string, std::string> environment = target.Environment();
    environment["LC_ALL"] = language.locale;
    environment["LANG"] = language.locale;

    ScratchFolder folder;
    harness::BackgroundChild setup;
    ASSERT_TRUE(setup.Start(target.Command(target.BuiltProgram("velkor_setup")), folder.Path(),
                            display.Environment(environment)));
    ASSERT_TRUE(harness::DesktopWindow::WaitFor(target, display, kLanguageDialog, 60))
        << "no language dialog";
    ASSERT_TRUE(harness::DesktopWindow::Press(target, display, kLanguageDialog, "OK"));
    const bool welcomed =
        harness::DesktopWindow::WaitFor(target, display, language.welcomeTitle, 60);
    harness::TakeScreenshot(display, harness::ScreenshotFolder() + "/" + language.screenshot);
    setup.Kill();
    EXPECT_TRUE(welcomed) << "no welcome page titled \"" << language.welcomeTitle << "\" for "
                          << language.locale;
}

INSTANTIATE_TEST_SUITE_P(Locales, InstallerPages, ::testing::ValuesIn(kLanguages),
                         [](const ::testing::TestParamInfo<WizardLanguage>& param) {
                             std::string name = param.param.locale;
                             return name.substr(0, name.find('.')).replace(2, 1, "");
                         });

}  // namespace
}  // namespace integration
