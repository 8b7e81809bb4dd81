// The native caller against a real CUPS scheduler: queues made with lpadmin, the params file
// it writes for each kind of device URI, the order it keeps between concurrent callers, and
// the real engine it starts serving the start page for a network printer.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "harness/wait.h"
#include "integration/cups_caller_install.h"
#include "integration/cups_server.h"
#include "integration/http_client.h"
#include "integration/installation.h"
#include "integration/running_engine.h"
#include "integration/served_module.h"
#include "integration/simulated_printer.h"

namespace integration {
namespace {

namespace fs = std::filesystem;

const char* const kInstallationKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvik\\Plotara TroubleShooter";
const char* const kUnusablePortText =
    "The 'orvik plotara system maintenance' can only be used when the printer is directly "
    "connected to your computer (through USB or a parallel connection), or accessed via a "
    "network address.";

// Stands in for the engine where only its start is looked at: records its working directory
// and the params file it found, then takes the file away as the engine does.
const char* const kRecordingEngine =
    "#!/bin/sh\n"
    "{ pwd; cat params; } > \"start-$(date +%s%N)\"\n"
    "rm -f params\n";

class CupsCaller : public ::testing::Test {
protected:
    CupsCaller() : install(TargetUnderTest()) {}

    void SetUp() override {
        std::string whyNot;
        caller = InstallCupsCaller(install, &whyNot);
        if (caller.empty()) GTEST_SKIP() << whyNot;
        if (!cups.Start()) GTEST_SKIP() << cups.Problem();
    }

    void TearDown() override { EndProgramsRunningIn(install.Directory()); }

    // The installation key naming this installation and `exe` as the engine.
    void WriteInstallation(const std::string& module, const std::string& exe) {
        RegistryEntries entries = ServedModuleRegistry(module);
        const std::string folder = install.Directory();
        entries.more = [folder, exe](harness::RegistryFile& registry) {
            registry.DeleteValue(kInstallationKey, "PATH")
                .SetString(kInstallationKey, "PATH", folder);
            if (!exe.empty()) registry.SetString(kInstallationKey, "EXE", exe);
        };
        install.WriteRegistry(entries);
    }

    void InstallRecordingEngine() {
        install.Builder().InstallProgram(WriteScript(kRecordingEngine), "engine.sh");
        WriteInstallation(kServedModule, "engine.sh");
    }

    std::string WriteScript(const std::string& text) {
        const std::string path = scripts.PathOf("engine.sh");
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    std::map<std::string, std::string> CallerEnvironment() const {
        // No desktop: a message goes to standard error instead of waiting for a click.
        return {{"CUPS_SERVER", cups.Address()}, {"DISPLAY", ""}, {"LANG", "C"}};
    }

    ChildResult RunCaller(const std::vector<std::string>& arguments) {
        std::vector<std::string> argv{caller};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        return harness::RunChild(argv, install.Directory(), CallerEnvironment(), 60);
    }

    // The recorded engine starts in order: working directory and params text of each.
    std::vector<std::pair<std::string, std::string>> RecordedStarts(
        std::vector<long long>* nanoseconds = nullptr) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(install.Directory())) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("start-", 0) == 0) names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        std::vector<std::pair<std::string, std::string>> starts;
        for (const std::string& name : names) {
            const std::string text = ReadText(install.PathOf(name));
            const std::size_t lineEnd = text.find('\n');
            starts.emplace_back(text.substr(0, lineEnd),
                                lineEnd == std::string::npos ? "" : text.substr(lineEnd + 1));
            if (nanoseconds != nullptr) nanoseconds->push_back(std::stoll(name.substr(6)));
        }
        return starts;
    }

    Installation install;
    CupsServer cups;
    ScratchFolder scripts;
    std::string caller;
};

