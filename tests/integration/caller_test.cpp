// The caller under Wine, on the test display: the params file it hands the engine for queues of
// the prefix's spooler, the engine it starts, its message boxes, its exit codes, and two callers
// at once taking turns.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "harness/child_process.h"
#include "harness/desktop.h"
#include "harness/installation_builder.h"
#include "harness/program_target.h"
#include "harness/wait.h"

using ::testing::AnyOf;
using ::testing::HasSubstr;
using ::testing::UnorderedElementsAre;

namespace integration {
namespace {

using harness::TargetUnderTest;

const char* const kInstallationKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvik\\Plotara TroubleShooter";
// A monitor of this suite's own: the prefix and its monitors' keys are every suite's.
const char* const kMonitorKey =
    "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Caller Test Port";
const char* const kBoxTitle = "orvik plotara system maintenance";
const char* const kUnusablePort =
    "The 'orvik plotara system maintenance' can only be used when the printer is directly "
    "connected to your computer (through USB or a parallel connection), or accessed via a "
    "network address.";

struct Queue {
    const char* name;
    const char* port;
    const char* driver;
};

const Queue kQueues[] = {
    {"Caller on LPT1", "LPT1:", "orvik plotara 600"},
    {"Caller network", "CALLER_IP_7", "Orvik plotara 610plus nr"},
    {"Caller unknown driver", "LPT2:", "Acme Caller Plotter"},
    {"Caller on COM1", "COM1:", "orvik plotara 530"},
    {"Caller on FILE", "FILE:", "orvik plotara 530"},
    {"Caller nowhere", "CALLER_NOWHERE", "orvik plotara 530"},
};

const char* const kLpt1Params =
    "Name: Caller on LPT1\nPARALLEL\nPort: LPT1\nModule: quessel CAD\nStart-page: MainMenu.html";
const char* const kNetworkParams =
    "Name: Caller network\nTCP\nIP: 127.0.0.7\nPort: 9100\nModule: quessel CAD Japan\n"
    "Start-page: ColorStart.html";

int RunFixture(const std::vector<std::string>& arguments) {
    const harness::ProgramTarget& target = TargetUnderTest();
    return harness::RunChild(target.Command(target.BuiltProgram("spooler_fixture"), arguments), ".",
                             target.Environment(), 120)
        .exitCode;
}

std::string NewFolder() {
    std::string path = (std::filesystem::temp_directory_path() / "velkor-caller-XXXXXX").string();
    return mkdtemp(path.data()) != nullptr ? path : std::string();
}

std::string FileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

/// How often the recorder standing in for the engine was started.
int EngineStarts(const std::string& record) {
    int starts = 0;
    for (std::size_t at = record.find("command line: "); at != std::string::npos;
         at = record.find("command line: ", at + 1)) {
        ++starts;
    }
    return starts;
}

/// The last write of a file, in milliseconds of the file system's clock.
std::optional<long long> WrittenAt(const std::string& path) {
    struct stat status;
    if (stat(path.c_str(), &status) != 0) return std::nullopt;
    return static_cast<long long>(status.st_mtim.tv_sec) * 1000 + status.st_mtim.tv_nsec / 1000000;
}

/// A caller's installation: the recorder as the engine, "PATH" and "EXE" naming it.
class CallerInstallation {
public:
    CallerInstallation() : m_builder(NewFolder()) {
        m_builder.InstallProgram(TargetUnderTest().BuiltProgram("program_recorder"), "velkor.exe");
        m_builder.InstallProgram(TargetUnderTest(), "velkorcall");
    }
    ~CallerInstallation() {
        std::error_code ignored;
        std::filesystem::remove_all(m_builder.Directory(), ignored);
    }

