// The engine's start-up seen from outside: what it logs, and what it does with the params file,
// for the good path and for each way start-up can fail.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>

#include "integration/installation.h"
#include "integration/running_engine.h"

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;

namespace integration {
namespace {

const char* const kDefaultDirectory = "orvik plotara 310ps 320ps 350ps";
const char* const kTcpParams =
    "Name:Plotara 500 in room 4\r\nTCP\r\nIP: 127.0.0.2\r\nPort: 9100\r\n"
    "Module:merrow\r\nStart-page:Status.html\r\n";
const char* const kModuleXml =
    "<?xml version=\"1.0\"?>\n<module>\n  <SMM-version>2.1</SMM-version>\n"
    "  <default-start-page>Welcome.html</default-start-page>\n"
    "  <prod-number-file>id.prn</prod-number-file>\n</module>\n";

class EngineStartup : public ::testing::Test {
protected:
    EngineStartup() : install(TargetUnderTest()) {}

    void InstallMerrow() {
        install.WriteRegistry({{{"merrow", "merrow module"}}, {{"Q6683A", "merrow"}}});
        install.WriteModuleXml("merrow module", kModuleXml);
        install.WriteFile("merrow module/vw/id.prn", "ID?\r\n");
    }

    /// Runs the engine through its start-up: to its end when start-up fails, or until it
    /// serves, when it is ended (these modules have no exit page).
    std::vector<std::string> RunAndReadLog() {
        RunningEngine engine(install);
        if (engine.Start()) {
            engine.Kill();
        } else {
            ChildResult run = engine.WaitForExit();
            EXPECT_TRUE(run.started);
            EXPECT_FALSE(run.timedOut) << run.output;
            EXPECT_EQ(run.exitCode, 0) << run.output;
        }
        return install.LogMessages();
    }