TEST_F(CupsCaller, WritesTheParamsOfEachQueueOrRefusesItWithoutStartingTheEngine) {
    struct Case {
        const char* queue;
        const char* deviceUri;
        const char* makeAndModel;
        const char* argument;
        int exitCode;
        const char* params;  // "" when the engine must not start
        const char* error;   // a part of standard error when it fails
    };
    const Case cases[] = {
        {"Plotter_A", "socket://127.0.0.2:9100", "orvik plotara 530", "Plotter_A", 0,
         "Name: Plotter_A\nTCP\nIP: 127.0.0.2\nPort: 9100\nModule: merrow\n"
         "Start-page: MainMenu.html",
         ""},
        {"Plotter_B", "socket://127.0.0.3", "Orvik plotara 610plus nr",
         "Plotter_B/start:ColorStart.html", 0,
         "Name: Plotter_B\nTCP\nIP: 127.0.0.3\nPort: 9100\nModule: quessel CAD Japan\n"
         "Start-page: ColorStart.html",
         ""},
        {"Lpt", "parallel:/dev/lp0", "orvik plotara 620nr", "Lpt/start:", 0,
         "Name: Lpt\nPARALLEL\nPort: LPT1\nModule: quessel GA\nStart-page: ", ""},
        {"Other", "socket://127.0.0.2:9100", "Generic PostScript Printer", "Other", 0,
         "Name: Other\nTCP\nIP: 127.0.0.2\nPort: 9100\nModule: brenna\n"
         "Start-page: MainMenu.html",
         ""},
        {"Wrong_port", "socket://127.0.0.2:9101", "orvik plotara 530", "Wrong_port", 31, "",
         kUnusablePortText},
        {"Spooled", "lpd://127.0.0.2/queue", "orvik plotara 530", "Spooled", 31, "",
         kUnusablePortText},
        // no USB printer of that serial number is connected to the machine running the tests
        {"Usb", "usb://Orvik/Plotara%20530?serial=NOT-CONNECTED", "orvik plotara 530", "Usb", 31,
         "", "serial number NOT-CONNECTED"},
        {"Missing", "", "", "Nobody_here", 31, "", "Nobody_here"},
    };
    InstallRecordingEngine();
    for (const Case& c : cases) {
        if (c.deviceUri[0] != '\0') {
            ASSERT_TRUE(cups.AddQueue(c.queue, c.deviceUri, c.makeAndModel)) << cups.Problem();
        }
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.argument);
        for (const auto& entry : fs::directory_iterator(install.Directory())) {
            if (entry.path().filename().string().rfind("start-", 0) == 0) fs::remove(entry.path());
        }
        const ChildResult result = RunCaller({c.argument});
        EXPECT_EQ(c.exitCode, result.exitCode) << result.output;
        const auto starts = RecordedStarts();
        if (c.params[0] == '\0') {
            EXPECT_TRUE(starts.empty());
            EXPECT_THAT(result.output, ::testing::HasSubstr(c.error));
            continue;
        }
        ASSERT_EQ(1u, starts.size()) << result.output;
        EXPECT_EQ(install.Directory(), starts[0].first);
        EXPECT_EQ(c.params, starts[0].second);
    }
}

TEST_F(CupsCaller, WrongCommandLineOrInstallationEndsBeforeAnyEngineStart) {
    ASSERT_TRUE(cups.AddQueue("Plotter_A", "socket://127.0.0.2:9100", "orvik plotara 530"))
        << cups.Problem();
    install.Builder().InstallProgram(WriteScript(kRecordingEngine), "engine.sh");
    struct Case {
        std::vector<std::string> arguments;
        const char* exe;  // "" leaves "EXE" out of the registry
        int exitCode;
    };
    const Case cases[] = {
        {{}, "engine.sh", 87},
        {{std::string(260, 'P')}, "engine.sh", 87},
        {{"Plotter_A"}, "", 31},
        {{"Plotter_A"}, "not-there.sh", 31},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.size());
        WriteInstallation(kServedModule, c.exe);
        const ChildResult result = RunCaller(c.arguments);
        EXPECT_EQ(c.exitCode, result.exitCode) << result.output;
        EXPECT_TRUE(RecordedStarts().empty());
    }
    // With the installation whole again the same queue is served: the failures above were
    // the command line's and the registry's, not the queue's.
    WriteInstallation(kServedModule, "engine.sh");
    EXPECT_EQ(0, RunCaller({"Plotter_A"}).exitCode);
    EXPECT_EQ(1u, RecordedStarts().size());
}

