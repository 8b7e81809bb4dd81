// The engine keeps the user's proxy from intercepting the browser's way to it and to the
// printer: the bypass list it finds, what it adds, and when it gives up.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "integration/local_address.h"
#include "integration/registry_value.h"
#include "integration/running_engine.h"
#include "integration/served_module.h"

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;

namespace integration {
namespace {

const char* const kSettingsKey =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const char* const kLocalLine = "Proxy settings have been modified to contain machine's IP Address.";
const char* const kPrinterLine =
    "Proxy settings have been modified to contain printer's IP Address.";
const char* const kVirtualHostLine = "Proxy settings have been modified to contain Virtual Host.";
const char* const kLocalhostLine = "Proxy settings have been modified to contain localhost.";
const char* const kNotNeededLine = "Bypass Proxy need not be added.";
const char* const kCannotQueryLine = "Proxy settings can not be queried from the registry";

bool IsLoopback(const std::string& address) { return address == "127.0.0.1"; }

class ProxyBypass : public ::testing::Test {
protected:
    ProxyBypass() : install(TargetUnderTest()), local(LocalAddress()) {}

    // Wine's registry is shared by every test: leave the user's settings as a fresh prefix
    // has them.
    ~ProxyBypass() override {
        if (TargetUnderTest().IsWine()) WriteSettings([](harness::RegistryFile&) {});
    }

    /// Installs the served module for a printer of `params` with `settings` written over the
    /// user's Internet settings.
    void WriteSettings(const std::function<void(harness::RegistryFile&)>& settings,
                       const std::string& params = std::string()) {
        InstallServedModule(install);
        if (!params.empty()) install.WriteParams(params);
        RegistryEntries entries = ServedModuleRegistry();
        entries.more = [&settings](harness::RegistryFile& registry) {
            registry.DeleteValue(kSettingsKey, "ProxyEnable")
                .DeleteValue(kSettingsKey, "ProxyOverride");
            settings(registry);
        };
        install.WriteRegistry(entries);
    }

    /// Runs the engine until it serves (then asks for its exit page) or ends; the log.
    std::vector<std::string> Run(bool* served = nullptr) {
        RunningEngine engine(install);
        const bool serving = engine.Start();
        if (served != nullptr) *served = serving;
        if (serving) {
            EXPECT_EQ(engine.Stop("Exit.html").exitCode, 0);
        } else {
            EXPECT_EQ(engine.WaitForExit().exitCode, 0);
        }
        return ProxyLines(install.LogMessages());
    }

    static std::vector<std::string> ProxyLines(const std::vector<std::string>& log) {
        std::vector<std::string> lines;
        for (const std::string& line : log) {
            if (line.find("roxy") != std::string::npos) lines.push_back(line);
        }
        return lines;
    }

    std::optional<std::string> StoredList() {
        return ReadRegistryString(install, kSettingsKey, "ProxyOverride");
    }

