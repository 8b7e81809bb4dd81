// What the user is shown when start-up fails before the module's pages can be trusted (a
// message box; without a desktop its text goes to the log), and where the browser is sent
// when start-up succeeds or is told not to open one.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "integration/local_address.h"
#include "integration/running_engine.h"
#include "integration/served_module.h"

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace integration {
namespace {

const char* const kNoSupport =
    "The \"orvik plotara system maintenance utility\" on your system does not have support for "
    "any installed plotara printers. A reinstallation of the utility will likely solve the "
    "problem. Otherwise, please contact Orvik.";
const char* const kCannotStart =
    "The \"orvik plotara system maintenance utility\" has not been able to start. Reinstalling "
    "all the software that came with your printer will likely solve the problem. Otherwise, "
    "please contact Orvik.";
const char* const kCannotStartUp =
    "The \"orvik plotara system maintenance utility\" has not been able to startup. A "
    "reinstallation of the utility will likely solve the problem. Otherwise, please contact "
    "Orvik.";

std::string ModuleNotSupported(const std::string& series) {
    return "The \"orvik plotara system maintenance utility\" installed on your system does not "
           "have support for \"" +
           series +
           "\" printers installed. A reinstallation of the utility will likely solve the "
           "problem. Otherwise, please contact Orvik.";
}

const char* const kParams = "Name:x\r\nTCP\r\nIP: 127.0.0.2\r\nPort: 9100\r\nModule:testmod\r\n";

class StartupReport : public ::testing::Test {
protected:
    StartupReport() : install(TargetUnderTest()) {}

    /// Runs the engine to its end; the log.
    std::vector<std::string> RunToEnd() {
        const ChildResult run = install.RunEngine();
        EXPECT_FALSE(run.timedOut) << "a message box without a desktop must not block";
        EXPECT_EQ(run.exitCode, 0) << run.output;
        return install.LogMessages();
    }

    Installation install;
};

TEST_F(StartupReport, FailuresBeforeTheModuleIsTrustedEndInTheirMessage) {
    const struct {
        const char* name;
        std::function<void(Installation&)> breakIt;
        std::string line;
        std::string message;
    } cases[] = {
        {"no module",
         [](Installation& i) {
             i.WriteRegistry({{}, {{"Q6683A", "testmod"}}, false});
         },
         "There is no SMM installed on the computer.", kNoSupport},
        {"no product",
         [](Installation& i) {
             i.WriteRegistry({{{"testmod", "test module"}}, {}});
         },
         "None of the SMM installed has support for any printer.", kNoSupport},
        {"no params", [](Installation& i) { i.Builder().Remove("params"); },
         "The params file has not been found.", kCannotStart},
        {"bad params", [](Installation& i) { i.WriteParams("Name:x\nFIREWIRE\n"); },
         "The params file is not correctly formatted.", kCannotStart},
        {"module of the series table",
         [](Installation& i) { i.WriteParams("Name:x\nUSB\nDriver:USB001\nModule:quessel GA\n"); },
         "The module quessel GA requested in the params file is not installed.",
         ModuleNotSupported("Orvik Plotara 620")},
        {"module outside the table",
         [](Installation& i) { i.WriteParams("Name:x\nUSB\nDriver:USB001\nModule:velvet\n"); },
         "The module velvet requested in the params file is not installed.",
         ModuleNotSupported("")},
        {"printer the selector does not know",
         [](Installation& i) {
             i.WriteParams("Name:x\nUSB\nDriver:USB001\nModule:Not Supported\n");
         },
         "The module Not Supported requested in the params file is not installed.",
         ModuleNotSupported("")},
        {"module.xml missing",
         [](Installation& i) { i.Builder().Remove("test module/module.xml"); },
         "The test module\\module.xml file has not been found.", kCannotStartUp},
        {"module.xml malformed",
         [](Installation& i) { i.WriteModuleXml("test module", "<module><oops></module>"); },
         "The test module\\module.xml file is not correctly formatted.", kCannotStartUp},
        {"product number file missing",
         [](Installation& i) { i.Builder().Remove("test module/vw/id.prn"); },
         "The test module\\vw\\id.prn file has not been found.", kCannotStartUp},
    };
    for (const auto& row : cases) {
        InstallServedModule(install);
        install.WriteParams(kParams);
        row.breakIt(install);
        install.ClearLog();
        const std::vector<std::string> log = RunToEnd();
        ASSERT_GE(log.size(), 2u) << row.name;
        EXPECT_THAT(std::vector<std::string>(log.end() - 2, log.end()),
                    ElementsAre(row.line, "The message could not be shown: " + row.message))
            << row.name;
        EXPECT_THAT(install.OpenedAddresses(), IsEmpty()) << row.name;
    }
}

TEST_F(StartupReport, ServingOpensTheStartPageAndNoneOpensNothing) {
    const struct {
        const char* startPage;
        std::vector<std::string> opened;
    } cases[] = {
        {"", {EngineAddress("Main.html")}},
        {"none", {}},
        // Only the exact word keeps the browser closed.
        {"None", {EngineAddress("None")}},
    };
    for (const auto& row : cases) {
        InstallServedModule(install);
        install.WriteParams(std::string(kParams) + "Start-page:" + row.startPage + "\r\n");
        install.ForgetOpenedAddresses();
        install.ClearLog();
        RunningEngine engine(install);
        ASSERT_TRUE(engine.Start()) << row.startPage;
        EXPECT_EQ(install.OpenedAddresses(row.opened.size()), row.opened) << row.startPage;
        EXPECT_EQ(engine.Stop("Exit.html").exitCode, 0);
        if (row.opened.empty()) {
            EXPECT_THAT(install.LogMessages(),
                        Contains("No browser launched because the starting page was set to none "
                                 "in the params file."));
        }
    }
}

// A browser that cannot be started is only logged; the engine serves all the same.
TEST_F(StartupReport, BrowserThatCannotBeStartedIsLogged) {
    const std::string address = EngineAddress("Main.html");
    const std::string missingFolder = install.EnginePathOf("no such folder\\browser.exe");
    const struct {
        std::string command;
        std::string program;
        std::string outcome;
    } cases[] = {
        // Neither quotes nor a dot: the first three characters are taken for the program.
        {"qqqbrowser %1", "qqq", "The file " + address + " is not installed."},
        // Wine's shell reports a missing folder as a missing file.
        {"\"" + missingFolder + "\" -new \"%1\"", missingFolder,
         TargetUnderTest().IsWine() ? "The file " + address + " is not installed."
                                    : "The path of file " + address + " does not exist."},
    };
    for (const auto& row : cases) {
        install.SetBrowserCommand(row.command);
        InstallServedModule(install);
        install.ClearLog();
        RunningEngine engine(install);
        ASSERT_TRUE(engine.Start()) << row.command;
        EXPECT_EQ(engine.Stop("Exit.html").exitCode, 0);
        const std::vector<std::string> log = install.LogMessages();
        EXPECT_THAT(log, Contains("Using browser " + row.program + ".")) << row.command;
        EXPECT_THAT(log, Contains(row.outcome)) << row.command;
    }
}

}  // namespace
}  // namespace integration