    std::string Folder() const { return TargetUnderTest().PathAsSeen(m_builder.Directory()); }
    std::string PathOf(const std::string& file) const { return m_builder.PathOf(file); }
    void WriteRegistry(const harness::RegistryFile& registry) {
        m_builder.WriteRegistry(registry, TargetUnderTest());
    }
    /// The usual values, "PATH" and "EXE" as text.
    void WriteRegistry() {
        WriteRegistry(harness::RegistryFile()
                          .DeleteKey(kInstallationKey)
                          .SetString(kInstallationKey, "PATH", Folder())
                          .SetString(kInstallationKey, "EXE", "velkor.exe"));
    }
    bool Start(harness::BackgroundChild& child, const std::vector<std::string>& arguments) const {
        const harness::ProgramTarget& target = TargetUnderTest();
        return child.Start(target.Command(m_builder.PathOf("velkorcall.exe"), arguments),
                           m_builder.Directory(), m_display.Environment(target.Environment()));
    }
    /// Reads the message box `title` once it shows, then presses its "OK"; its texts, empty
    /// when it did not show.
    std::vector<std::string> AnswerBox(const std::string& title) const {
        std::vector<std::string> texts;
        harness::WaitUntil(
            [&] {
                texts = harness::DesktopWindow::Texts(TargetUnderTest(), m_display, title);
                return std::find(texts.begin(), texts.end(), "OK") != texts.end();
            },
            30, 100);
        if (texts.empty()) {
            // What was on the screen instead, for whoever reads the failure.
            harness::TakeScreenshot(
                m_display, harness::ScreenshotFolder() + "/caller-no-box-" + title + ".png");
            return texts;
        }
        EXPECT_TRUE(harness::DesktopWindow::Press(TargetUnderTest(), m_display, title, "OK"));
        return texts;
    }
    const harness::VirtualDisplay& Display() const { return m_display; }

private:
    harness::InstallationBuilder m_builder;
    harness::VirtualDisplay m_display;
};

class Caller : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!TargetUnderTest().IsWine()) return;
        for (const Queue& queue : kQueues) {
            // A queue an earlier, broken run left behind goes first.
            RunFixture({"remove", queue.name});
            if (RunFixture({"add", queue.name, queue.port, queue.driver}) != 0) {
                failure += std::string(queue.name) + " ";
            }
        }
        WriteSharedRegistry(
            harness::RegistryFile()
                .DeleteKey(kMonitorKey)
                .SetString(std::string(kMonitorKey) + "\\Ports\\CALLER_IP_7", "IPAddress",
                           "127.0.0.7")
                .SetString(std::string(kMonitorKey) + "\\Ports\\CALLER_IP_7", "HostName", ""));
    }
    // What the suite added goes again: later suites expect neither the queues nor the keys.
    static void TearDownTestSuite() {
        if (!TargetUnderTest().IsWine()) return;
        for (const Queue& queue : kQueues) RunFixture({"remove", queue.name});
        RunFixture({"remove-driver", "Acme Caller Plotter"});
        WriteSharedRegistry(
            harness::RegistryFile().DeleteKey(kMonitorKey).DeleteKey(kInstallationKey));
    }
    // Into the prefix's registry, by way of a folder that goes again.
    static void WriteSharedRegistry(const harness::RegistryFile& registry) {
        const std::string scratch = NewFolder();
        try {
            harness::InstallationBuilder(scratch).WriteRegistry(registry, TargetUnderTest());
        } catch (const std::runtime_error& error) {
            failure += error.what();
        }
        std::error_code ignored;
        std::filesystem::remove_all(scratch, ignored);
    }
    void SetUp() override {
        if (!TargetUnderTest().IsWine()) GTEST_SKIP() << "the caller is a Windows program";
        ASSERT_EQ(failure, "") << "the spooler did not take these queues";
    }

    static std::string failure;
};

std::string Caller::failure;

