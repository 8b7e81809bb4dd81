// The user's whole way with the installed product, in a Wine prefix made for it: install, pick
// the printer in the selector the start menu entry starts, work with the printer in a real
// browser, update its firmware through the helper control, come back through the caller while
// the engine runs, leave, uninstall.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <thread>

#include "harness/browser_recording.h"
#include "harness/desktop.h"
#include "harness/wait.h"
#include "integration/firmware_file_server.h"
#include "integration/headless_browser.h"
#include "integration/http_client.h"
#include "integration/installed_product.h"
#include "integration/running_engine.h"
#include "integration/selector_installation.h"
#include "integration/simulated_printer.h"

using ::testing::HasSubstr;
using ::testing::IsEmpty;

namespace fs = std::filesystem;

namespace integration {
namespace {

using harness::TargetUnderTest;

const char* const kPrinterAddress = "127.0.0.21";
const char* const kQueueName = "Plotara 310ps in the office";
const char* const kQueuePort = "IP_127.0.0.21";
const char* const kQueueDriver = "orvik plotara 310ps";
const char* const kQueuePortKey =
    "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\"
    "Orvik Standard TCP/IP Port\\Ports\\IP_127.0.0.21";
const char* const kPrinterStatus = "CODE=10001\\r\\nDISPLAY=\"READY\"\\r\\nONLINE=TRUE";
const char* const kControlProgId = "OrvikFmwHelper.OrvikFmwHandler";

/// Every byte value, so that a transfer that alters any shows.
std::string FirmwareBytes() {
    std::string bytes;
    for (int i = 0; i < 40000; ++i) bytes += static_cast<char>((i * 7 + i / 256) & 0xff);
    return bytes;
}

std::string WineServer() {
    const char* configured = getenv("WINESERVER");
    return configured != nullptr && *configured != '\0' ? configured : "/usr/lib/wine/wineserver";
}

/// A Wine prefix made for this test at `path`: this process's WINEPREFIX names it until the
/// end, so every Wine run of the harness uses it; then its wineserver ends and WINEPREFIX is
/// what it was. A hidden window keeps Wine's desktop on `display` meanwhile: Wine makes the
/// desktop with the display of the first windowed program, and programs of the test run
/// without one.
class FreshPrefix {
public:
    FreshPrefix(const std::string& path, const harness::VirtualDisplay& display) {
        const char* before = getenv("WINEPREFIX");
        if (before != nullptr) m_before = before;
        std::error_code ignored;
        fs::remove_all(path, ignored);
        fs::create_directories(fs::path(path).parent_path());
        setenv("WINEPREFIX", path.c_str(), 1);
        const std::string folder = fs::path(path).parent_path().string();
        const auto environment = TargetUnderTest().Environment();
        const harness::ChildResult booted =
            harness::RunChild({harness::WineLoader(), "wineboot", "-i"}, folder, environment, 300);
        harness::RunChild({WineServer(), "-w"}, folder, environment, 300);
        if (!fs::exists(path + "/system.reg")) {
            m_failure = "wineboot made no prefix: " + booted.output;
            return;
        }
        const std::string holder =
            (fs::path(TargetUnderTest().BuiltProgram("window_probe")).parent_path() /
             "hold_desktop.exe")
                .string();
        const std::string ready = folder + "/hold_desktop.out";
        fs::remove(ready, ignored);
        m_holder.Start(
            {"/bin/sh", "-c", "exec \"$0\" \"$1\" >\"$2\"", harness::WineLoader(), holder, ready},
            folder, display.Environment(environment));
        const bool held = harness::WaitUntil(
            [&] {
                std::ifstream said(ready);
                std::string line;
                return (std::getline(said, line) && line.rfind("ready", 0) == 0) ||
                       !m_holder.IsRunning();
            },
            120, 100);
        if (!held || !m_holder.IsRunning()) m_failure = "the desktop holder did not start";
    }
    ~FreshPrefix() {
        harness::RunChild({WineServer(), "-k"}, "/", TargetUnderTest().Environment(), 60);
        m_holder.Kill();
        if (m_before.empty())
            unsetenv("WINEPREFIX");
        else
            setenv("WINEPREFIX", m_before.c_str(), 1);
    }
    FreshPrefix(const FreshPrefix&) = delete;
    FreshPrefix& operator=(const FreshPrefix&) = delete;

