// The start-up message box in the user's language: without a desktop its text reaches the log,
// on a desktop it is a real message box that the user reads and closes.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "harness/desktop.h"
#include "integration/running_engine.h"
#include "integration/served_module.h"

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;

namespace integration {
namespace {

const char* const kCaption = "orvik plotara system maintenance";

// Message 3 (no params file), as each language's table words it.
const struct {
    const char* locale;
    const char* text;
} kCannotStart[] = {
    {"en_US.UTF-8",
     "The \"orvik plotara system maintenance utility\" has not been able to start.\nReinstalling "
     "all the software that came with your printer will likely solve the problem. Otherwise, "
     "please contact Orvik."},
    {"de_DE.UTF-8",
     "Das \"orvik plotara system maintenance utility\" konnte nicht gestartet werden.\nEine "
     "Neuinstallation der gesamten mit Ihrem Drucker gelieferten Software behebt das Problem "
     "wahrscheinlich. Wenden Sie sich andernfalls bitte an Orvik."},
    {"fr_FR.UTF-8",
     "Le programme \"orvik plotara system maintenance utility\" n'a pas pu démarrer.\nLa "
     "réinstallation de l'ensemble des logiciels fournis avec votre imprimante résoudra "
     "probablement le problème. Sinon, veuillez contacter Orvik."},
    {"es_MX.UTF-8",
     "No se pudo iniciar el programa \"orvik plotara system maintenance utility\".\nEs probable "
     "que el problema se solucione al reinstalar todo el software incluido con la impresora. De "
     "lo contrario, comuníquese con Orvik."},
    {"pt_BR.UTF-8",
     "Não foi possível iniciar o programa \"orvik plotara system maintenance utility\".\nA "
     "reinstalação de todo o software fornecido com a impressora provavelmente resolverá o "
     "problema. Caso contrário, entre em contato com a Orvik."},
    {"ja_JP.UTF-8",
     "\"orvik plotara system maintenance utility\" を起動できませんでした。\nプリンターに付属する"
     "すべてのソフトウェアを再インストールすると、問題が解決する可能性が高いです。解決しない場合"
     "は、Orvik にお問い合わせください。"},
    {"ko_KR.UTF-8",
     "\"orvik plotara system maintenance utility\"을(를) 시작하지 못했습니다.\n프린터와 함께 "
     "제공된 모든 소프트웨어를 다시 설치하면 문제가 해결될 가능성이 높습니다. 그래도 해결되지 "
     "않으면 Orvik에 문의하십시오."},
    {"zh_CN.UTF-8",
     "\"orvik plotara system maintenance utility\"无法启动。\n重新安装打印机附带的所有软件很可能"
     "会解决此问题。否则，请与 Orvik 联系。"},
    {"zh_TW.UTF-8",
     "\"orvik plotara system maintenance utility\"無法啟動。\n重新安裝印表機隨附的所有軟體很可能"
     "會解決此問題。否則，請與 Orvik 聯絡。"},
};

std::string OnOneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n') c = ' ';
    }
    return text;
}

std::map<std::string, std::string> Language(const std::string& locale) {
    return {{"LC_ALL", locale}, {"LANG", locale}};
}

class StartupMessage : public ::testing::Test {
protected:
    StartupMessage() : install(TargetUnderTest()) {
        InstallServedModule(install);
        install.Builder().Remove("params");
    }

    Installation install;
};

TEST_F(StartupMessage, WithoutDesktopTheLogKeepsTheTextInTheUsersLanguage) {
    for (const auto& row : kCannotStart) {
        install.SetEngineEnvironment(Language(row.locale));
        install.ClearLog();
        const ChildResult run = install.RunEngine();
        EXPECT_EQ(run.exitCode, 0) << row.locale;
        const std::vector<std::string> log = install.LogMessages();
        ASSERT_FALSE(log.empty()) << row.locale;
        EXPECT_EQ(log.back(), "The message could not be shown: " + OnOneLine(row.text))
            << row.locale;
    }
}

// The user reads the box and presses its button; only then does the engine end.
TEST_F(StartupMessage, OnADesktopTheUserReadsAndClosesIt) {
    const ProgramTarget& target = TargetUnderTest();
    harness::VirtualDisplay display;
    ASSERT_TRUE(display.IsUsable());
    if (target.IsWine()) {
        install.WriteRegistry(ServedModuleRegistry());
        harness::RegistryFile fonts = harness::CjkDialogFonts();
        install.Builder().WriteRegistry(fonts, target);
    }
    // The button speaks the system's language. Natively the desktop shows the box through
    // xmessage, which draws Latin text only.
    const std::vector<std::pair<std::string, std::string>> languages =
        target.IsWine() ? std::vector<std::pair<std::string, std::string>>{{"en_US.UTF-8", "OK"},
                                                                           {"de_DE.UTF-8", "OK"},
                                                                           {"ja_JP.UTF-8", "OK"},
                                                                           {"zh_CN.UTF-8", "确定"}}
                        : std::vector<std::pair<std::string, std::string>>{{"en_US.UTF-8", "OK"}};
    for (const auto& [locale, button] : languages) {
        install.SetEngineEnvironment(display.Environment(Language(locale)));
        install.ClearLog();
        BackgroundChild engine;
        ASSERT_TRUE(install.StartEngine(engine));
        ASSERT_TRUE(harness::DesktopWindow::WaitFor(target, display, kCaption)) << locale;
        if (target.IsWine()) {
            const char* expected = nullptr;
            for (const auto& row : kCannotStart) {
                if (locale == row.locale) expected = row.text;
            }
            EXPECT_THAT(harness::DesktopWindow::Texts(target, display, kCaption),
                        Contains(std::string(expected)))
                << locale;
        }
        EXPECT_TRUE(harness::TakeScreenshot(display, harness::ScreenshotFolder() +
                                                         "/startup-message-no-params-" + locale +
                                                         "-" + target.Name() + ".png"));
        EXPECT_TRUE(engine.IsRunning()) << "the box keeps the engine until it is closed";
        ASSERT_TRUE(harness::DesktopWindow::Press(target, display, kCaption, button)) << locale;
        const ChildResult end = engine.Wait(60);
        EXPECT_FALSE(end.timedOut) << locale;
        EXPECT_EQ(end.exitCode, 0) << locale;
        EXPECT_THAT(install.LogMessages(), Not(Contains(HasSubstr("could not be shown"))))
            << locale;
    }
}

}  // namespace
}  // namespace integration
