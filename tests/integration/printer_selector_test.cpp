// The printer selector under Wine, on the test display: the printers of the spooler and of
// the USB bus in their tabs, the user's choices kept, the params file it hands the engine, the
// engine it starts, the printer's own page, one selector at a time.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>

#include "harness/wait.h"
#include "integration/http_client.h"
#include "integration/running_engine.h"
#include "integration/selector_installation.h"
#include "integration/simulated_printer.h"

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;

namespace integration {
namespace {

const char* const kSettingsKey =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const char* const kVersionsKey =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvik\\Orvik Plotara system maintenance ";

// Control ids of dialog 101.
constexpr int kUsbOption = 1012;
constexpr int kParallelOption = 1013;
constexpr int kNextButton = 1009;
constexpr int kSettingsButton = 1015;

/// Column 1 and 2 of each row, sorted: the spooler's order is its own.
std::vector<std::vector<std::string>> SortedTexts(const harness::ListViewContents& list) {
    std::vector<std::vector<std::string>> texts;
    for (const auto& row : list.rows) {
        texts.push_back(
            {row.texts.size() > 1 ? row.texts[1] : "", row.texts.size() > 2 ? row.texts[2] : ""});
    }
    std::sort(texts.begin(), texts.end());
    return texts;
}

/// The row whose column 2 is `text`, or -1.
int RowOf(const harness::ListViewContents& list, const std::string& text) {
    for (std::size_t i = 0; i < list.rows.size(); ++i) {
        if (list.rows[i].texts.size() > 2 && list.rows[i].texts[2] == text)
            return static_cast<int>(i);
    }
    return -1;
}

/// Waits until the list shows what `shown` looks for (a group is shown once the dialog has
/// filled it); the list as last read.
harness::ListViewContents WaitForList(
    const SelectorInstallation& selector,
    const std::function<bool(const harness::ListViewContents&)>& shown) {
    harness::ListViewContents list;
    harness::WaitUntil(
        [&] {
            list = selector.List();
            return shown(list);
        },
        30, 100);
    return list;
}

/// Waits until the list's third column is titled `header`.
harness::ListViewContents WaitForGroup(const SelectorInstallation& selector,
                                       const std::string& header) {
    return WaitForList(selector, [&](const harness::ListViewContents& list) {
        return list.headers.size() == 3 && list.headers[2] == header;
    });
}

std::function<void(harness::RegistryFile&)> Preferences(const std::string& domain,
                                                        const std::string& printer) {
    return [=](harness::RegistryFile& registry) {
        registry.SetString(kDomainKey, "Domain", domain).SetString(kPrinterKey, "Printer", printer);
    };
}

std::string FileText(const Installation& install, const std::string& relative) {
    std::ifstream file(install.PathOf(relative), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

class PrinterSelector : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (TargetUnderTest().IsWine()) queues = new SpoolerQueues;
    }
    static void TearDownTestSuite() {
        delete queues;
        queues = nullptr;
    }
    void SetUp() override {
        if (!TargetUnderTest().IsWine()) GTEST_SKIP() << "the selector is a Windows program";
        ASSERT_EQ(queues->Failure(), "") << "the spooler did not take the test queues";
    }
    // The registry is the whole prefix's: leave it as a fresh prefix has it.
    void TearDown() override {
        if (!TargetUnderTest().IsWine()) return;
        Installation cleaner(TargetUnderTest());
        RegistryEntries entries;
        entries.more = ForgetSelectorRegistry;
        cleaner.WriteRegistry(entries);
    }

    static SpoolerQueues* queues;
};

SpoolerQueues* PrinterSelector::queues = nullptr;

TEST_F(PrinterSelector, ShowsEachGroupAndKeepsTheUsersChoice) {
    SelectorInstallation selector("program_recorder");
    selector.SetRegistry([](harness::RegistryFile& registry) {
        registry.SetDword(kSettingsKey, "ProxyEnable", 1)
            .SetString(kSettingsKey, "ProxyOverride", "<local>");
    });
    ASSERT_TRUE(selector.Start()) << "no dialog titled exactly string 3";

    // First start: no preferences yet, so the USB group; Wine has no USB host controllers.
    EXPECT_TRUE(selector.Control(kUsbOption).checked);
    EXPECT_FALSE(selector.Control(kParallelOption).checked);
    EXPECT_FALSE(selector.Control(kSettingsButton).enabled);
    harness::ListViewContents list = WaitForGroup(selector, "Serial Number");
    EXPECT_THAT(list.headers, ElementsAre("", "Model", "Serial Number"));
    EXPECT_THAT(list.rows, IsEmpty());
    selector.Screenshot("selector-en-usb.png");

    ASSERT_TRUE(selector.Press("Parallel"));
    list = WaitForGroup(selector, "Port");
    ASSERT_EQ(list.rows.size(), 1u) << "only the queue on \"LPT1:\" is parallel";
    EXPECT_THAT(list.rows[0].texts, ElementsAre("", "Plotara 530", "LPT1"));
    EXPECT_EQ(list.rows[0].image, 1);
    EXPECT_TRUE(list.rows[0].selected);
    selector.Screenshot("selector-en-parallel.png");

    ASSERT_TRUE(selector.SelectTab(1));
    list = WaitForGroup(selector, "IP Address / Host Name");
    EXPECT_THAT(SortedTexts(list), ElementsAre(ElementsAre("Plotara 420", "plotter-host"),
                                               ElementsAre("Plotara 530", "127.0.0.2"),
                                               ElementsAre("Plotara 620 A", "127.0.0.3")))
        << "\"lpt1:\", USB001 and the unknown model are left out";
    for (const auto& row : list.rows) EXPECT_EQ(row.image, 2);
    EXPECT_FALSE(selector.Control(kUsbOption).visible);
    EXPECT_FALSE(selector.Control(kParallelOption).visible);
    EXPECT_TRUE(selector.Control(kSettingsButton).enabled);
    EXPECT_TRUE(selector.Control(kNextButton).enabled);
    selector.Screenshot("selector-en-network.png");

    // The printer's own page, past the user's proxy.
    const int printer = RowOf(list, "127.0.0.2");
    ASSERT_GE(printer, 0);
    ASSERT_TRUE(selector.SelectRow(printer));
    ASSERT_TRUE(selector.Press("Settings..."));
    EXPECT_THAT(selector.Install().OpenedAddresses(1), ElementsAre("http://127.0.0.2"));
    EXPECT_EQ(selector.Registry(kSettingsKey, "ProxyOverride"), "<local>;127.0.0.2");

    // Only one selector: the second brings the first forward and leaves.
    const harness::ChildResult second = selector.RunSecond();
    EXPECT_FALSE(second.timedOut);
    EXPECT_TRUE(selector.IsRunning());

    ASSERT_TRUE(selector.Press("Quit"));
    const harness::ChildResult ended = selector.WaitForExit();
    EXPECT_EQ(ended.exitCode, 0) << ended.output;
    EXPECT_EQ(selector.Registry(kDomainKey, "Domain"), "NETWORK");
    EXPECT_EQ(selector.Registry(kPrinterKey, "Printer"), "127.0.0.2");
    EXPECT_EQ(FileText(selector.Install(), "started.txt"), "") << "nothing was launched";

    const std::vector<std::string> log = selector.LogMessages();
    for (const char* line :
         {"Domain Preference is not present. Creating new entry.",
          "Got USB information on USB selection.", "There are no printers configured on the system",
          "Got drivers information on Parallel selection.",
          "Got drivers information on Network Selection",
          "Unable to detect registry information of Printer.",
          "Can not map Port Name to the Device Name. Make sure that the device is connected to "
          "your system directly.",
          "Proxy settings have been modified to contain printer's IP Address.",
          "Using default browser", "Another instance of launcher is running. Hence exiting..."}) {
        EXPECT_THAT(log, Contains(line));
    }
    EXPECT_THAT(log, Not(Contains("Unable to bring the window in foreground.")));

    // The next start shows the group and the printer the user left.
    ASSERT_TRUE(selector.Start());
    list = WaitForGroup(selector, "IP Address / Host Name");
    ASSERT_GE(RowOf(list, "127.0.0.2"), 0);
    EXPECT_TRUE(list.rows[static_cast<std::size_t>(RowOf(list, "127.0.0.2"))].selected);
    ASSERT_TRUE(selector.Press("Quit"));
    EXPECT_EQ(selector.WaitForExit().exitCode, 0);
}

// What the engine is handed for each kind of printer, and how it is started.
TEST_F(PrinterSelector, HandsTheEngineTheChosenPrinter) {
    const struct {
        const char* what;
        std::vector<std::string> arguments;
        const char* domain;
        const char* printer;
        bool doubleClick;
        std::vector<std::vector<std::string>> rows;  // when not empty: the list before launch
        const char* params;
    } cases[] = {
        {"network printer, Next",
         {},
         "NETWORK",
         "127.0.0.3",
         false,
         {},
         "Name: Plotter over Netvara\nTCP\nIP: 127.0.0.3\nPort: 9100\nModule: quessel GA\n"
         "Start-page: MainMenu.html"},
        {"printer known by host name",
         {},
         "NETWORK",
         "plotter-host",
         false,
         {},
         "Name: Plotter by host name\nTCP\nIP: plotter-host\nPort: 9100\nModule: tolvar GA\n"
         "Start-page: MainMenu.html"},
        {"parallel printer, double click",
         {},
         "LPT",
         "LPT1",
         true,
         {},
         "Name: Plotter on LPT1\nPARALLEL\nPort: LPT1\nModule: merrow\nStart-page: MainMenu.html"},
        {"colour start page",
         {"ColorStart.html"},
         "NETWORK",
         "127.0.0.3",
         false,
         {{"Plotara 530", "127.0.0.2"}, {"Plotara 620 B", "127.0.0.3"}},
         "Name: Plotter over Netvara\nTCP\nIP: 127.0.0.3\nPort: 9100\nModule: quessel GA\n"
         "Start-page: ColorStart.html"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SelectorInstallation selector("program_recorder");
        selector.SetRegistry(Preferences(c.domain, c.printer));
        ASSERT_TRUE(selector.Start(c.arguments));
        harness::ListViewContents list = WaitForGroup(
            selector, std::string(c.domain) == "LPT" ? "Port" : "IP Address / Host Name");
        if (!c.rows.empty()) {
            EXPECT_EQ(SortedTexts(list), c.rows);
        }
        const int row = RowOf(list, c.printer);
        ASSERT_GE(row, 0);
        EXPECT_TRUE(list.rows[static_cast<std::size_t>(row)].selected) << "the preferred printer";
        if (c.doubleClick) {
            ASSERT_TRUE(selector.DoubleClickRow(row));
        } else {
            ASSERT_TRUE(selector.Press("Next..."));
        }
        const harness::ChildResult ended = selector.WaitForExit();
        EXPECT_EQ(ended.exitCode, 0) << ended.output;
        ASSERT_TRUE(
            harness::WaitUntil([&] { return selector.Install().Exists("params.seen"); }, 30, 50))
            << "the engine was not started";
        EXPECT_EQ(FileText(selector.Install(), "params.seen"), c.params);
        harness::WaitUntil([&] { return !FileText(selector.Install(), "started.txt").empty(); }, 10,
                           50);
        const std::string folder = selector.WindowsDirectory();
        EXPECT_EQ(
            FileText(selector.Install(), "started.txt"),
            "command line: \"" + folder + "\\velkor.exe\"\nworking directory: " + folder + "\n");
        EXPECT_THAT(selector.LogMessages(), Contains("Engine successfully launched"));
        EXPECT_EQ(selector.Registry(kPrinterKey, "Printer"), c.printer);
    }
}

TEST_F(PrinterSelector, StartsTheEngineThatServesThePrinter) {
    SelectorInstallation selector("velkor");
    selector.Install().WriteFile("test module/www/MainMenu.html",
                                 "<html><body>menu of [[display module]]</body></html>\n");
    SimulatedPrinter printer;
    ASSERT_TRUE(printer.Start("127.0.0.2", {"--answer", "ID?", "Q6683A\\r\\n"}));
    selector.SetRegistry(Preferences("NETWORK", "127.0.0.2"));
    ASSERT_TRUE(selector.Start());
    WaitForGroup(selector, "IP Address / Host Name");
    ASSERT_TRUE(selector.Press("Next..."));
    EXPECT_EQ(selector.WaitForExit().exitCode, 0);

    // The engine asks the browser to open its start page, and serves it.
    const std::vector<std::string> opened = selector.Install().OpenedAddresses(1);
    ASSERT_EQ(opened.size(), 1u) << "the engine did not start the browser";
    EXPECT_NE(opened[0].find(":8190/MainMenu.html"), std::string::npos) << opened[0];
    const HttpAnswer page = Exchange(GetRequest("/MainMenu.html"), 30);
    EXPECT_NE(page.body.find("menu of merrow"), std::string::npos) << page.body;
    Exchange(GetRequest("/Exit.html"), 30);
    EXPECT_TRUE(harness::WaitUntil([] { return !PortTakesConnections(); }, 60, 100))
        << "the engine did not end on its exit page";
}

TEST_F(PrinterSelector, NamesTheInstalledVersionsInItsTitle) {
    SelectorInstallation selector("program_recorder");
    selector.SetRegistry([](harness::RegistryFile& registry) {
        registry.AddKey(std::string(kVersionsKey) + "\\5.1")
            .AddKey(std::string(kVersionsKey) + "\\6.0");
    });
    selector.ExpectTitle(std::string(kSelectorTitle) + " [5.1,6.0]");
    ASSERT_TRUE(selector.Start()) << "no dialog titled with the versions";

    // Another selector looks for the title without versions, does not find it, and leaves.
    EXPECT_FALSE(selector.RunSecond().timedOut);
    EXPECT_TRUE(selector.IsRunning());
    const std::vector<std::string> log = selector.LogMessages();
    EXPECT_THAT(log, Contains("Another instance of launcher is running. Hence exiting..."));
    EXPECT_THAT(log, Contains("Unable to bring the window in foreground."));
    ASSERT_TRUE(selector.Press("Quit"));
    EXPECT_EQ(selector.WaitForExit().exitCode, 0);
}

TEST_F(PrinterSelector, StopsWithoutTheSupportedPrinterList) {
    SelectorInstallation selector("program_recorder");
    selector.Install().Builder().Remove("supportedprinters.xml");
    selector.WriteRegistry();
    const harness::ProgramTarget& target = TargetUnderTest();
    const harness::ChildResult ran = harness::RunChild(
        target.Command(selector.Install().PathOf("printer_selector.exe")),
        selector.Install().Directory(), selector.Display().Environment(target.Environment()), 60);
    EXPECT_FALSE(ran.timedOut) << "the selector must end by itself";
    EXPECT_EQ(ran.exitCode, 1);
    const std::vector<std::string> log = selector.LogMessages();
    EXPECT_THAT(log, Contains("XML File can not be loaded."));
    EXPECT_THAT(log, Contains("Printers can not be validated."));
    EXPECT_FALSE(selector.Install().Exists("started.txt"));
}

// The dialog in Japanese: every text from the table of the user's language.
TEST_F(PrinterSelector, SpeaksTheUsersLanguage) {
    SelectorInstallation selector("program_recorder");
    selector.SetRegistry(Preferences("NETWORK", "127.0.0.2"));
    ASSERT_TRUE(selector.Start({}, "printer_selector", "ja_JP.UTF-8"));
    const harness::ListViewContents list =
        WaitForList(selector, [](const harness::ListViewContents& shown) {
            return shown.rows.size() == 3 && shown.headers.size() == 3;
        });
    EXPECT_NE(list.headers[1], "Model");
    EXPECT_NE(list.headers[2], "IP Address / Host Name");
    const harness::DialogControl next = selector.Control(kNextButton);
    EXPECT_NE(next.text, "Next...");
    EXPECT_FALSE(next.text.empty());
    selector.Screenshot("selector-ja-network.png");
    ASSERT_TRUE(selector.SelectTab(0));
    // From the Network group neither option is checked: the Local tab shows the parallel list.
    const harness::ListViewContents local =
        WaitForList(selector, [](const harness::ListViewContents& shown) {
            return shown.rows.size() == 1 && shown.rows[0].image == 1;
        });
    EXPECT_EQ(local.rows.size(), 1u);
    selector.Screenshot("selector-ja-local.png");
    ASSERT_TRUE(selector.Press(selector.Control(2).text));
    EXPECT_EQ(selector.WaitForExit().exitCode, 0);
}

// USB printers come from the bus, not from the spooler: a printer on a port of the root hub is
// listed, one behind a further hub is not, and one unplugged before "Next..." is reported.
class UsbPrinterSelector : public PrinterSelector {
protected:
    static constexpr const char* kVariant = "printer_selector_simulated_usb";
    static constexpr const char* kInterfaceClass =
        "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\"
        "{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
    static constexpr const char* kDevicePath =
        "\\\\?\\USB#VID_03F0&PID_0001#SN0530#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
    static constexpr const char* kAppDefaults =
        "HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\printer_selector_simulated_usb.exe";

    /// The bus: a printer on port 1, a hub with a printer behind it on port 2.
    static std::string Bus(bool withPrinter) {
        std::string bus = "controller 0 ports=3\n";
        if (withPrinter) {
            bus +=
                "device 1 product=2 serial=3\nstring 2 text Orvik Plotara 530\n"
                "string 3 text SN0530\n";
        }
        return bus +
               "hub 2\n  device 1 product=1 serial=2\n  string 1 text Orvik Plotara 620\n"
               "  string 2 text SN0620\nend\n";
    }

    /// The selector's installation with the bus beside it, the printer's interface in the
    /// registry, and a Wine that calls itself Windows XP (the interface look-up knows no later
    /// system).
    void Prepare(SelectorInstallation& selector) {
        selector.Install().WriteFile("simulated-usb-bus.txt", Bus(true));
        selector.SetRegistry([](harness::RegistryFile& registry) {
            const std::string instance = std::string(kInterfaceClass) +
                                         "\\##?#USB#VID_03F0&PID_0001#SN0530#"
                                         "{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
            registry.DeleteKey(kInterfaceClass)
                .SetString(instance, "DeviceInstance", "USB\\VID_03F0&PID_0001\\SN0530")
                .SetString(instance + "\\#", "SymbolicLink", kDevicePath)
                .SetDword(instance + "\\#\\Control", "Linked", 1)
                .SetString(kAppDefaults, "Version", "winxp64");
        });
    }

    void TearDown() override {
        if (!TargetUnderTest().IsWine()) return;
        Installation cleaner(TargetUnderTest());
        RegistryEntries entries;
        entries.more = [](harness::RegistryFile& registry) {
            registry.DeleteKey(kInterfaceClass).DeleteKey(kAppDefaults);
        };
        cleaner.WriteRegistry(entries);
        PrinterSelector::TearDown();
    }
};

TEST_F(UsbPrinterSelector, ListsThePrintersOnTheRootHubAndLaunchesOne) {
    SelectorInstallation selector("program_recorder");
    Prepare(selector);
    ASSERT_TRUE(selector.Start({}, kVariant));
    const harness::ListViewContents list = WaitForList(
        selector, [](const harness::ListViewContents& shown) { return !shown.rows.empty(); });
    ASSERT_EQ(list.rows.size(), 1u) << "the printer behind the hub is not listed";
    EXPECT_THAT(list.rows[0].texts, ElementsAre("", "Plotara 530", "SN0530"));
    EXPECT_EQ(list.rows[0].image, 0);
    EXPECT_TRUE(list.rows[0].selected);
    selector.Screenshot("selector-en-usb-printer.png");

    ASSERT_TRUE(selector.Press("Next..."));
    EXPECT_EQ(selector.WaitForExit().exitCode, 0);
    ASSERT_TRUE(
        harness::WaitUntil([&] { return selector.Install().Exists("params.seen"); }, 30, 50));
    EXPECT_EQ(FileText(selector.Install(), "params.seen"),
              std::string("Name: \nUSB\nDriver: ") + kDevicePath +
                  "\nModule: merrow\nStart-page: MainMenu.html");
    EXPECT_EQ(selector.Registry(kDomainKey, "Domain"), "USB");
    EXPECT_EQ(selector.Registry(kPrinterKey, "Printer"), "SN0530");
}

TEST_F(UsbPrinterSelector, ReportsAPrinterUnpluggedBeforeNext) {
    SelectorInstallation selector("program_recorder");
    Prepare(selector);
    ASSERT_TRUE(selector.Start({}, kVariant));
    WaitForList(selector,
                [](const harness::ListViewContents& shown) { return shown.rows.size() == 1; });

    selector.Install().WriteFile("simulated-usb-bus.txt", Bus(false));
    ASSERT_TRUE(selector.Press("Next..."));
    std::vector<std::string> texts;
    harness::WaitUntil(
        [&] {
            texts = harness::DesktopWindow::Texts(TargetUnderTest(), selector.Display(),
                                                  kSelectorTitle);
            return std::find(texts.begin(), texts.end(), "OK") != texts.end();
        },
        30, 100);
    EXPECT_THAT(texts, Contains("Cannot access the selected printer\n\nPlease check the "
                                "connections to the printer, check that the printer is turned "
                                "on, then retry the operation.\n"));
    selector.Screenshot("selector-en-usb-unplugged.png");
    ASSERT_TRUE(selector.Press("OK"));
    EXPECT_TRUE(selector.IsRunning()) << "the dialog stays for another choice";
    EXPECT_THAT(selector.LogMessages(),
                Contains("Failed to retrieve Information for the respective selection"));
    EXPECT_FALSE(selector.Install().Exists("params.seen"));
    ASSERT_TRUE(selector.Press("Quit"));
    EXPECT_EQ(selector.WaitForExit().exitCode, 0);
}

}  // namespace
}  // namespace integration