TEST_F(CupsCaller, ConcurrentCallersStartTheirEnginesTwoSecondsApartEachWithItsOwnParams) {
    InstallRecordingEngine();
    ASSERT_TRUE(cups.AddQueue("Plotter_A", "socket://127.0.0.2:9100", "orvik plotara 530"))
        << cups.Problem();
    ASSERT_TRUE(cups.AddQueue("Plotter_B", "parallel:/dev/lp1", "orvik plotara 410"))
        << cups.Problem();
    harness::BackgroundChild first;
    harness::BackgroundChild second;
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(first.Start({caller, "Plotter_A"}, install.Directory(), CallerEnvironment()));
    ASSERT_TRUE(second.Start({caller, "Plotter_B"}, install.Directory(), CallerEnvironment()));
    EXPECT_EQ(0, first.Wait(60).exitCode);
    EXPECT_EQ(0, second.Wait(60).exitCode);
    // Each caller holds the lock for two seconds after its engine started.
    EXPECT_GE(harness::SecondsSince(started), 4.0);

    std::vector<long long> nanoseconds;
    const auto starts = RecordedStarts(&nanoseconds);
    ASSERT_EQ(2u, starts.size());
    // The engines started one after the other, whichever caller came first, and neither
    // params file was overwritten before its engine read it.
    EXPECT_GE(nanoseconds[1] - nanoseconds[0], 1900LL * 1000 * 1000);
    std::vector<std::string> texts{starts[0].second, starts[1].second};
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ(
        "Name: Plotter_A\nTCP\nIP: 127.0.0.2\nPort: 9100\nModule: merrow\n"
        "Start-page: MainMenu.html",
        texts[0]);
    EXPECT_EQ(
        "Name: Plotter_B\nPARALLEL\nPort: LPT2\nModule: tolvar CAD\n"
        "Start-page: MainMenu.html",
        texts[1]);
}

TEST_F(CupsCaller, RealEngineServesTheStartPageForTheNetworkPrinterOfTheQueue) {
    SimulatedPrinter printer;
    // A plotter of the model the queue names, answering for its product number.
    ASSERT_TRUE(printer.Start(kServedPrinterAddress, {"--answer", "ID?", "Q6683A\\r\\n"}));
    ASSERT_FALSE(PortTakesConnections()) << "another engine serves port 8190";
    InstallServedModule(install, "merrow");
    install.Builder().Remove("params");
    WriteInstallation("merrow", "velkor");
    ASSERT_TRUE(cups.AddQueue("Plotter_A", "socket://127.0.0.2:9100", "orvik plotara 530"))
        << cups.Problem();

    const ChildResult result = RunCaller({"Plotter_A/start:Main.html"});
    ASSERT_EQ(0, result.exitCode) << result.output;
    // The engine has read (and so removed) the params file before the caller let go.
    EXPECT_FALSE(install.Exists("params"));
    ASSERT_TRUE(harness::WaitUntil(PortTakesConnections, 30)) << install.LogText();
    const std::vector<std::string> opened = install.OpenedAddresses(1);
    ASSERT_EQ(1u, opened.size());
    EXPECT_THAT(opened[0], ::testing::EndsWith("/Main.html"));
    const HttpAnswer page = Exchange(GetRequest("/Main.html"));
    EXPECT_EQ(200, page.status);
    EXPECT_THAT(page.body, ::testing::HasSubstr("module=merrow;prtaddr=127.0.0.2;"));
    // The engine asked the printer behind the queue for its product number.
    EXPECT_THAT(printer.Received(), ::testing::HasSubstr("ID?"));

    Exchange(GetRequest("/Exit.html"));
    EXPECT_TRUE(harness::WaitUntil([] { return !PortTakesConnections(); }, 30));
}

}  // namespace
}  // namespace integration