    Installation install;
};

TEST_F(EngineStartup, LogsThePrinterAndModuleChosenAndDeletesTheParamsFile) {
    InstallMerrow();
    install.WriteParams(kTcpParams);

    EXPECT_THAT(RunAndReadLog(),
                ElementsAre("printer name = Plotara 500 in room 4", "printer type = ip",
                            "printer address = 127.0.0.2", "module = merrow",
                            "module directory = merrow module", "start-page = Status.html",
                            "Ignoring that the ip channel 127.0.0.2 used cannot be opened while "
                            "retrieving the product number.",
                            "Bypass Proxy need not be added."));
    EXPECT_FALSE(install.Exists("params"));

    const std::vector<std::string> names = install.LogFileNames();
    ASSERT_EQ(names.size(), 1u);
    EXPECT_TRUE(std::regex_match(names[0], std::regex(R"(SME\d{8}_\d{6}\.log)"))) << names[0];
}

TEST_F(EngineStartup, ParamsWithoutModuleStartTheDefaultModuleEvenWhenNotListed) {
    InstallMerrow();
    install.WriteModuleXml(kDefaultDirectory, kModuleXml);
    install.WriteFile(std::string(kDefaultDirectory) + "/vw/id.prn", "ID?\r\n");
    install.WriteParams("Name:\nUSB\nDriver:USB001\n");

    EXPECT_THAT(RunAndReadLog(),
                ElementsAre("printer name = ", "printer type = usb", "printer address = USB001",
                            "module = (default - brenna)",
                            "module directory = (default - orvik plotara 310ps 320ps 350ps)",
                            "start-page = Welcome.html",
                            "Ignoring that the usb channel USB001 used cannot be opened while "
                            "retrieving the product number.",
                            "Bypass Proxy need not be added."));
    EXPECT_FALSE(install.Exists("params"));
}

TEST_F(EngineStartup, AppleTalkAddressJoinsNameAndZone) {
    InstallMerrow();
    install.WriteParams("Name:Big one\nAT\nName:Plotter 7\nZone:Floor 2\nModule:merrow\n");
    EXPECT_THAT(RunAndReadLog(), Contains("printer address = Plotter 7::Floor 2"));
}

TEST_F(EngineStartup, MissingParamsFileIsReported) {
    InstallMerrow();
    EXPECT_THAT(RunAndReadLog(), Contains("The params file has not been found."));
}

TEST_F(EngineStartup, BadParamsFileIsReportedAndKept) {
    InstallMerrow();
    const std::string bad = "Name :x\nTCP\nIP:1.2.3.4\n";
    install.WriteParams(bad);
    EXPECT_THAT(RunAndReadLog(), Contains("The params file is not correctly formatted."));
    EXPECT_TRUE(install.Exists("params"));

    install.WriteParams("Name:x\n1394\nPort:LPT1\n");
    install.RemoveLogFolder();
    ChildResult second = install.RunEngine();
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_TRUE(install.Exists("params")) << "a bad params file is never deleted";
}

TEST_F(EngineStartup, ModuleNotInstalledIsReportedWithItsName) {
    InstallMerrow();
    install.WriteParams("Name:x\nPARALLEL\nPort:LPT1\nModule:quessel GA\n");
    EXPECT_THAT(RunAndReadLog(),
                Contains("The module quessel GA requested in the params file is not installed."));
}

TEST_F(EngineStartup, ModuleThatNoProductNamesIsNotInstalled) {
    install.WriteRegistry(
        {{{"merrow", "merrow module"}, {"tolvar GA", "tolvar"}}, {{"Q6683A", "merrow"}}});
    install.WriteModuleXml("tolvar", kModuleXml);
    install.WriteParams("Name:x\nPARALLEL\nPort:LPT1\nModule:tolvar GA\n");
    EXPECT_THAT(RunAndReadLog(),
                Contains("The module tolvar GA requested in the params file is not installed."));
}

TEST_F(EngineStartup, MissingModuleXmlIsReportedWithTheModuleDirectory) {
    install.WriteRegistry({{{"merrow", "merrow module"}}, {{"Q6683A", "merrow"}}});
    install.WriteParams(kTcpParams);
    EXPECT_THAT(RunAndReadLog(),
                Contains("The merrow module\\module.xml file has not been found."));
    EXPECT_FALSE(install.Exists("params")) << "the params file itself was good";
}

TEST_F(EngineStartup, MalformedModuleXmlIsReported) {
    install.WriteRegistry({{{"merrow", "merrow module"}}, {{"Q6683A", "merrow"}}});
    install.WriteModuleXml("merrow module", "<module><exit-page>x</exit-page></modul>");
    install.WriteParams(kTcpParams);
    EXPECT_THAT(RunAndReadLog(),
                Contains("The merrow module\\module.xml file is not correctly formatted."));
}

TEST_F(EngineStartup, NoModuleInstalledIsReportedBeforeTheParamsFileIsRead) {
    RegistryEntries entries;
    entries.withSmmKey = false;
    entries.products = {{"Q6683A", "merrow"}};
    install.WriteRegistry(entries);
    install.WriteParams(kTcpParams);
    EXPECT_THAT(RunAndReadLog(), Contains("There is no SMM installed on the computer."));
    EXPECT_TRUE(install.Exists("params"));
}

TEST_F(EngineStartup, NoSupportedProductIsReported) {
    install.WriteRegistry({{{"merrow", "merrow module"}}, {{"Q6683A", "quessel CAD"}}});
    install.WriteParams(kTcpParams);
    EXPECT_THAT(RunAndReadLog(),
                Contains("None of the SMM installed has support for any printer."));
}

TEST_F(EngineStartup, WithoutLogFolderNothingIsWrittenAndStartUpGoesOn) {
    InstallMerrow();
    install.WriteParams(kTcpParams);
    install.RemoveLogFolder();
    RunningEngine engine(install);
    EXPECT_TRUE(engine.Start()) << "start-up did not go on to serve";
    engine.Kill();
    EXPECT_FALSE(install.Exists("log"));
    EXPECT_FALSE(install.Exists("params"));
}

TEST_F(EngineStartup, EmptyDefaultStartPageGivesMainMenu) {
    install.WriteRegistry({{{"merrow", "merrow module"}}, {{"Q6683A", "merrow"}}});
    install.WriteModuleXml("merrow module",
                           "<module><log-to-file>yes</log-to-file><default-start-page>"
                           "</default-start-page></module>");
    install.WriteParams("Name:x\nTCP\nIP:10.1.1.1\nPort:9100\nModule:merrow\n");
    EXPECT_THAT(RunAndReadLog(), Contains("start-page = MainMenu.html"));
}

}  // namespace
}  // namespace integration