TEST_F(Caller, HandsTheQueueToTheEngineOrSaysWhyNot) {
    struct Case {
        std::vector<std::string> arguments;
        int exitCode;
        const char* params;    // what the engine found; nullptr: the engine was not started
        const char* boxTitle;  // the message box shown, or nullptr
    };
    // The longest argument taken: 259 characters.
    const std::string longest =
        "Name: Caller on LPT1\nPARALLEL\nPort: LPT1\nModule: quessel CAD\n"
        "Start-page: " +
        std::string(238, 'p');
    const char* const kLongestParams = longest.c_str();
    const Case cases[] = {
        {{"Caller on LPT1"}, 0, kLpt1Params, nullptr},
        {{"Caller network/start:ColorStart.html"}, 0, kNetworkParams, nullptr},
        {{"Caller unknown driver/start:"},
         0,
         "Name: Caller unknown driver\nPARALLEL\nPort: LPT2\nModule: brenna\nStart-page: ",
         nullptr},
        {{"Caller on COM1"}, 31, nullptr, kBoxTitle},
        {{"Caller on FILE/start:ColorStart.html"}, 31, nullptr, kBoxTitle},
        {{"Caller nowhere"}, 31, nullptr, kBoxTitle},
        {{"Caller no such queue"}, 31, nullptr, "Error"},
        {{}, 87, nullptr, nullptr},
        {{"Caller on LPT1", "Caller network"}, 87, nullptr, nullptr},
        {{"Caller on LPT1/start:" + std::string(238, 'p')}, 0, kLongestParams, nullptr},
        {{"Caller on LPT1/start:" + std::string(239, 'p')}, 87, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        const std::string shown = c.arguments.empty() ? "(none)" : c.arguments[0];
        SCOPED_TRACE(shown);
        CallerInstallation caller;
        caller.WriteRegistry();
        harness::BackgroundChild child;
        ASSERT_TRUE(caller.Start(child, c.arguments));
        if (c.boxTitle != nullptr) {
            const std::vector<std::string> texts = caller.AnswerBox(c.boxTitle);
            EXPECT_FALSE(texts.empty()) << "no message box \"" << c.boxTitle << "\"";
            // Under Wine the button comes first.
            if (std::string(c.boxTitle) == kBoxTitle) {
                EXPECT_THAT(texts, UnorderedElementsAre(kUnusablePort, "OK"));
            } else {
                // The system's own text for an unknown printer.
                EXPECT_THAT(texts, UnorderedElementsAre("OK", HasSubstr("printer")));
            }
        }
        const harness::ChildResult result = child.Wait(60);
        EXPECT_EQ(result.exitCode, c.exitCode) << result.output;
        const std::string record = FileText(caller.PathOf("started.txt"));
        if (c.params == nullptr) {
            EXPECT_EQ(record, "") << "the engine was started";
            continue;
        }
        const std::string exe = caller.Folder() + "\\velkor.exe";
        const std::string folder = "working directory: " + caller.Folder() + "\n";
        EXPECT_THAT(record, AnyOf("command line: " + exe + "\n" + folder,
                                  "command line: \"" + exe + "\"\n" + folder))
            << "started once, without arguments, in its folder";
        EXPECT_EQ(FileText(caller.PathOf("params.seen")), c.params);
    }
}

TEST_F(Caller, StartsNothingWithoutTextValuesForTheEngine) {
    // nullptr: the value is missing; "#": a number; "=": the installation folder.
    struct Case {
        const char* what;
        const char* path;
        const char* exe;
    };
    const std::string tooLong = "C:\\" + std::string(257, 'p');
    const Case cases[] = {
        {"no PATH", nullptr, "velkor.exe"},
        {"no EXE", "=", nullptr},
        {"EXE a number", "=", "#"},
        {"PATH of 260 characters", tooLong.c_str(), "velkor.exe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CallerInstallation caller;
        harness::RegistryFile registry;
        registry.DeleteKey(kInstallationKey);
        if (c.path != nullptr) {
            registry.SetString(kInstallationKey, "PATH",
                               std::string(c.path) == "=" ? caller.Folder() : c.path);
        }
        if (c.exe != nullptr && std::string(c.exe) == "#") {
            registry.SetDword(kInstallationKey, "EXE", 1);
        } else if (c.exe != nullptr) {
            registry.SetString(kInstallationKey, "EXE", c.exe);
        }
        caller.WriteRegistry(registry);
        harness::BackgroundChild child;
        ASSERT_TRUE(caller.Start(child, {"Caller on LPT1"}));
        const harness::ChildResult result = child.Wait(60);
        EXPECT_EQ(result.exitCode, 31) << result.output;
        EXPECT_EQ(FileText(caller.PathOf("started.txt")), "");
        EXPECT_FALSE(std::filesystem::exists(caller.PathOf("params")));
    }
}

TEST_F(Caller, TwoCallersTakeTurnsUntilTheFirstEngineHadTimeToRead) {
    CallerInstallation caller;
    caller.WriteRegistry();
    harness::BackgroundChild first;
    harness::BackgroundChild second;
    ASSERT_TRUE(caller.Start(first, {"Caller on LPT1"}));
    ASSERT_TRUE(caller.Start(second, {"Caller network/start:ColorStart.html"}));

    // The params file as each engine found it, and when its caller wrote it: the waiting
    // caller rewrites the file only after the first has let go.
    std::vector<std::string> seen;
    std::vector<long long> writtenAt;
    for (int starts = 1; starts <= 2; ++starts) {
        ASSERT_TRUE(harness::WaitUntil(
            [&] { return EngineStarts(FileText(caller.PathOf("started.txt"))) >= starts; }, 60))
            << "engine start " << starts;
        seen.push_back(FileText(caller.PathOf("params.seen")));
        const std::optional<long long> at = WrittenAt(caller.PathOf("params"));
        ASSERT_TRUE(at.has_value());
        writtenAt.push_back(*at);
    }
    EXPECT_EQ(first.Wait(60).exitCode, 0);
    EXPECT_EQ(second.Wait(60).exitCode, 0);
    EXPECT_EQ(EngineStarts(FileText(caller.PathOf("started.txt"))), 2);
    EXPECT_THAT(seen, UnorderedElementsAre(kLpt1Params, kNetworkParams));
    RecordProperty("params_written_apart_ms", std::to_string(writtenAt[1] - writtenAt[0]));
    EXPECT_GE(writtenAt[1] - writtenAt[0], 2000)
        << "the second params file came " << writtenAt[1] - writtenAt[0] << " ms after the first";
}

}  // namespace
}  // namespace integration
