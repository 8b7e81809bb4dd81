#include "integration/selector_installation.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "integration/registry_value.h"
#include "integration/served_module.h"

namespace integration {

const char* const kSelectorInstallationKey =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvik\\Plotara TroubleShooter";
const char* const kDomainKey =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvik\\Plotara TroubleShooter\\DomainSelection";
const char* const kPrinterKey =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvik\\Plotara TroubleShooter\\PrinterSelection";

namespace {

const char* const kInternetSettings =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const char* const kMonitors =
    "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors";

// The models the installer lists: a model twice, once without the colour start page, and
// display names that differ from the models.
const char* const kSupportedPrinters =
    "<?xml version=\"1.0\"?>\r\n"
    "<printers>\r\n"
    "  <printer><model>Orvik Plotara 530</model><name>Plotara 530</name><color>yes</color>"
    "</printer>\r\n"
    "  <printer><model>Orvik Plotara 620</model><name>Plotara 620 A</name><color>no</color>"
    "</printer>\r\n"
    "  <printer><model>Orvik Plotara 620</model><name>Plotara 620 B</name><color>yes</color>"
    "</printer>\r\n"
    "  <printer><model>Orvik Plotara 420</model><name>Plotara 420</name><color>no</color>"
    "</printer>\r\n"
    "</printers>\r\n";

std::string FixtureOutput(const std::vector<std::string>& arguments, int* exitCode) {
    const harness::ProgramTarget& target = TargetUnderTest();
    const harness::ChildResult result =
        harness::RunChild(target.Command(target.BuiltProgram("spooler_fixture"), arguments), ".",
                          target.Environment(), 120);
    *exitCode = result.exitCode;
    return result.output;
}

}  // namespace

void ForgetSelectorRegistry(harness::RegistryFile& registry) {
    registry.DeleteKey(std::string(kMonitors) + "\\Orvik Standard TCP/IP Port")
        .DeleteKey(std::string(kMonitors) + "\\Orvik Netvara Port")
        .DeleteKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvik\\Orvik Plotara system maintenance ")
        .DeleteValue(kInternetSettings, "ProxyEnable")
        .DeleteValue(kInternetSettings, "ProxyOverride");
}

const std::vector<FixtureQueue>& SelectorQueues() {
    static const std::vector<FixtureQueue> queues = {
        {"Plotter on LPT1", "LPT1:", "Orvik Plotara 530"},
        {"Plotter on lower-case lpt1", "lpt1:", "Orvik Plotara 530"},
        {"Plotter on USB001", "USB001", "Orvik Plotara 530"},
        {"Plotter over TCP/IP", "IP_127.0.0.2", "Orvik Plotara 530"},
        {"Plotter over Netvara", "NV_127.0.0.3", "orvik plotara 620"},
        {"Plotter by host name", "HN_plotter", "Orvik Plotara 420"},
        {"Unknown plotter", "IP_127.0.0.4", "Acme Unknown Plotter"},
    };
    return queues;
}

SpoolerQueues::SpoolerQueues() {
    for (const FixtureQueue& queue : SelectorQueues()) {
        // Wine's spooler now and then refuses a queue just removed by the test before: the
        // queue is removed once more and added again.
        std::string said;
        int exitCode = -1;
        for (int attempt = 0; attempt < 3 && exitCode != 0; ++attempt) {
            if (attempt > 0) Remove(queue.name);
            said = FixtureOutput({"add", queue.name, queue.port, queue.driver}, &exitCode);
        }
        if (exitCode != 0) m_failure += said;
    }
}

SpoolerQueues::~SpoolerQueues() {
    for (const FixtureQueue& queue : SelectorQueues()) Remove(queue.name);
}

bool SpoolerQueues::Remove(const std::string& name) {
    int exitCode = -1;
    FixtureOutput({"remove", name}, &exitCode);
    return exitCode == 0;
}

SelectorInstallation::SelectorInstallation(const std::string& engine)
    : m_install(TargetUnderTest()) {
    const harness::ProgramTarget& target = TargetUnderTest();
    InstallServedModule(m_install, "merrow");
    m_install.Builder().Remove("params");
    m_install.Builder().Remove("velkor.exe");
    m_install.Builder().InstallProgram(target.BuiltProgram(engine), "velkor.exe");
    m_install.Builder().InstallProgram(target, "printer_selector");
    m_install.Builder().AddFolder("Log");
    m_install.WriteFile("supportedprinters.xml", kSupportedPrinters);
}

void SelectorInstallation::SetRegistry(const std::function<void(harness::RegistryFile&)>& more) {
    m_more = more;
}

bool SelectorInstallation::Start(const std::vector<std::string>& arguments,
                                 const std::string& program, const std::string& locale) {
    if (!m_registryWritten) WriteRegistry();
    const harness::ProgramTarget& target = TargetUnderTest();
    std::map<std::string, std::string> environment = m_display.Environment(target.Environment());
    if (!locale.empty()) {
        environment["LC_ALL"] = locale;
        environment["LANG"] = locale;
    }
    const std::string path = m_install.PathOf(target.FileName(program));
    if (program != "printer_selector") m_install.Builder().InstallProgram(target, program);
    if (!m_child.Start(target.Command(path, arguments), m_install.Directory(), environment))
        return false;
    if (harness::DesktopWindow::WaitFor(target, m_display, m_title)) return true;
    std::string log;
    for (const std::string& message : LogMessages()) log += "\n    " + message;
    ADD_FAILURE() << "the selector " << (m_child.IsRunning() ? "runs" : "ended")
                  << " without its dialog; its log:" << log;
    // What was on the screen instead, for whoever reads the failure.
    harness::TakeScreenshot(
        m_display, harness::ScreenshotFolder() + "/selector-not-shown-" +
                       ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".png");
    return false;
}

void SelectorInstallation::WriteRegistry() {
    m_registryWritten = true;
    const std::string folder = WindowsDirectory();
    RegistryEntries entries = ServedModuleRegistry("merrow");
    entries.more = [&](harness::RegistryFile& registry) {
        registry.SetString(kSelectorInstallationKey, "PATH", folder)
            .SetString(kSelectorInstallationKey, "PRINTERSELXMLPATH", folder)
            .DeleteKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvik\\Orvik Plotara system maintenance ");
        // The ports of the network queues, as their monitors keep them.
        registry
            .SetString(std::string(kMonitors) + "\\Orvik Standard TCP/IP Port\\Ports\\IP_127.0.0.2",
                       "IPAddress", "127.0.0.2")
            .SetString(std::string(kMonitors) + "\\Orvik Standard TCP/IP Port\\Ports\\IP_127.0.0.2",
                       "HostName", "")
            .SetString(std::string(kMonitors) + "\\Orvik Standard TCP/IP Port\\Ports\\IP_127.0.0.4",
                       "IPAddress", "127.0.0.4")
            .SetString(std::string(kMonitors) + "\\Orvik Standard TCP/IP Port\\Ports\\HN_plotter",
                       "IPAddress", "")
            .SetString(std::string(kMonitors) + "\\Orvik Standard TCP/IP Port\\Ports\\HN_plotter",
                       "HostName", "plotter-host")
            .SetString(std::string(kMonitors) + "\\Orvik Netvara Port\\Ports\\NV_127.0.0.3",
                       "OrvikNetworkPrinterID", "TCPIP,127.0.0.3,second");
        harness::CjkDialogFonts(registry);
        if (m_more) m_more(registry);
    };
    m_install.WriteRegistry(entries);
}

harness::ChildResult SelectorInstallation::WaitForExit(double guardSeconds) {
    if (!m_child.WaitForEnd(guardSeconds)) {
        harness::TakeScreenshot(
            m_display, harness::ScreenshotFolder() + "/selector-not-ended-" +
                           ::testing::UnitTest::GetInstance()->current_test_info()->name() +
                           ".png");
    }
    return m_child.Wait(0);
}

harness::ChildResult SelectorInstallation::RunSecond() {
    const harness::ProgramTarget& target = TargetUnderTest();
    return harness::RunChild(target.Command(m_install.PathOf("printer_selector.exe")),
                             m_install.Directory(), m_display.Environment(target.Environment()),
                             60);
}

harness::ListViewContents SelectorInstallation::List() const {
    harness::ListViewContents contents;
    EXPECT_TRUE(harness::DialogWindow::ReadList(TargetUnderTest(), m_display, m_title, &contents))
        << "the selector's list could not be read";
    return contents;
}

harness::DialogControl SelectorInstallation::Control(int id) const {
    return harness::DialogWindow::Control(TargetUnderTest(), m_display, m_title, id);
}

bool SelectorInstallation::Press(const std::string& button) const {
    return harness::DesktopWindow::Press(TargetUnderTest(), m_display, m_title, button);
}

bool SelectorInstallation::SelectTab(int index) const {
    return harness::DialogWindow::SelectTab(TargetUnderTest(), m_display, m_title, index);
}

bool SelectorInstallation::SelectRow(int row) const {
    return harness::DialogWindow::SelectRow(TargetUnderTest(), m_display, m_title, row);
}

bool SelectorInstallation::DoubleClickRow(int row) const {
    return harness::DialogWindow::DoubleClickRow(TargetUnderTest(), m_display, m_title, row);
}

void SelectorInstallation::Screenshot(const std::string& name) const {
    EXPECT_TRUE(harness::TakeScreenshot(m_display, harness::ScreenshotFolder() + "/" + name))
        << name;
}

std::vector<std::string> SelectorInstallation::LogMessages() const {
    std::ifstream file(m_install.PathOf("Log/PrinterSelector.log"), std::ios::binary);
    std::vector<std::string> messages;
    const std::regex line("^[0-9]{1,2}-[0-9]{1,2}-[0-9]{4}\t[0-9]{1,2}:[0-9]{1,2}\t:: (.*)$");
    for (std::string text; std::getline(file, text);) {
        if (!text.empty() && text.back() == '\r') text.pop_back();  // written in text mode
        std::smatch match;
        if (!std::regex_match(text, match, line)) {
            // A message that ends in a line break of its own leaves an empty line behind it.
            EXPECT_TRUE(text.empty()) << "not a selector log line: " << text;
            continue;
        }
        messages.push_back(match[1]);
    }
    return messages;
}

std::string SelectorInstallation::WindowsDirectory() const {
    return TargetUnderTest().PathAsSeen(m_install.Directory());
}

std::optional<std::string> SelectorInstallation::Registry(const std::string& key,
                                                          const std::string& name) const {
    return ReadRegistryString(m_install, key, name);
}

}  // namespace integration
