// The native journey behind a CUPS queue: the caller starts the installed engine for the
// queue's network printer, and a real browser walks the demo module from the start page the
// engine opened: its values, the printer's status, a firmware file sent with its progress
// watched, a second caller handed over to the running engine, and the exit page.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "harness/desktop.h"
#include "harness/wait.h"
#include "integration/cups_caller_install.h"
#include "integration/cups_server.h"
#include "integration/headless_browser.h"
#include "integration/http_client.h"
#include "integration/installation.h"
#include "integration/local_address.h"
#include "integration/running_engine.h"
#include "integration/simulated_printer.h"
#include "text/url_coding.h"

namespace integration {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

const char* const kInstallationKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvik\\Plotara TroubleShooter";
const char* const kModule = "brenna";
const char* const kModuleFolder = "orvik plotara 310ps 320ps 350ps";
const char* const kQueue = "Journey_plotter";
const char* const kPrinterAddress = "127.0.0.47";
const char* const kProductNumber = "Q1251A";
const char* const kModel = "orvik plotara 310ps";
// Slow enough that the transfer's progress can be watched between 0 and 100.
const char* const kPrinterBytesPerSecond = "1048576";
const std::size_t kFirmwareBytes = 4u << 20;

std::string DemoModuleSource() { return VELKOR_DEMO_MODULE; }

// The text inside the element of `id` in the DOM the browser left (no nested markup).
std::string TextOf(const std::string& dom, const std::string& id) {
    std::smatch found;
    if (!std::regex_search(dom, found, std::regex("id=\"" + id + "\"[^>]*>([^<]*)<"))) {
        return "<no element " + id + ">";
    }
    return found[1].str();
}

bool HasElement(const std::string& dom, const std::string& id) {
    return dom.find("id=\"" + id + "\"") != std::string::npos;
}

std::string TitleOf(const std::string& dom) {
    std::smatch found;
    return std::regex_search(dom, found, std::regex("<title>([^<]*)</title>")) ? found[1].str()
                                                                               : "<no title>";
}

std::size_t Occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// The engine names this computer by its host name's address, which need not be reachable
// inside the tests' own network namespace: the same page on loopback.
std::string OnLoopback(const std::string& address) {
    const std::size_t port = address.find(":8190/");
    return port == std::string::npos ? address : "http://127.0.0.1" + address.substr(port);
}

std::string Screenshot(const std::string& name) {
    return harness::ScreenshotFolder() + "/cups-journey-" + name + ".png";
}

struct Progress {
    int percent = -1;
    std::string status;
};

Progress ProgressNow() {
    const HttpAnswer page = Exchange(GetRequest("/Progress.html"), 10);
    Progress progress;
    const std::string percent = TextOf(page.body, "progress");
    if (!percent.empty() && percent.find_first_not_of("0123456789") == std::string::npos)
        progress.percent = std::stoi(percent);
    progress.status = TextOf(page.body, "status");
    return progress;
}

class CupsJourney : public ::testing::Test {
protected:
    CupsJourney() : install(TargetUnderTest()) {}

    void SetUp() override {
        if (!HeadlessBrowserAvailable()) GTEST_SKIP() << "no Chromium to walk the pages with";
        std::string whyNot;
        caller = InstallCupsCaller(install, &whyNot);
        if (caller.empty()) GTEST_SKIP() << whyNot;
        if (!cups.Start()) GTEST_SKIP() << cups.Problem();
    }

    // No engine of this installation outlives the test, whatever step failed.
    void TearDown() override { EndProgramsRunningIn(install.Directory()); }

    // Laid out as the installer leaves a product: the engine, the demo module in the folder
    // named after its models, and the registry naming both.
    void LayOutInstalledProduct() {
        install.Builder().Copy(DemoModuleSource(), kModuleFolder);
        const std::string folder = install.Directory();
        RegistryEntries entries{{{kModule, kModuleFolder}},
                                {{kModel, kModule}, {kProductNumber, kModule}}};
        entries.more = [folder](harness::RegistryFile& registry) {
            registry.DeleteValue(kInstallationKey, "PATH")
                .SetString(kInstallationKey, "PATH", folder)
                .SetString(kInstallationKey, "EXE", "velkor");
        };
        install.WriteRegistry(entries);
    }