    Installation install;
    const std::string local;
};

TEST_F(ProxyBypass, SwitchedOffOrNeverSwitchedOnLeavesTheListAlone) {
    for (const bool switchPresent : {true, false}) {
        WriteSettings([switchPresent](harness::RegistryFile& registry) {
            if (switchPresent) registry.SetDword(kSettingsKey, "ProxyEnable", 0);
            registry.SetString(kSettingsKey, "ProxyOverride", "keep;me");
        });
        bool served = false;
        EXPECT_THAT(Run(&served), ElementsAre(kNotNeededLine)) << switchPresent;
        EXPECT_TRUE(served);
        EXPECT_EQ(StoredList(), std::optional<std::string>("keep;me"));
        install.ClearLog();
    }
}

TEST_F(ProxyBypass, MissingListWithUsbPrinterGetsTheLocalNamesAndNothingTheSecondTime) {
    WriteSettings(
        [](harness::RegistryFile& registry) { registry.SetDword(kSettingsKey, "ProxyEnable", 1); },
        "Name:usb one\nUSB\nDriver:USB001\nModule:testmod\n");
    const std::string expected =
        IsLoopback(local) ? "127.0.0.1;localhost" : local + ";127.0.0.1;localhost";
    const std::vector<std::string> first = Run();
    if (IsLoopback(local)) {
        EXPECT_THAT(first, ElementsAre(kLocalLine, kLocalhostLine));
    } else {
        EXPECT_THAT(first, ElementsAre(kLocalLine, kVirtualHostLine, kLocalhostLine));
    }
    EXPECT_EQ(StoredList(), std::optional<std::string>(expected));

    install.ClearLog();
    install.WriteParams("Name:usb one\nUSB\nDriver:USB001\nModule:testmod\n");
    EXPECT_THAT(Run(), IsEmpty()) << "the second start-up found everything in place";
    EXPECT_EQ(StoredList(), std::optional<std::string>(expected));
}

TEST_F(ProxyBypass, NetworkPrinterAddressIsAddedAfterTheLocalOne) {
    WriteSettings([](harness::RegistryFile& registry) {
        registry.SetDword(kSettingsKey, "ProxyEnable", 1);
        registry.SetString(kSettingsKey, "ProxyOverride", "*.corp");
    });
    const std::vector<std::string> lines = Run();
    EXPECT_THAT(lines, Contains(kPrinterLine));
    const std::string expected = IsLoopback(local)
                                     ? "*.corp;127.0.0.1;127.0.0.2;localhost"
                                     : "*.corp;" + local + ";127.0.0.2;127.0.0.1;localhost";
    EXPECT_EQ(StoredList(), std::optional<std::string>(expected));
}

TEST_F(ProxyBypass, AnAddressThatBeginsWithTheLocalOneCountsAsIt) {
    const std::string longer = local + "9";
    WriteSettings(
        [&longer](harness::RegistryFile& registry) {
            registry.SetDword(kSettingsKey, "ProxyEnable", 1);
            registry.SetString(kSettingsKey, "ProxyOverride", longer + ";localhost");
        },
        "Name:usb one\nUSB\nDriver:USB001\nModule:testmod\n");
    const std::vector<std::string> lines = Run();
    EXPECT_THAT(lines, Not(Contains(kLocalLine)));
    EXPECT_EQ(StoredList(),
              std::optional<std::string>(IsLoopback(local) ? longer + ";localhost"
                                                           : longer + ";localhost;127.0.0.1"));
}

// The proxy page is opened from disk, and the stored list is kept whole.
TEST_F(ProxyBypass, ListThatWouldOutgrowItsBufferOrUnreadableSettingsShowTheProxyPage) {
    std::string full;
    while (full.size() < 250) full += "host.example;";
    full.resize(250);
    const struct {
        const char* name;
        std::function<void(harness::RegistryFile&)> settings;
        const char* line;
        std::optional<std::string> list;
    } cases[] = {
        {"full list",
         [&full](harness::RegistryFile& registry) {
             registry.SetDword(kSettingsKey, "ProxyEnable", 1);
             registry.SetString(kSettingsKey, "ProxyOverride", full);
         },
         "Proxy settings cannot be modified: the bypass list would not fit in 260 bytes.", full},
        {"unreadable switch",
         [](harness::RegistryFile& registry) {
             registry.SetString(kSettingsKey, "ProxyEnable", "yes, please");
         },
         kCannotQueryLine, std::nullopt},
    };
    for (const auto& row : cases) {
        WriteSettings(row.settings);
        bool served = true;
        // The refusal itself writes no line of its own: only the proxy check's.
        EXPECT_THAT(Run(&served), ElementsAre(row.line)) << row.name;
        EXPECT_FALSE(served) << row.name;
        EXPECT_EQ(StoredList(), row.list) << row.name;
        EXPECT_THAT(install.OpenedAddresses(1),
                    ElementsAre(install.EnginePathOf("test module\\www\\_win_proxy.html")))
            << row.name;
        install.ClearLog();
        install.ForgetOpenedAddresses();
    }
}

}  // namespace
}  // namespace integration
