// What the selector keeps in and reads from the registry: preferences, installed versions,
// the proxy bypass list and the default browser, and the params file it writes.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/registry.h"
#include "selector/printer_web_page.h"
#include "selector/selector_log.h"
#include "selector/selector_params.h"
#include "selector/selector_preferences.h"
#include "selector_test_support.h"

namespace {

using platform::RegistryKey;
using platform::RegistryRoot;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

class SelectorRegistry : public ::testing::Test {
protected:
    SelectorRegistry() : registry(folder), log(folder.PathOf("selector.log")) {}

    std::vector<std::string> Logged() const {
        return LoggedMessages(folder.PathOf("selector.log"));
    }

    std::string StoredString(RegistryRoot root, const std::string& key, const std::string& name) {
        const auto opened = RegistryKey::Open(root, key, platform::RegistryAccess::Read);
        platform::RegistryValue value;
        if (!opened || opened->QueryValue(name, 4096, &value) != platform::RegistryStatus::Ok) {
            return "<missing>";
        }
        return value.data;
    }

    ScratchFolder folder;
    ScratchRegistry registry;
    SelectorLog log;
};

TEST_F(SelectorRegistry, PreferencesAreCreatedOnceThenReadAndSaved) {
    const std::string installation = registry.Key(RegistryRoot::LocalMachine);
    SelectorPreferences preferences(installation);
    std::string domain = "stale", printer = "stale";

    // Nothing there yet: both reads fail and say which.
    EXPECT_FALSE(preferences.Read(&domain, &printer, log));
    EXPECT_EQ(domain, "");
    EXPECT_EQ(printer, "");

    EXPECT_TRUE(preferences.Ensure(log));
    EXPECT_TRUE(preferences.Read(&domain, &printer, log));
    EXPECT_EQ(domain, "USB");
    EXPECT_EQ(printer, "");

    EXPECT_TRUE(preferences.Save("NETWORK", "192.168.7.20", log));
    // Present now: a second start leaves the saved choice alone.
    EXPECT_TRUE(preferences.Ensure(log));
    EXPECT_TRUE(preferences.Read(&domain, &printer, log));
    EXPECT_EQ(domain, "NETWORK");
    EXPECT_EQ(printer, "192.168.7.20");
    // Stored with the terminating zero.
    EXPECT_EQ(
        StoredString(RegistryRoot::LocalMachine, installation + "\\DomainSelection", "Domain"),
        std::string("NETWORK", 7));

    EXPECT_THAT(Logged(),
                ElementsAre("Failure in accessing the entry of Printer Selection Preferences.",
                            "Failure in opening the entry of Printer Selection Preferences.",
                            "Domain Preference is not present. Creating new entry."));
}

TEST_F(SelectorRegistry, InstalledVersionsAreTheSubkeysJoinedByCommas) {
    const std::string parent = registry.Key(RegistryRoot::LocalMachine) + "\\";
    // String 25 ends in a blank, and so does the key's name.
    const std::string string25 = "Orvik Plotara system maintenance ";
    bool found = true;

    EXPECT_EQ(InstalledVersionsText(string25, &found, log, parent), "");
    EXPECT_FALSE(found);

    ASSERT_TRUE(RegistryKey::Create(RegistryRoot::LocalMachine, parent + string25));
    EXPECT_EQ(InstalledVersionsText(string25, &found, log, parent), "");
    EXPECT_FALSE(found);

    for (const char* version : {"1.0", "2.1", "3.0.4"}) {
        ASSERT_TRUE(
            RegistryKey::Create(RegistryRoot::LocalMachine, parent + string25 + "\\" + version));
    }
    // Values and deeper keys are no versions.
    ASSERT_TRUE(RegistryKey::Create(RegistryRoot::LocalMachine, parent + string25 + "\\1.0\\Deep"));
    RegistryKey::Open(RegistryRoot::LocalMachine, parent + string25, platform::RegistryAccess::Full)
        ->SetString("NotAVersion", "x");
    const std::string text = InstalledVersionsText(string25, &found, log, parent);
    EXPECT_TRUE(found);
    // In the registry's own order: by name in Wine, by creation in the POSIX store.
    EXPECT_EQ(text, "1.0,2.1,3.0.4");

    EXPECT_THAT(Logged(),
                ElementsAre("Failed to open Registry Key for System Maintenance Verion Number",
                            "Failed to open Version Number Registry SubKey or No more keys.",
                            "Failed to open Version Number Registry SubKey or No more keys."));
}

struct ProxyCase {
    const char* name;
    bool keyExists;
    int proxyEnable;             // -1: no value
    const char* overrideBefore;  // null: no value
    const char* overrideAfter;   // "<missing>" when it must stay unwritten
    int notifications;
    std::vector<std::string> lines;
};

TEST_F(SelectorRegistry, ProxyBypassGetsThePrinterAddressOnlyWhenAProxyIsOn) {
    const std::string address = "192.168.7.20";
    const std::string added = "Proxy settings have been modified to contain printer's IP Address.";
    const std::string cannotQuery = "Proxy settings can not be queried from the registry";
    const std::string notUpdated =
        "Proxy settings bypass list can not be updated to contain Printer's IP Address.";
    const std::string noBrowser = "The default browser couldn't be determined.";
    const ProxyCase cases[] = {
        {"disabled",
         true,
         0,
         "10.0.0.1",
         "10.0.0.1",
         0,
         {"Bypass Proxy need not be added.", noBrowser}},
        {"switch missing",
         true,
         -1,
         nullptr,
         "<missing>",
         0,
         {"Bypass Proxy need not be added.", noBrowser}},
        {"enabled, no list", true, 1, nullptr, "192.168.7.20", 1, {added, noBrowser}},
        {"enabled, empty list", true, 1, "", "192.168.7.20", 1, {added, noBrowser}},
        {"enabled, other entries",
         true,
         1,
         "<local>;10.0.0.1",
         "<local>;10.0.0.1;192.168.7.20",
         1,
         {added, noBrowser}},
        {"already there",
         true,
         1,
         "10.0.0.1;192.168.7.20;localhost",
         "10.0.0.1;192.168.7.20;localhost",
         1,
         {noBrowser}},
        // a plain substring search: a longer address counts as containing this one
        {"substring", true, 1, "192.168.7.201", "192.168.7.201", 1, {noBrowser}},
        {"enabled, other number",
         true,
         2,
         "x",
         "x",
         0,
         {"Bypass Proxy need not be added.", noBrowser}},
        {"no settings key",
         false,
         0,
         nullptr,
         "<missing>",
         0,
         {cannotQuery, notUpdated, noBrowser}},
    };
    for (const ProxyCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::remove(folder.PathOf("selector.log").c_str());
        PrinterWebPageKeys keys;
        keys.internetSettings = registry.Key(RegistryRoot::CurrentUser);
        keys.browserCommand = registry.Key(RegistryRoot::ClassesRoot, "");
        RegistryKey::DeleteTree(RegistryRoot::CurrentUser, keys.internetSettings);
        if (c.keyExists) {
            const auto settings =
                RegistryKey::Create(RegistryRoot::CurrentUser, keys.internetSettings);
            ASSERT_TRUE(settings);
            if (c.proxyEnable >= 0) settings->SetDWord("ProxyEnable", c.proxyEnable);
            if (c.overrideBefore != nullptr) settings->SetString("ProxyOverride", c.overrideBefore);
        }
        RecordingShell shell;
        OpenPrinterWebPage(address, log, shell, keys);

        std::string after =
            StoredString(RegistryRoot::CurrentUser, keys.internetSettings, "ProxyOverride");
        after = after.substr(0, after.find('\0'));
        EXPECT_EQ(after, c.overrideAfter);
        EXPECT_EQ(shell.notifications, c.notifications);
        EXPECT_THAT(Logged(), ElementsAreArray(c.lines));
        // No browser command registered: the address itself goes to the shell.
        EXPECT_THAT(shell.opened, ElementsAre(RecordingShell::Opened{"http://" + address, ""}));
    }
}

TEST_F(SelectorRegistry, PrinterPageOpensInTheDefaultBrowserProgram) {
    const struct {
        const char* command;  // null: key without default value
        RecordingShell::Opened opened;
        const char* line;
    } cases[] = {
        {"\"C:\\Program Files\\IE\\iexplore.exe\" -nohome",
         {"C:\\Program Files\\IE\\iexplore.exe", "http://plotter.example"},
         "Using default browser"},
        {"C:\\windows\\system32\\winebrowser.exe -nohome",
         {"C:\\windows\\system32\\winebrowser.exe", "http://plotter.example"},
         "Using default browser"},
        {"\"C:\\Browser\\browse.exe %1",
         {"http://plotter.example", ""},
         "The default browser couldn't be determined."},
        {nullptr, {"http://plotter.example", ""}, "The default browser couldn't be determined."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command ? c.command : "no command");
        std::remove(folder.PathOf("selector.log").c_str());
        PrinterWebPageKeys keys;
        keys.internetSettings = registry.Key(RegistryRoot::CurrentUser);
        RegistryKey::Create(RegistryRoot::CurrentUser, keys.internetSettings)
            ->SetDWord("ProxyEnable", 0);
        keys.browserCommand =
            registry.Key(RegistryRoot::ClassesRoot, "") + "\\shell\\open\\command";
        const auto command = RegistryKey::Create(RegistryRoot::ClassesRoot, keys.browserCommand);
        ASSERT_TRUE(command);
        if (c.command != nullptr) command->SetString("", c.command);

        RecordingShell shell;
        OpenPrinterWebPage("plotter.example", log, shell, keys);
        EXPECT_THAT(shell.opened, ElementsAre(c.opened));
        EXPECT_THAT(Logged(), ElementsAre("Bypass Proxy need not be added.", c.line));
    }
}

TEST_F(SelectorRegistry, ParamsFileIsReplacedWholeOrLoggedWhenItCannotBeMade) {
    const std::string path = ParamsFilePath(folder.Path());
    folder.Write("params", "a much longer earlier text that must not survive the new one\n");
    EXPECT_TRUE(
        WriteParamsFile(path, "Name: Q\nTCP\nIP: 10.1.1.1\nPort: 9100\nModule: merrow", log));
    std::ifstream file(path);
    const std::string text((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "Name: Q\nTCP\nIP: 10.1.1.1\nPort: 9100\nModule: merrow");
    EXPECT_THAT(Logged(), IsEmpty());

    EXPECT_FALSE(WriteParamsFile(ParamsFilePath(folder.PathOf("missing")), "Name: \nUSB", log));
    EXPECT_THAT(Logged(), ElementsAre("Failed to create params file"));
}

}  // namespace