    ChildResult RunCaller() {
        // No desktop: a message goes to standard error instead of waiting for a click.
        return harness::RunChild({caller, kQueue}, install.Directory(),
                                 {{"CUPS_SERVER", cups.Address()}, {"DISPLAY", ""}, {"LANG", "C"}},
                                 60);
    }

    std::vector<int> Engines() const {
        return ProcessesIn(install.Directory(), install.PathOf("velkor"));
    }

    std::string ModuleFile(const std::string& relative) const {
        return ReadText(install.PathOf(std::string(kModuleFolder) + "/" + relative));
    }

    Installation install;
    CupsServer cups;
    std::string caller;
};

TEST_F(CupsJourney, CallerStartsTheEngineAndABrowserWalksTheModuleToItsExit) {
    LayOutInstalledProduct();
    SimulatedPrinter printer;
    ASSERT_TRUE(
        printer.Start(kPrinterAddress, {"--product", kProductNumber, kModel, "--status",
                                        "CODE=10001\\r\\nDISPLAY=\"READY\"\\r\\nONLINE=TRUE",
                                        "--read-rate", kPrinterBytesPerSecond}));
    ASSERT_FALSE(PortTakesConnections()) << "another engine serves port 8190";
    ASSERT_TRUE(cups.AddQueue(kQueue, std::string("socket://") + kPrinterAddress + ":9100", kModel))
        << cups.Problem();

    // The caller hands the queue to the engine, which asks the printer who it is, finds the
    // module for it and has the browser open its start page.
    const ChildResult called = RunCaller();
    ASSERT_EQ(0, called.exitCode) << called.output;
    EXPECT_FALSE(install.Exists("params")) << "the engine has not read its params file";
    const std::vector<std::string> opened = install.OpenedAddresses(1);
    ASSERT_THAT(opened, ElementsAre(EngineAddress("MainMenu.html"))) << install.LogText();
    const std::vector<int> engines = Engines();
    ASSERT_EQ(1u, engines.size());
    const std::vector<std::string> logs = install.LogFileNames();
    ASSERT_EQ(1u, logs.size());
    const std::string engineLog = install.PathOf("log/" + logs[0]);
    EXPECT_EQ(ModuleFile("vw/prodnumber.prn"), printer.Received());

    // The main menu shows the queue's printer as the printer named itself.
    const BrowsedPage menu = BrowsePage(OnLoopback(opened[0]), Screenshot("1-main-menu"));
    ASSERT_TRUE(menu.loaded) << menu.output;
    EXPECT_EQ("Plotara maintenance - main menu", TitleOf(menu.dom));
    EXPECT_EQ(kQueue, TextOf(menu.dom, "prtname"));
    EXPECT_EQ("ip", TextOf(menu.dom, "prttype"));
    EXPECT_EQ(kPrinterAddress, TextOf(menu.dom, "prtaddr"));
    EXPECT_EQ(kProductNumber, TextOf(menu.dom, "prod-number"));
    EXPECT_EQ(kModel, TextOf(menu.dom, "prod-name"));
    EXPECT_EQ(kModule, TextOf(menu.dom, "module"));
    EXPECT_EQ(kModuleFolder, TextOf(menu.dom, "module-dir"));
    EXPECT_EQ(install.Directory(), TextOf(menu.dom, "installation-directory"));
    EXPECT_EQ("Scripts run in this browser.", TextOf(menu.dom, "script-check"));

    // The status page runs the status command against the printer and shows its answer.
    const BrowsedPage status =
        BrowsePage("http://127.0.0.1:8190/Status.html", Screenshot("2-status"));
    ASSERT_TRUE(status.loaded) << status.output;
    EXPECT_EQ("Plotara maintenance - printer status", TitleOf(status.dom));
    EXPECT_THAT(TextOf(status.dom, "status-answer"),
                HasSubstr("CODE=10001\nDISPLAY=\"READY\"\nONLINE=TRUE"));
    const std::string beforeFirmware = printer.Received();
    EXPECT_EQ(ModuleFile("vw/prodnumber.prn") + ModuleFile("vw/status.prn"), beforeFirmware);

    // A downloaded firmware file, handed over the way the firmware control does, goes to the
    // printer while its progress is watched; the browser ends on the module's end page.
    const std::string firmwarePath = install.PathOf("downloaded files/plotara 310ps.fmw");
    std::string firmware(kFirmwareBytes, '\0');
    std::mt19937 bytes(310);
    for (char& c : firmware) c = static_cast<char>(bytes());
    install.WriteFile("downloaded files/plotara 310ps.fmw", firmware);
    const std::string download =
        "http://127.0.0.1:8190/FwDownload.html?nextpage=FwEnd.html&abs=1"
        "&file-to-send=" +
        UrlEncode(firmwarePath);
    std::atomic<bool> downloaded{false};
    BrowsedPage end;
    std::thread browser([&] {
        end = BrowsePage(download, Screenshot("3-firmware-end"));
        downloaded = true;
    });
    std::vector<Progress> sending;
    harness::WaitUntil(
        [&] {
            const Progress now = ProgressNow();
            if (now.status == "sending") sending.push_back(now);
            return downloaded.load();
        },
        180, 100);
    browser.join();
    ASSERT_TRUE(end.loaded) << end.output;
    EXPECT_EQ("Plotara maintenance - firmware update finished", TitleOf(end.dom)) << end.dom;
    EXPECT_EQ("100", TextOf(end.dom, "progress"));
    EXPECT_EQ("done", TextOf(end.dom, "status"));
    ASSERT_TRUE(printer.WaitUntilReceived(beforeFirmware.size() + firmware.size()));
    EXPECT_TRUE(printer.Received() == beforeFirmware + firmware)
        << "the printer received " << printer.Received().size() << " bytes, not the "
        << beforeFirmware.size() << " before and the " << firmware.size() << " of the file";
    const Progress after = ProgressNow();
    EXPECT_EQ(100, after.percent);
    EXPECT_EQ("done", after.status);
    // The progress was live: seen part-way, and never going back.
    ASSERT_FALSE(sending.empty()) << "no progress was seen while the file was sent";
    EXPECT_TRUE(std::any_of(sending.begin(), sending.end(),
                            [](const Progress& p) { return p.percent > 0 && p.percent < 100; }));
    for (std::size_t i = 1; i < sending.size(); ++i)
        EXPECT_GE(sending[i].percent, sending[i - 1].percent) << "seen as number " << i;

    // A second call for the same queue: its engine finds the first serving the same module
    // and printer, sends the browser to that engine's start page and ends.
    const ChildResult again = RunCaller();
    ASSERT_EQ(0, again.exitCode) << again.output;
    EXPECT_THAT(install.OpenedAddresses(2),
                ElementsAre(EngineAddress("MainMenu.html"), EngineAddress("MainMenu.html")));
    EXPECT_TRUE(harness::WaitUntil([&] { return Engines() == engines; }, 60))
        << "the second engine did not end, or the first did";
    std::string secondLog;
    for (const std::string& name : install.LogFileNames()) {
        if (name != logs[0]) secondLog += ReadText(install.PathOf("log/" + name));
    }
    EXPECT_THAT(secondLog, HasSubstr("Another engine already serves this module and printer"));
    // It asked the printer who it is before it found the port taken, and sent nothing else.
    EXPECT_TRUE(printer.WaitUntilReceived(beforeFirmware.size() + firmware.size() +
                                          ModuleFile("vw/prodnumber.prn").size()));
    EXPECT_TRUE(printer.Received() == beforeFirmware + firmware + ModuleFile("vw/prodnumber.prn"))
        << "the printer received " << printer.Received().size() << " bytes in all";

    // The exit page stops the engine. A connection the engine has not reclaimed yet makes it
    // answer that it cannot exit; the browser then asks again.
    BrowsedPage goodbye;
    const harness::Deadline deadline(60);
    do {
        harness::WaitUntil(
            [&] {
                const std::string log = ReadText(engineLog);
                return Occurrences(log, "Thread for CConnectionHandler started") ==
                       Occurrences(log, "Thread for CConnectionHandler finished");
            },
            deadline.SecondsLeft());
        goodbye = BrowsePage("http://127.0.0.1:8190/Exit.html", Screenshot("4-exit"));
    } while (goodbye.loaded && HasElement(goodbye.dom, "cannot-exit") && !deadline.Passed());
    ASSERT_TRUE(goodbye.loaded) << goodbye.output;
    EXPECT_EQ("Plotara maintenance - goodbye", TitleOf(goodbye.dom)) << goodbye.dom;
    EXPECT_TRUE(harness::WaitUntil([&] { return Engines().empty(); }, 60))
        << "an engine is still running";
    EXPECT_FALSE(PortTakesConnections());
}

}  // namespace
}  // namespace integration