    const std::string& Failure() const { return m_failure; }

private:
    std::string m_before;
    std::string m_failure;
    harness::BackgroundChild m_holder;
};

/// The same page of the engine as asked of 127.0.0.1: the address the engine names for this
/// computer need not be reachable from the test's network.
std::string OnLoopback(const std::string& url) {
    const std::size_t port = url.find(":8190/");
    return port == std::string::npos ? url : "http://127.0.0.1" + url.substr(port);
}

std::string Shot(const std::string& name) { return harness::ScreenshotFolder() + "/" + name; }

/// The row of the selector's list whose third column is `text`, once the list shows it; -1
/// when it does not.
int WaitForRow(const harness::VirtualDisplay& display, const std::string& text,
               harness::ListViewContents* list) {
    int row = -1;
    harness::WaitUntil(
        [&] {
            *list = {};
            if (!harness::DialogWindow::ReadList(TargetUnderTest(), display,
                                                 kInstalledSelectorTitle, list))
                return false;
            for (std::size_t i = 0; i < list->rows.size(); ++i) {
                if (list->rows[i].texts.size() > 2 && list->rows[i].texts[2] == text)
                    row = static_cast<int>(i);
            }
            return row >= 0;
        },
        30, 200);
    return row;
}

TEST(InstalledJourney, FromInstallationThroughTheSelectorBrowserFirmwareAndCallerToRemoval) {
    const harness::ProgramTarget& target = TargetUnderTest();
    if (!target.IsWine()) GTEST_SKIP() << "the installed product is a Windows product";
    ASSERT_TRUE(HeadlessBrowserAvailable()) << "the journey needs Chromium";
    harness::VirtualDisplay display;
    ASSERT_TRUE(display.IsUsable());
    const std::string journey =
        (fs::path(harness::ScreenshotFolder()).parent_path().parent_path() / "journey").string();
    FreshPrefix prefix(journey + "/wineprefix", display);
    ASSERT_EQ(prefix.Failure(), "");

    // 1. The administrator installs the product silently.
    ProductInstallation product;
    const harness::ChildResult installed = product.Install();
    ASSERT_EQ(installed.exitCode, 0) << installed.output;
    for (const char* file :
         {"velkor.exe", "printer_selector.exe", "velkorcall.exe", "selector_launcher.exe",
          "velkorfw.dll", "uninstall.exe", "supportedprinters.xml", "add_module.cmd", "Log"}) {
        EXPECT_TRUE(fs::exists(product.HostPath(file))) << file;
    }
    EXPECT_TRUE(fs::exists(product.HostPath(std::string(kDemoModuleFolder) + "/module.xml")));
    EXPECT_EQ(product.Registry(kProductKey, "PATH"), product.WindowsDirectory());
    EXPECT_EQ(product.Registry(std::string(kProductKey) + "\\ProdNumbers", kQueueDriver), "brenna");
    EXPECT_TRUE(product.KeyExists(kProductVersionKey));
    EXPECT_TRUE(product.KeyExists(kControlClassKey));
    EXPECT_TRUE(product.KeyExists(kControlProgIdKey));
    EXPECT_TRUE(harness::TakeScreenshot(display, Shot("journey-1-installed.png")));

    // 2. A network printer in the spooler beside the fixture's queues; the user opens the start
    // menu entry and picks the printer.
    SpoolerQueues queues;
    ASSERT_EQ(queues.Failure(), "");
    const harness::ChildResult queued =
        harness::RunChild(target.Command(target.BuiltProgram("spooler_fixture"),
                                         {"add", kQueueName, kQueuePort, kQueueDriver}),
                          journey, target.Environment(), 120);
    ASSERT_EQ(queued.exitCode, 0) << queued.output;
    harness::InstallationBuilder browser(journey + "/browser");
    ASSERT_TRUE(product.WriteRegistry(
        harness::RecordingBrowser(browser, target,
                                  harness::RegistryFile()
                                      .SetString(kQueuePortKey, "IPAddress", kPrinterAddress)
                                      .SetString(kQueuePortKey, "HostName", ""))));
    SimulatedPrinter printer;
    ASSERT_TRUE(printer.Start(kPrinterAddress,
                              {"--product", "Q1251A", kQueueDriver, "--status", kPrinterStatus}));

    const ShellLink link = ReadShellLink(ProductInstallation::HostPathOf(kShortcutPath));
    ASSERT_TRUE(link.read) << "no start menu entry";
    harness::BackgroundChild launcher;
    ASSERT_TRUE(launcher.Start(target.Command(link.target, {}),
                               ProductInstallation::HostPathOf(link.workingDirectory),
                               display.Environment(target.Environment())));
    EXPECT_EQ(launcher.Wait(60).exitCode, 0);
    ASSERT_TRUE(harness::DesktopWindow::WaitFor(target, display, kInstalledSelectorTitle, 60))
        << "no selector titled with the installed version";
    ASSERT_TRUE(harness::DialogWindow::SelectTab(target, display, kInstalledSelectorTitle, 1));
    harness::ListViewContents list;
    const int row = WaitForRow(display, kPrinterAddress, &list);
    ASSERT_GE(row, 0) << "the network printer is not listed";
    EXPECT_EQ(list.rows[static_cast<std::size_t>(row)].texts[1], "Orvik Plotara 310ps");
    ASSERT_TRUE(harness::DialogWindow::SelectRow(target, display, kInstalledSelectorTitle, row));
    EXPECT_TRUE(harness::TakeScreenshot(display, Shot("journey-2-selector.png")));
    ASSERT_TRUE(harness::DesktopWindow::Press(target, display, kInstalledSelectorTitle, "Next..."));

    // 3. The engine checks the printer and has the browser open its start page.
    ASSERT_TRUE(harness::WaitForOpenedAddresses(browser, 1, 120))
        << "the engine did not start the browser";
    const std::string startPage = harness::OpenedAddresses(browser)[0];
    EXPECT_THAT(startPage, ::testing::MatchesRegex("http://[0-9.]+:8190/ColorStart\\.html"))
        << "the launcher asks for the colour start page";
    // The browser may be asked before the engine takes connections; a user's browser would
    // be reloaded, this one is sent once the engine answers.
    ASSERT_TRUE(harness::WaitUntil(
        [] { return Exchange("GET /ready-check.gif HTTP/1.0\r\n\r\n", 2).complete; }, 60, 100))
        << "the engine does not serve";
    const BrowsedPage start = BrowsePage(OnLoopback(startPage), Shot("journey-3-start.png"));
    ASSERT_TRUE(start.loaded) << start.output;
    EXPECT_THAT(start.dom, HasSubstr(kQueueName));
    const BrowsedPage menu =
        BrowsePage("http://127.0.0.1:8190/MainMenu.html", Shot("journey-3-main-menu.png"));
    ASSERT_TRUE(menu.loaded) << menu.output;
    for (const std::string& shown :
         {std::string("id=\"prtname\">") + kQueueName + "<",
          std::string("id=\"prtaddr\">") + kPrinterAddress + "<",
          std::string("id=\"display-name\">Orvik Plotara 310ps<"),
          std::string("id=\"prod-number\">Q1251A<"), std::string("id=\"module\">brenna<")}) {
        EXPECT_THAT(menu.dom, HasSubstr(shown));
    }
    const BrowsedPage status =
        BrowsePage("http://127.0.0.1:8190/Status.html", Shot("journey-3-status.png"));
    ASSERT_TRUE(status.loaded) << status.output;
    EXPECT_THAT(status.dom, HasSubstr("CODE=10001\nDISPLAY=\"READY\"\nONLINE=TRUE"));

    // 4. A firmware file opened from the web: the registered control downloads it and sends
    // the browser to the engine, which sends the file to the printer.
    const std::string firmware = FirmwareBytes();
    FirmwareFileServer server(firmware);
    ASSERT_NE(server.Port(), 0);
    harness::InstallationBuilder container(journey + "/firmware");
    const std::string containerProgram = container.InstallProgram(target, "fw_container");
    // The container appends what it navigated to: an earlier run's record must not be read.
    container.Remove("navigated.txt");
    const std::string record = container.PathOf("navigated.txt");
    const harness::ChildResult loaded = harness::RunChild(
        target.Command(containerProgram,
                       {"load", kControlProgId, server.Address(), target.PathAsSeen(record)}),
        container.Directory(), target.Environment(), 120);
    ASSERT_EQ(loaded.exitCode, 0) << loaded.output;
    std::string navigated;
    std::ifstream recordFile(record);
    std::getline(recordFile, navigated);
    ASSERT_THAT(navigated, HasSubstr(":8190/FwDownload.html?")) << loaded.output;
    const std::string sentBefore = printer.Received();
    const HttpAnswer download = Exchange(GetRequest(navigated.substr(navigated.find("/", 7))), 120);
    EXPECT_THAT(download.body, HasSubstr("id=\"firmware-sent\"")) << download.body;
    ASSERT_TRUE(printer.WaitUntilReceived(sentBefore.size() + firmware.size(), 60));
    EXPECT_TRUE(printer.Received() == sentBefore + firmware) << "the file arrived altered";
    std::string progress;
    EXPECT_TRUE(harness::WaitUntil(
        [&] {
            progress = Exchange(GetRequest("/Progress.html"), 10).body;
            return progress.find("id=\"progress\">100<") != std::string::npos &&
                   progress.find("id=\"status\">done<") != std::string::npos;
        },
        30, 200))
        << progress;
    const BrowsedPage end =
        BrowsePage("http://127.0.0.1:8190/FwEnd.html", Shot("journey-4-firmware.png"));
    EXPECT_THAT(end.dom, HasSubstr("id=\"progress\">100<"));

    // 5. The printer's queue asks for maintenance while the engine runs: the second engine
    // hands the user over to the first.
    const harness::ChildResult called =
        harness::RunChild(product.Command("velkorcall.exe", {kQueueName}), product.HostDirectory(),
                          display.Environment(target.Environment()), 120);
    EXPECT_EQ(called.exitCode, 0) << called.output;
    ASSERT_TRUE(harness::WaitForOpenedAddresses(browser, 2, 120))
        << "the second engine did not hand over";
    // The caller asks for no page of its own: the user lands on the running engine's main menu.
    const std::string handedOver = harness::OpenedAddresses(browser)[1];
    EXPECT_THAT(handedOver, ::testing::MatchesRegex("http://[0-9.]+:8190/MainMenu\\.html"));
    EXPECT_TRUE(harness::WaitUntil(
        [&] {
            for (const auto& entry : fs::directory_iterator(product.HostPath("Log"))) {
                std::ifstream log(entry.path(), std::ios::binary);
                const std::string text{std::istreambuf_iterator<char>(log),
                                       std::istreambuf_iterator<char>()};
                if (text.find("Another engine already serves this module and printer") !=
                    std::string::npos)
                    return true;
            }
            return false;
        },
        30, 200))
        << "no engine log tells of the hand-over";
    const BrowsedPage again = BrowsePage(OnLoopback(handedOver), Shot("journey-5-caller.png"));
    EXPECT_THAT(again.dom, HasSubstr(kQueueName)) << "the first engine serves on";

    // 6. The exit page stops the engine; the product is uninstalled, the user's logs stay.
    // While a connection's thread is still being reclaimed the engine answers that it cannot
    // exit yet: then the page is asked for again.
    bool said = false;
    const harness::Deadline deadline(60);
    while (PortTakesConnections() && !deadline.Passed()) {
        said =
            Exchange(GetRequest("/Exit.html"), 5).body.find("Goodbye") != std::string::npos || said;
        harness::WaitUntil([] { return !PortTakesConnections(); }, 2, 100);
    }
    EXPECT_TRUE(said) << "no exit page";
    ASSERT_FALSE(PortTakesConnections()) << "the engine did not end on its exit page";
    ASSERT_EQ(product.Uninstall(), "");
    EXPECT_TRUE(harness::WaitUntil([&] { return product.Leftovers().empty(); }, 30, 500))
        << ::testing::PrintToString(product.Leftovers());
    EXPECT_FALSE(product.FileText("Log/PrinterSelector.log").empty()) << "the selector's log";
    int logs = 0;
    for (const auto& entry : fs::directory_iterator(product.HostPath("Log"))) {
        logs += entry.is_regular_file() ? 1 : 0;
    }
    EXPECT_GE(logs, 2) << "the engine's logs stay with the selector's";
    EXPECT_TRUE(harness::TakeScreenshot(display, Shot("journey-6-uninstalled.png")));
}

}  // namespace
}  // namespace integration
